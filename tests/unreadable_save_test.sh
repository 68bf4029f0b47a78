#!/usr/bin/env bash
# A save that is there but cannot be read is never taken for no saved game. A save another user
# owns with mode 0200, played as nobody, stays as it was, and the game ends with status 1 and one
# line on standard error, though its keys would make and save a new game. Playing as nobody needs
# root; first, what needs no one: a pipe at the save's name is no saved game, holds nothing up and
# is never replaced.
#   unreadable_save_test.sh RPG
set -euo pipefail
umask 022
# Somewhere nobody can reach, whatever folder the build is in.
work=$(mktemp -d /tmp/rpg-unreadable.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/rpg"
cd "$work"
: > Intro.txt
printf 'w\nPetr\ns\np\n' > keys
fail() { echo "$*" >&2; exit 1; }

mkfifo chartype1.txt
timeout 10 ./rpg < keys > out || fail "a pipe at the save's name held up the game"
! grep -q 'Вы уже играли' out || fail "a pipe was taken for a save"
grep -q 'Не удалось сохранить игру' out && [ -p chartype1.txt ] || fail "a pipe at the save's name was replaced"
rm chartype1.txt

[ "$(id -u)" = 0 ] || { echo "skipped: playing as another user needs root"; exit 77; }
chmod 755 .
# Nobody may replace files here, as a game that took the save for none would.
chown nobody .
printf '200\n20\n0\n20\n200\n50\n200\n50\n20\nIvan\n0\n1\n' > chartype1.txt
cp chartype1.txt kept
chmod 0200 chartype1.txt
status=0
runuser -u nobody -- ./rpg < keys > out 2> errors || status=$?
[ "$status" = 1 ] && grep -q 'нажмите любую клавишу' out ||
  fail "exit status $status, or no closing pause, for a save that cannot be read"
[ "$(cat errors)" = 'Не удалось прочитать сохранённую игру chartype1.txt: Permission denied' ] ||
  fail "standard error: $(cat errors)"
cmp -s chartype1.txt kept || fail "a save nobody could read was replaced: $(cat kept)"
[ -z "$(find . -name 'chartype1.txt.*')" ] || fail "a temporary file was left behind"
echo "a save that could not be read was left as it was"
