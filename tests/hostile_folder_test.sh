#!/usr/bin/env bash
# The real game in folders and with input that someone set up to break it. Each row of the table
# plays one game with a hard time limit and, where that matters, a small memory limit, and checks
# its exit status, what it said, and that nothing in the folder changed but what the row allows.
#   hostile_folder_test.sh RPG [sanitized|emulated]
# A sanitizer's runtime needs more memory than the limit, and an emulator maps the game's whole
# address space (4 GiB for 32-bit ARM) beside its own: for them the limit is left out.
set -uo pipefail
rpg=$(realpath "$1")
memory_limit_kb=$([ -n "${2:-}" ] && echo unlimited || echo 65536)
work=$(mktemp -d /tmp/rpg-hostile.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL [$row]: $*" >&2; failures=$((failures + 1)); }

ivan=$'200\n20\n0\n20\n200\n50\n200\n50\n20\nIvan\n0\n1\n'
new_game=$'w\nPetr\ns\np\n'
cannot_save='Не удалось сохранить игру'
cannot_read='Не удалось прочитать сохранённую игру chartype1.txt: '

# Everything in the folder but the game's own output, with enough to see any change.
snapshot() { find . -mindepth 1 ! -name out ! -name errors ! -name keys -printf '%p %y %i %s %l %T@\n' | sort; }

# Plays KEYS in a fresh folder that SETUP prepares, then checks STATUS, that OUT (a fixed string)
# is in standard output, or ERRORS is all of standard error, and that the folder is as it was.
play() {
  local setup=$1 keys=$2 status=$3 expected=$4 allowed=${5:-}
  local folder="$work/$row" before got=0
  mkdir "$folder" && cd "$folder" || exit 1
  printf 'Туман над рекой.\n' > Intro.txt
  $setup || { echo "skipped [$row]: cannot be set up here"; cd "$work"; return; }
  before=$(snapshot | grep -v "^./$allowed " || true)
  printf '%s' "$keys" > keys
  (ulimit -v "$memory_limit_kb" && exec timeout 10 "$rpg" < keys > out 2> errors) || got=$?
  [ "$got" = "$status" ] || fail "exit status $got, not $status; errors: $(head -c 300 errors)"
  if [ "$status" = 1 ]; then
    [ "$(cat errors)" = "$expected" ] || fail "standard error: $(head -c 300 errors)"
  else
    grep -qF -- "$expected" out || fail "\"$expected\" was not shown"
  fi
  [ "$(snapshot | grep -v "^./$allowed " || true)" = "$before" ] || fail "the folder changed: $(snapshot)"
  cd "$work"
}

device_link() { mknod device c 1 3 2>/dev/null && ln -s device chartype1.txt; }
foreign_link() {
  [ "$(id -u)" = 0 ] && printf '%s' "$ivan" > elsewhere && ln -s elsewhere chartype1.txt && chown -h nobody chartype1.txt
}
own_link() { printf '%s' "$ivan" > elsewhere && ln -s elsewhere chartype1.txt; }
save_folder() { mkdir chartype1.txt; }
intro_folder() { rm Intro.txt && mkdir Intro.txt; }
intro_pipe() { rm Intro.txt && mkfifo Intro.txt; }
intro_endless() { ln -sf /dev/zero Intro.txt; }
intro_huge() { truncate -s 1G Intro.txt; }
save_huge() { truncate -s 1G chartype1.txt; }
# Past 2 GiB a 32-bit system measures the file only with 64-bit sizes.
save_past_2_gib() { truncate -s 3G chartype1.txt; }
save_controls() { printf '1\n2\n3\n4\n5\n6\n7\n8\n9\nИ\xc2\x9b2J\xe2\x80\xaeв\xe2\x81\xa6ан\n0\n1\n' > chartype1.txt; }
nothing() { :; }

row=device-link play device_link "$new_game" 0 "$cannot_save"
row=foreign-link play foreign_link "$new_game" 1 "${cannot_read}ссылка принадлежит другому пользователю"
row=save-folder play save_folder "$new_game" 0 "$cannot_save"
row=intro-folder play intro_folder "$new_game" 0 '(W)arrior' chartype1.txt
row=intro-pipe play intro_pipe "$new_game" 0 '(W)arrior' chartype1.txt
row=intro-endless play intro_endless "$new_game" 0 '(W)arrior' chartype1.txt
row=intro-huge play intro_huge "$new_game" 0 '(W)arrior' chartype1.txt
row=save-huge play save_huge "$new_game" 1 "${cannot_read}файл слишком большой"
row=save-past-2-gib play save_past_2_gib "$new_game" 1 "${cannot_read}файл слишком большой"
row=save-controls play save_controls $'m\n' 0 'Name = И2Jван'
row=crlf-input play nothing $'w\r\nИван\r\ns\r\nm\r\n' 0 'Name = Иван' chartype1.txt
[ "$(sed -n 10p "$work/crlf-input/chartype1.txt")" = Иван ] || { row=crlf-input; fail "the name was not saved"; }
[ "$(grep -c Меню "$work/crlf-input/out")" = 2 ] || { row=crlf-input; fail "the menu showed more than twice"; }
# The player's own link is saved through and stays a link.
row=own-link play own_link $'t\na\ny\ns\np\n' 0 'Вы уже играли' elsewhere
[ -L "$work/own-link/chartype1.txt" ] && [ "$(sed -n 2p "$work/own-link/elsewhere")" = 25 ] ||
  { row=own-link; fail "the save did not go through the player's own link"; }

[ "$failures" = 0 ] && echo "every hostile folder was played safely"
exit $((failures > 0))
