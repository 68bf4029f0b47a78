#!/usr/bin/env bash
# Saves that cannot be completed, by means that hold even for root: a file-size limit in the
# middle of a save, and folders standing where the save or its temporary file should go. Each
# time the earlier save must stay whole and the player must be told.
set -euo pipefail
rpg=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
: > Intro.txt
fail() { echo "$*" >&2; exit 1; }

# A first game saves normally.
printf 'w\nIvan\ns\np\n' | "$rpg" > /dev/null
earlier=$(cat chartype1.txt)
[ "$(sed -n 10p chartype1.txt)" = Ivan ] || fail "the first save is missing: $earlier"

# No file may grow at all: the save fails, the game goes on to the menu and ends normally.
# Output goes through a pipe, which the limit does not cover.
output=$( (ulimit -f 0 && printf 't\na\ny\ns\np\n' | "$rpg") | cat)
grep -q 'Не удалось сохранить игру' <<<"$output" || fail "a save past the size limit was not reported"
[ "$(cat chartype1.txt)" = "$earlier" ] || fail "the earlier save changed under a size limit"
[ ! -e chartype1.txt.tmp ] || fail "a temporary file was left behind under a size limit"

# A folder where the save should go.
mv chartype1.txt kept.txt
mkdir chartype1.txt
output=$(printf 'r\nЛис\ns\np\n' | "$rpg")
grep -q 'Не удалось сохранить игру' <<<"$output" || fail "a save onto a folder was not reported"
[ ! -e chartype1.txt.tmp ] || fail "a temporary file was left behind beside a folder"
rmdir chartype1.txt
mv kept.txt chartype1.txt

# A folder where the temporary file should go.
mkdir chartype1.txt.tmp
output=$(printf 't\nh\ny\ns\np\n' | "$rpg")
grep -q 'Не удалось сохранить игру' <<<"$output" || fail "a save blocked by a folder was not reported"
[ "$(cat chartype1.txt)" = "$earlier" ] || fail "the earlier save changed when the temporary file was blocked"
grep -q 'Вы уже играли' <<<"$output" || fail "the saved game was not continued"
echo "failed saves kept the earlier save"
