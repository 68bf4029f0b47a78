#!/usr/bin/env bash
# The Windows game under wine in a real terminal (tmux), where standard error is the console: the
# start-up message about a save the game cannot read shows in Russian, not as mangled bytes.
#   console_message_test.sh WINE RPG   (the wine prefix and its settings in the environment)
set -euo pipefail
wine=$1 rpg=$2
work=$(mktemp -d)
socket=$work/tmux.sock
trap 'tmux -S "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
# A game alone in its console plays in its own folder, as one started from Explorer does.
cp "$rpg" "$work/rpg.exe"
cd "$work"
: > Intro.txt
truncate -s 2M chartype1.txt
message='Не удалось прочитать сохранённую игру chartype1.txt: файл слишком большой'

tmux -S "$socket" -f /dev/null new-session -d -x 150 -y 20 -- env LANG=C.UTF-8 LC_ALL=C.UTF-8 "$wine" rpg.exe
for _ in $(seq 600); do
  screen=$(tmux -S "$socket" capture-pane -p -J 2>/dev/null || true)
  if grep -qF "$message" <<<"$screen"; then
    tmux -S "$socket" send-keys x
    echo "the start-up message shows in Russian in the console"
    exit 0
  fi
  sleep 0.1
done
echo "the console did not show \"$message\"; it showed:" >&2
printf '%s\n' "$screen" >&2
exit 1
