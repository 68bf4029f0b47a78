#!/usr/bin/env bash
# The Windows game under wine in a real console (tmux), in a folder of its own beside its
# introduction, as a game alone in its console plays in its own folder:
# - 40 columns wide, the introduction and the trainer's speech break between words, and no row
#   reaches the last column, which would move the console to the next row by itself;
# - a save too large to read gives the start-up message on standard error, in Russian, broken
#   between words at 41 columns like the game's own text.
#   console_test.sh WINE RPG INTRO   (the wine prefix and its settings in the environment)
set -uo pipefail
wine=$1 rpg=$2 intro=$3
work=$(mktemp -d)
socket=$work/tmux.sock
trap 'tmux -S "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT
fail() { printf 'FAIL: %s\n' "$*" >&2; screen >&2; exit 1; }
screen() { tmux -S "$socket" capture-pane -p -J -S - -t "$game" | sed 's/[[:space:]]*$//'; }
wait_for() {
    for _ in $(seq 300); do grep -qF -- "$1" <<<"$(screen)" && return 0; sleep 0.1; done
    fail "\"$1\" did not show"
}
# Plays in a folder of its own, in a console COLUMNS wide.
start() {
    game=$1
    mkdir "$work/$game" && cp "$rpg" "$intro" "$work/$game/" || fail "cannot prepare $work/$game"
    "${@:3}"
    tmux -u -S "$socket" -f /dev/null new-session -d -s "$game" -x "$2" -y 60 -c "$work/$game" \
        env LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=screen "$wine" rpg.exe || fail "no tmux"
}

start narrow 40
wait_for '(R)ogue'
tmux -S "$socket" send-keys -t narrow w Enter
wait_for 'зовут?'
text=$(tr -s ' \r\n' '   ' <"$intro")
previous=
while IFS= read -r row; do
    [ ${#row} -le 39 ] || fail "a row reaches the last column: $row"
    glued=${previous##* }${row%% *}
    [ -z "$previous" ] || [ -z "$row" ] || [[ $text != *"$glued"* ]] || fail "\"$glued\" is cut"
    previous=$row
done <<<"$(tmux -S "$socket" capture-pane -p -S - -t narrow | sed 's/[[:space:]]*$//')"
grep -qF "$(head -n 1 "$intro" | cut -d ' ' -f 1-6)" <<<"$(screen | tr '\n' ' ')" || fail "the introduction did not show"
echo "ok: lines break between words in a Windows console 40 columns wide"

start unreadable 41 truncate -s 2M "$work/unreadable/chartype1.txt"
wait_for 'большой'
message='Не удалось прочитать сохранённую игру chartype1.txt: файл слишком большой'
[[ " $(screen | tr -s ' \n' '  ') " == *" $message "* ]] || fail "the start-up message is not whole"
while IFS= read -r row; do [ ${#row} -le 40 ] || fail "a row reaches the last column: $row"; done <<<"$(screen)"
tmux -S "$socket" send-keys -t unreadable x
echo "ok: the start-up message shows in Russian in the console, broken between words"
