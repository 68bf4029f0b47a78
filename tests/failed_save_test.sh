#!/usr/bin/env bash
# Saves that cannot be completed, by means that hold even for root: a file-size limit in the
# middle of a save, and a folder standing where the save should go. Each time the earlier save
# must stay whole and the player must be told. Then saves that nothing may disturb: whatever
# stands at the temporary file's old fixed name, and another game saving at the same time.
set -euo pipefail
rpg=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
: > Intro.txt
fail() { echo "$*" >&2; exit 1; }
# Temporary files of the save, apart from what this test puts at the old fixed name.
leftovers() { find . -maxdepth 1 -name 'chartype1.txt.*' ! -name chartype1.txt.tmp; }

# A first game saves normally.
printf 'w\nIvan\ns\np\n' | "$rpg" > /dev/null
earlier=$(cat chartype1.txt)
[ "$(sed -n 10p chartype1.txt)" = Ivan ] || fail "the first save is missing: $earlier"

# No file may grow at all: the save fails, the game goes on to the menu and ends normally.
# Output goes through a pipe, which the limit does not cover.
output=$( (ulimit -f 0 && printf 't\na\ny\ns\np\n' | "$rpg") | cat)
grep -q 'Не удалось сохранить игру' <<<"$output" || fail "a save past the size limit was not reported"
[ "$(cat chartype1.txt)" = "$earlier" ] || fail "the earlier save changed under a size limit"
[ -z "$(leftovers)" ] || fail "a temporary file was left behind under a size limit"

# A folder where the save should go.
mv chartype1.txt kept.txt
mkdir chartype1.txt
output=$(printf 'r\nЛис\ns\np\n' | "$rpg")
grep -q 'Не удалось сохранить игру' <<<"$output" || fail "a save onto a folder was not reported"
[ -z "$(leftovers)" ] || fail "a temporary file was left behind beside a folder"
rmdir chartype1.txt
mv kept.txt chartype1.txt

# A link to someone's file, a file or a folder at the old fixed name stays as it was; the save lands.
echo precious > victim.txt
for blocker in 'ln -s victim.txt' 'cp victim.txt' mkdir; do
  $blocker chartype1.txt.tmp
  before=$(cat chartype1.txt)
  output=$(printf 't\nh\ny\ns\np\n' | "$rpg")
  grep -q 'Вы уже играли' <<<"$output" || fail "the saved game was not continued"
  [ ! -L chartype1.txt ] && [ "$(cat chartype1.txt)" != "$before" ] || fail "no save beside '$blocker'"
  [ -d chartype1.txt.tmp ] || [ "$(cat chartype1.txt.tmp)" = precious ] || fail "'$blocker' was written"
  rm -r chartype1.txt.tmp
done

# A save keeps the permission bits of the save it replaces; a first save gets 0666 less the umask.
chmod 604 chartype1.txt
printf 's\np\n' | "$rpg" > /dev/null
[ "$(stat -c %a chartype1.txt)" = 604 ] || fail "a save changed the permission bits"
mv chartype1.txt kept.txt
(umask 027 && printf 'w\nIvan\ns\np\n' | "$rpg" > /dev/null)
[ "$(stat -c %a chartype1.txt)" = 640 ] || fail "a first save did not get 0666 less the umask"
mv kept.txt chartype1.txt

# Two games load the same save and train differently, then save a hundred times each side by side.
whole=()
for skill in a h; do
  rm -rf alone && mkdir alone && cp chartype1.txt alone/
  (cd alone && printf 't\n%s\ny\ns\np\n' "$skill" | "$rpg" > /dev/null)
  whole+=("$(cat alone/chartype1.txt)")
done
for skill in a h; do
  { printf 't\n%s\ny\n' "$skill"; until [ -e go ]; do sleep 0.01; done; printf 's\n%.0s' {1..100}; echo p; } |
    "$rpg" > "played-$skill" &
done
for _ in {1..3000}; do grep -q 'монет' played-a && grep -q 'монет' played-h && break; sleep 0.01; done
touch go
wait
! grep -q 'Не удалось' played-a played-h || fail "a save failed while another game saved"
[ "$(cat chartype1.txt)" = "${whole[0]}" ] || [ "$(cat chartype1.txt)" = "${whole[1]}" ] || fail "a mixed save"
[ -z "$(leftovers)" ] || fail "a temporary file was left behind by games saving side by side"
echo "failed saves kept the earlier save; saves beside other files and games landed whole"
