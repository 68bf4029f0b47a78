#!/usr/bin/env bash
# The Windows game under wine in a console 40 columns wide (tmux): the introduction and the
# trainer's speech break between words, and no row reaches the last column, which would move the
# console to the next row by itself and leave a blank one.
#   wrap_test.sh WINE RPG INTRO   (the wine prefix and its settings in the environment)
set -uo pipefail
wine=$1 rpg=$2 intro=$3
work=$(mktemp -d)
socket=$work/tmux.sock
trap 'tmux -S "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT
fail() { printf 'FAIL: %s\n' "$*" >&2; tmux -S "$socket" capture-pane -p -S - >&2; exit 1; }
cp "$intro" "$work/Intro.txt"
screen() { tmux -S "$socket" capture-pane -p -S - | sed 's/[[:space:]]*$//'; }
wait_for() {
    for _ in $(seq 300); do grep -qF -- "$1" <<<"$(screen)" && return 0; sleep 0.1; done
    fail "\"$1\" did not show"
}
tmux -u -S "$socket" -f /dev/null new-session -d -x 40 -y 60 -c "$work" \
    env LANG=C.UTF-8 TERM=screen WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all "$wine" "$rpg" || fail "no tmux"
wait_for '(R)ogue'
tmux -S "$socket" send-keys w Enter
wait_for 'зовут?'
text=$(tr -s ' \r\n' '   ' <"$intro") previous=
while IFS= read -r row; do
    [ ${#row} -le 39 ] || fail "a row reaches the last column: $row"
    glued=${previous##* }${row%% *}
    [ -z "$previous" ] || [ -z "$row" ] || [[ $text != *"$glued"* ]] || fail "\"$glued\" is cut"
    previous=$row
done <<<"$(screen)"
echo "ok: lines break between words in a Windows console 40 columns wide"
