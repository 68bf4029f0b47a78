#!/usr/bin/env bash
# The Windows game under wine, while another program holds its save open without sharing, as a
# virus scanner or a sync client may: a short hold is waited for, at start and during a save; a
# long one at start ends the game with status 1 and leaves the save as it was.
#   held_save_test.sh WINE RPG HOLD_FILE   (the wine prefix and its settings in the environment)
set -euo pipefail
wine=$1 rpg=$2 hold=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
: > Intro.txt
fail() { echo "$*" >&2; exit 1; }
ivan=$'200\r\n20\r\n0\r\n20\r\n200\r\n50\r\n200\r\n50\r\n20\r\nIvan\r\n0\r\n1\r\n'
trained=$'200\r\n25\r\n0\r\n20\r\n100\r\n50\r\n200\r\n50\r\n20\r\nIvan\r\n0\r\n1\r\n'
save_is() { cmp -s chartype1.txt <(printf '%s' "$1"); }

# Holds the save for $1 milliseconds in the background; returns once it is held.
hold_save() {
  "$wine" "$hold" chartype1.txt "$1" > held &
  until grep -q held held 2>/dev/null; do sleep 0.05; done
}

# Held for a second as the game starts: it waits, then continues the save, trains and saves.
printf '%s' "$ivan" > chartype1.txt
hold_save 1000
status=0
printf 't\na\ny\ns\np\n' | "$wine" "$rpg" > out 2> errors || status=$?
wait
[ "$status" = 0 ] && grep -q 'Вы уже играли' out || fail "a save held for a second was not continued: $(cat errors)"
save_is "$trained" || fail "the continued game was not saved: $(cat chartype1.txt)"

# Held for longer than the game waits: it ends with status 1 and says why, and the new game
# its input would have made is never saved.
printf '%s' "$ivan" > chartype1.txt
hold_save 6000
status=0
printf 'w\nPetr\ns\np\n' | "$wine" "$rpg" > out 2> errors || status=$?
wait
[ "$status" = 1 ] || fail "a save held for long gave exit status $status"
grep -q '^Не удалось прочитать сохранённую игру chartype1.txt: .' errors || fail "no reason given: $(cat errors)"
save_is "$ivan" || fail "a save the game could not read was replaced: $(cat chartype1.txt)"

# Held for a second and a half just as the game saves: the save waits and lands.
printf '%s' "$ivan" > chartype1.txt
rm -f out
status=0
{
  printf 't\na\ny\n'
  until grep -q -- '-100 монет' out 2>/dev/null; do sleep 0.05; done
  hold_save 1500
  printf 's\np\n'
  wait
} | "$wine" "$rpg" > out 2> errors || status=$?
[ "$status" = 0 ] && ! grep -q 'Не удалось' out || fail "a save during a hold failed: $(cat out errors)"
save_is "$trained" || fail "the save during a hold did not land: $(cat chartype1.txt)"
[ -z "$(find . -name 'chartype1.txt.*')" ] || fail "a temporary file was left behind"
echo "holds of a moment were waited for; a long hold ended the game and kept the save"
