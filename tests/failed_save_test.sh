#!/usr/bin/env bash
# Saves that cannot be completed, by means that hold even for root: a file-size limit in the
# middle of a save, and a folder standing where the save should go. Each time the earlier save
# must stay whole, the player must be told, and no file but the save may be left behind; output
# that cannot be written and a hang-up in the middle of a save leave it whole too. Then the
# permission bits a save keeps, and two games saving at the same time.
set -euo pipefail
rpg=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
: > Intro.txt
fail() { echo "$*" >&2; exit 1; }
# Whatever is in the folder besides the save and what this test put there, by any name.
leftovers() { find . -mindepth 1 -maxdepth 1 ! -name Intro.txt ! -name chartype1.txt ! -name kept.txt ! -name 'played-*'; }

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

# Output that cannot be written ends the game at once, with one line on standard error and a
# failing status, and the save is not touched.
earlier=$(cat chartype1.txt)
status=0
errors=$(printf 't\na\ny\ns\np\n' | "$rpg" 2>&1 > /dev/full) || status=$?
[ "$status" = 1 ] && [ "$(wc -l <<<"$errors")" = 1 ] && grep -q '^Не удалось вывести' <<<"$errors" \
  || fail "a game that cannot write its output ended with status $status and said: $errors"
[ "$(cat chartype1.txt)" = "$earlier" ] || fail "a game that cannot write its output changed the save"

# The window closed (SIGHUP) while a save waits for the disk: the game ends by the signal and its
# temporary file goes with it.
printf 't\na\ny\ns\n' | strace -o /dev/null -e inject=fsync:delay_enter=3000000 "$rpg" > /dev/null &
for ((tries = 0; tries < 100; tries++)); do [ -n "$(leftovers)" ] && break; sleep 0.1; done
[ -n "$(leftovers)" ] || fail "no slow save was seen"
pkill -HUP -P $! -f "$rpg"
status=0
wait $! || status=$?
[ "$status" = 129 ] || fail "a game hung up in the middle of a save ended with status $status"
[ -z "$(leftovers)" ] || fail "a save cut short by SIGHUP left its temporary file"
[ "$(cat chartype1.txt)" = "$earlier" ] || fail "a save cut short by SIGHUP changed the save"

# A save keeps the permission bits of the save it replaces; a first save gets 0666 less the umask.
chmod 604 chartype1.txt
printf 's\np\n' | "$rpg" > /dev/null
[ "$(stat -c %a chartype1.txt)" = 604 ] || fail "a save changed the permission bits"
mv chartype1.txt kept.txt
(umask 027 && printf 'w\nIvan\ns\np\n' | "$rpg" > /dev/null)
[ "$(stat -c %a chartype1.txt)" = 640 ] || fail "a first save did not get 0666 less the umask"

# Two games save a hundred times each, side by side: every save lands and the last one is whole.
for game in 1 2; do
  { printf 's\n%.0s' {1..100}; echo p; } | "$rpg" > "played-$game" &
done
wait
! grep -q 'Не удалось' played-1 played-2 || fail "a save failed while another game saved"
[ "$(wc -l < chartype1.txt)" = 12 ] && [ "$(sed -n 10p chartype1.txt)" = Ivan ] || fail "a broken save"
[ -z "$(leftovers)" ] || fail "a temporary file was left behind by games saving side by side"
echo "failed saves kept the earlier save; saves beside other files and games landed whole"
