#!/usr/bin/env bash
# Saves that cannot be completed, by means that hold even for root, and saves beside other files
# and games. Each row of the table plays one game in a fresh folder that holds Ivan's save, and
# checks its exit status, that the save is whole and the one expected, what the player was told
# (no failure unless the row expects one), that no file but the save is left behind, and last
# the row's own check. A folder standing where the save should go is a row of
# hostile_folder_test.sh.
#   failed_save_test.sh RPG
set -uo pipefail
rpg=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
row=
fail() { echo "FAIL [$row]: $*" >&2; failures=$((failures + 1)); }

ivan=$'200\n20\n0\n20\n200\n50\n200\n50\n20\nIvan\n0\n1\n'
# Ivan after one attack training; rows name the save they expect.
# shellcheck disable=SC2034
trained=$'200\n25\n0\n20\n100\n50\n200\n50\n20\nIvan\n0\n1\n'
train_and_save=$'t\na\ny\ns\np\n'
cannot_save='Не удалось сохранить игру'

# Whatever is in the folder besides the save and what this test put there, by any name.
leftovers() { find . -mindepth 1 -maxdepth 1 ! -name Intro.txt ! -name chartype1.txt ! -name keys ! -name out ! -name errors; }

# Setups, run in the row's folder after Ivan's save is written.
saved() { :; }
shared_bits() { chmod 604 chartype1.txt; }
no_save() { rm chartype1.txt; }

# Ways to start the game on `keys`, with its output in `out` and `errors`; each runs in a
# subshell and ends with the game's status.
plain() { "$rpg" < keys > out 2> errors; }
# No file may grow at all. Output goes through a pipe, which the limit does not cover.
size_limited() { (ulimit -f 0 && exec "$rpg" < keys 2> errors) | cat > out; }
full_output() { : > out && "$rpg" < keys > /dev/full 2> errors; }
# A signal in the middle of a save, held at one system call by strace: the window closed (SIGHUP)
# while the save waits for the disk, and SIGTERM the instant its new file is made.
signalled_mid_save() {
  local signal=$1
  shift
  strace -o /dev/null "$@" "$rpg" < keys > out 2> errors &
  for ((tries = 0; tries < 100; tries++)); do [ -n "$(leftovers)" ] && break; sleep 0.1; done
  [ -n "$(leftovers)" ] || { echo "no slow save was seen" > errors; return 2; }
  pkill "-$signal" -P $! -f "$rpg"
  wait $!
}
hung_up() { signalled_mid_save HUP -e inject=fsync:delay_enter=3000000; }
# Only the openat that makes the new file is held, counted in a trial game: holding every one
# makes the start too slow on a busy machine.
ended_as_made() {
  local trial=$work/$row-trial nth
  mkdir "$trial" && cp chartype1.txt Intro.txt keys "$trial" || return 2
  (cd "$trial" && strace -o trace -e trace=openat "$rpg" < keys > /dev/null 2>&1)
  nth=$(grep "^openat(" "$trial/trace" | grep -m1 -n O_CREAT | cut -d: -f1)
  signalled_mid_save TERM -e trace=openat -e "inject=openat:delay_exit=2000000:when=$nth"
}
first_save_under_umask_027() { umask 027 && plain; }
# Two games save a hundred times each, side by side; both outputs end up in `out`.
side_by_side() {
  { printf 's\n%.0s' {1..100}; echo p; } > keys
  "$rpg" < keys > other 2>&1 &
  local other=$!
  plain && wait "$other" && cat other >> out && rm other
}

# Row checks.
bits() { [ "$(stat -c %a chartype1.txt)" = "$1" ] || fail "the save's permission bits are $(stat -c %a chartype1.txt)"; }
one_error() { { [ "$(wc -l < errors)" = 1 ] && grep -q "^$1" errors; } || fail "standard error: $(head -c 300 errors)"; }

# Plays KEYS after SETUP through RUN, then checks STATUS, that the save is the one the variable
# named SAVE holds, that OUT (a fixed string) was shown, and runs CHECK with its arguments.
play() {
  local setup=$1 run=$2 keys=$3 status=$4 save=$5 expected=$6 got=0
  mkdir "$work/$row" && cd "$work/$row" || exit 1
  : > Intro.txt
  printf '%s' "$ivan" > chartype1.txt
  $setup
  printf '%s' "$keys" > keys
  ($run) || got=$?
  [ "$got" = "$status" ] || fail "exit status $got, not $status; errors: $(head -c 300 errors)"
  [ "$(cat chartype1.txt)" = "${!save%$'\n'}" ] || fail "the save is not $save: $(cat chartype1.txt)"
  if [ -n "$expected" ]; then
    grep -qF -- "$expected" out || fail "\"$expected\" was not shown"
  fi
  [ "$expected" = "$cannot_save" ] || ! grep -q 'Не удалось' out || fail "a failure was reported: $(grep 'Не удалось' out)"
  [ -z "$(leftovers)" ] || fail "left behind: $(leftovers)"
  "${@:7}"
  cd "$work" || exit 1
}

row=size-limit play saved size_limited "$train_and_save" 0 ivan "$cannot_save"
row=full-output play saved full_output "$train_and_save" 1 ivan '' one_error 'Не удалось вывести текст игры'
row=hang-up play saved hung_up $'t\na\ny\ns\n' 129 ivan ''
row=ended-as-made play saved ended_as_made $'t\na\ny\ns\n' 143 ivan ''
# A save keeps the permission bits of the save it replaces; a first save gets 0666 less the umask.
row=kept-bits play shared_bits plain "$train_and_save" 0 trained 'Вы уже играли' bits 604
row=first-save-bits play no_save first_save_under_umask_027 $'w\nIvan\ns\np\n' 0 ivan '' bits 640
row=side-by-side play saved side_by_side '' 0 ivan 'Вы уже играли'

[ "$failures" = 0 ] && echo "failed saves kept the earlier save; saves beside other files and games landed whole"
exit $((failures > 0))
