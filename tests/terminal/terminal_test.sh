#!/usr/bin/env bash
# Plays the real game inside tmux, as a person at a terminal would, and checks what only a real
# terminal shows: the Russian text, pauses that wait for one unseen key, screens that really
# clear, and a terminal left usable after Ctrl-C or Ctrl-Z in the middle of a pause; then a table
# of games for stops in the middle of a key, 8-bit character sets, narrow and resized windows.
#
# Usage: terminal_test.sh PATH_TO_RPG
# Exits 0 when every check passes, otherwise 1 with the reason and the screen it saw.

# Commands typed into the panes are single-quoted on purpose, the clean-up runs from a trap, and
# tr turns both blanks and semicolons into line ends.
# shellcheck disable=SC2016,SC2020,SC2317

set -u

fail() {
    printf 'FAIL: %s\n' "$1" >&2
    if [ -n "${pane:-}" ]; then
        printf -- '--- screen of the game pane ---\n' >&2
        screen "$pane" >&2 || true
        printf -- '--- end of screen ---\n' >&2
    fi
    exit 1
}

pass() {
    printf 'ok: %s\n' "$1"
}

[ $# -eq 1 ] || { printf 'usage: %s PATH_TO_RPG\n' "$0" >&2; exit 2; }
rpg=$(cd "$(dirname "$1")" 2>/dev/null && pwd)/$(basename "$1")
[ -x "$rpg" ] || { printf 'FAIL: %s is not an executable game binary\n' "$1" >&2; exit 1; }
command -v tmux >/dev/null 2>&1 || { printf 'FAIL: tmux is not installed (apt-get install tmux)\n' >&2; exit 1; }
command -v stty >/dev/null 2>&1 || { printf 'FAIL: stty is not installed\n' >&2; exit 1; }

export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset TMUX TMUX_PANE

# How long one expectation may take to come true on a busy machine.
timeout_seconds=10

work=$(mktemp -d "${TMPDIR:-/tmp}/rpg-term.XXXXXX") || { printf 'FAIL: no temporary folder\n' >&2; exit 1; }
socket="$work/tmux.sock"
game_dir="$work/game"
output_log="$work/pane-output.log"
stop_script="$work/stop-and-resume.sh"

server_pid=

# The server and the shells in its panes are gone before their folder is removed, so nothing
# they write on the way out lands in a half-removed folder.
cleanup() {
    local tries
    tmux -S "$socket" kill-server >/dev/null 2>&1 || true
    if [ -n "$server_pid" ]; then
        for ((tries = 0; tries < 50; tries++)); do
            kill -0 "$server_pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    for ((tries = 0; tries < 50; tries++)); do
        rm -rf "$work" 2>/dev/null
        [ -e "$work" ] || break
        sleep 0.1
    done
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

t() {
    tmux -u -S "$socket" -f /dev/null "$@"
}

# The visible screen, wrapped lines joined and trailing blanks dropped.
screen() {
    t capture-pane -p -J -t "$1" | sed "s/[[:space:]]*\$//"
}

# The scrollback and the visible screen together.
screen_and_history() {
    t capture-pane -p -J -S - -t "$1" | sed "s/[[:space:]]*\$//"
}

# The line mode and echo flags of a pane's terminal, read from outside so no shell in the pane
# can touch them first: "icanon echo" in line mode, "-icanon -echo" while a key is awaited.
modes_of() {
    local tty settings
    tty=$(t display -p -t "$1" '#{pane_tty}')
    settings=$(stty -a -F "$tty" 2>&1) || { printf 'unreadable(%s)' "$settings"; return; }
    settings=$(tr ' ;' '\n\n' <<<"$settings" | grep -x -e icanon -e -icanon -e echo -e -echo)
    printf '%s' "${settings//$'\n'/ }"
}

# Polls the screen until TEXT shows: a substring (-F), a whole line (-xF) or a pattern (-E).
wait_for() {
    local pane=$1 how=$2 text=$3 why=$4
    local deadline=$((SECONDS + timeout_seconds))
    while true; do
        if grep -q "$how" -- "$text" <<<"$(screen "$pane")"; then
            return 0
        fi
        [ "$SECONDS" -lt "$deadline" ] || fail "$why: \"$text\" did not appear within $timeout_seconds s"
        sleep 0.1
    done
}

wait_until_gone() {
    local pane=$1 text=$2 why=$3
    local deadline=$((SECONDS + timeout_seconds))
    while true; do
        if ! grep -qF -- "$text" <<<"$(screen "$pane")"; then
            return 0
        fi
        [ "$SECONDS" -lt "$deadline" ] || fail "$why: \"$text\" was still on the screen after $timeout_seconds s"
        sleep 0.1
    done
}

wait_for_modes() {
    local pane=$1 expected=$2 why=$3 seen
    local deadline=$((SECONDS + timeout_seconds))
    while true; do
        seen=$(modes_of "$pane")
        [ "$seen" = "$expected" ] && return 0
        [ "$SECONDS" -lt "$deadline" ] || fail "$why: the terminal shows \"$seen\", not \"$expected\", after $timeout_seconds s"
        sleep 0.1
    done
}

# Waits, then makes sure something has still not happened.
still_absent() {
    local pane=$1 text=$2 why=$3
    sleep 1
    if grep -qF -- "$text" <<<"$(screen "$pane")"; then
        fail "$why"
    fi
}

# True when the bytes the pane received contain TEXT; compared byte for byte.
output_contains() {
    (
        LC_ALL=C
        log=$(cat "$output_log")
        [[ $log == *"$1"* ]]
    )
}

# The log is written a moment after the screen is drawn, so a missing text is awaited too.
wait_for_output() {
    local deadline=$((SECONDS + timeout_seconds))
    until output_contains "$1"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

intro_line='Над Тихим Омутом встаёт туман, и ворота тренировочного двора ещё закрыты.'
warrior_line='(W)arrior(Самое большое количество хп и выносливости)'
name_question='Что-то я заболтался, а как вас кстати зовут?'
warrior_greeting='Прекрасно вы решили стать Воином!'
coins_line='получено 200 монет'
pause_prompt='Для продолжения нажмите любую клавишу . . .'
menu_title='::::::Меню:::::::'
clear_codes=$'\e[H\e[2J\e[3J'
key_mode='-icanon -echo'
line_mode='icanon echo'

mkdir -p "$game_dir" "$work/home" || fail "cannot prepare $work"
printf '%s\n' "$intro_line" >"$game_dir/Intro.txt"

# Job control lets the game be stopped and continued. Unlike an interactive shell, a script does
# not reset the terminal when its job stops, so it reports what the game itself left behind.
cat >"$stop_script" <<'EOF'
modes() {
    stty -a | tr ' ;' '\n\n' | grep -x -e icanon -e -icanon -e echo -e -echo | tr '\n' ' '
}
set -m
"$RPG"
status=$?
# The stopped game left the cursor after its prompt.
echo
echo "stopped-status=$status"
echo "stopped-modes: $(modes)"
IFS= read -r line
echo "stopped-read=[$line]"
fg
status=$?
echo "final-status=$status"
echo "final-modes: $(modes)"
EOF

# Each shell starts clean: no rc files, no history file, a known prompt, UTF-8, and the game and
# the helper script reachable through the environment.
pane_shell=(env -i HOME="$work/home" PATH="$PATH" TERM=screen LANG=C.UTF-8 LC_ALL=C.UTF-8
    'PS1=rpg-test$ ' HISTFILE= RPG="$rpg" STOP_SCRIPT="$stop_script" bash --norc --noprofile)

pane=$(t new-session -d -P -F '#{pane_id}' -s rpg -x 100 -y 40 -c "$game_dir" -- "${pane_shell[@]}") \
    || fail "tmux could not start a session"
server_pid=$(t display -p '#{pid}')
size=$(t display -p -t "$pane" '#{pane_width}x#{pane_height}')
[ "$size" = "100x40" ] || fail "the pane is $size, not 100x40"
t pipe-pane -t "$pane" -o "cat >> $(printf '%q' "$output_log")" || fail "tmux could not log the pane"
wait_for "$pane" -xF 'rpg-test$' "the shell in the pane did not start"

t send-keys -t "$pane" '"$RPG"' Enter

# The introduction and the class list, in Russian.
wait_for "$pane" -xF "$warrior_line" "the class list did not show"
wait_for "$pane" -F "$intro_line" "the introduction from Intro.txt did not show"
pass "the introduction and the class list show in Russian"

# The warrior's greeting, a Cyrillic name, then the first pause.
t send-keys -t "$pane" w Enter
wait_for "$pane" -F "$name_question" "choosing the warrior did not ask for a name"
wait_for "$pane" -F "$warrior_greeting" "choosing the warrior did not show the trainer's greeting"
t send-keys -t "$pane" -l 'Иван'
t send-keys -t "$pane" Enter
wait_for "$pane" -F "$coins_line" \
    "giving the name did not hand over the coins (if the menu shows instead, the pause did not wait)"
wait_for "$pane" -F "$pause_prompt" "the pause after the name did not show its prompt"
wait_for_modes "$pane" "$key_mode" "the pause did not switch the terminal to single unseen keys"
still_absent "$pane" "$menu_title" "the main menu showed without a key being pressed: the pause did not wait"
pass "the pause waits with the terminal in single-key mode without echo"

# One letter, no Enter, ends the pause, and the screen is cleared for the menu.
t send-keys -t "$pane" x
wait_for "$pane" -F "$menu_title" "one key press at the pause did not bring up the main menu"
visible=$(screen "$pane")
for gone in "$intro_line" "$warrior_line" "$warrior_greeting" "$name_question" "$coins_line"; do
    if grep -qF -- "$gone" <<<"$visible"; then
        fail "the menu screen still shows text from before the clear: \"$gone\""
    fi
done
history=$(screen_and_history "$pane")
for gone in "$intro_line" "$warrior_line" "$warrior_greeting" "$name_question" "$coins_line"; do
    if grep -qF -- "$gone" <<<"$history"; then
        fail "the scrollback still holds text from before the clear: \"$gone\""
    fi
done
pass "the screen and the scrollback are cleared before the menu"

# Byte for byte, the prompt is followed by the line end and the clear, with no echoed key.
if ! wait_for_output "$pause_prompt "$'\r\n'"$clear_codes"; then
    if output_contains "$pause_prompt x"; then
        fail "the key pressed at the pause was echoed"
    fi
    fail "after the pause prompt the terminal did not get a line end and then ESC[H ESC[2J ESC[3J"
fi
pass "the key that ends the pause is not echoed"

# The character sheet shows the Cyrillic name and the class.
t send-keys -t "$pane" m Enter
wait_for "$pane" -xF 'Name = Иван' "the character sheet did not show the Cyrillic name"
wait_for "$pane" -xF 'Вы воин' "the character sheet did not name the class"
pass "the character sheet shows the name and the class"

# Ctrl-Z at a pause, in a fresh window: the game is stopped by a small job-control script that
# reports the terminal as the stopped game left it, reads a line, then continues the game.
pane=$(t new-window -d -P -F '#{pane_id}' -t rpg: -c "$game_dir" -- "${pane_shell[@]}") \
    || fail "tmux could not open a second window"
wait_for "$pane" -xF 'rpg-test$' "the shell in the second window did not start"
t send-keys -t "$pane" 'bash --norc --noprofile "$STOP_SCRIPT"' Enter
wait_for "$pane" -xF '(R)ogue(Умеет открывать сундуки и наносить крит.урон)' \
    "the second game did not show the class list"
t send-keys -t "$pane" r Enter
wait_for "$pane" -F "$name_question" "choosing the rogue did not ask for a name"
t send-keys -t "$pane" -l 'Ольга'
t send-keys -t "$pane" Enter
wait_for "$pane" -F "$pause_prompt" "the second game's first pause did not show"
wait_for_modes "$pane" "$key_mode" "the second game's first pause did not switch to single keys"
t send-keys -t "$pane" x
wait_for "$pane" -F "$menu_title" "the second game's menu did not show after one key"
t send-keys -t "$pane" m Enter
wait_for "$pane" -xF 'Name = Ольга' "the second game's character sheet did not show"
wait_for "$pane" -xF 'Вы вор' "the second game's character sheet did not name the rogue"
wait_for_modes "$pane" "$key_mode" "the second game's sheet pause did not switch to single keys"
t send-keys -t "$pane" C-z
wait_for "$pane" -xF 'stopped-status=148' "Ctrl-Z at a pause did not stop the game"
wait_for "$pane" -xF "stopped-modes: $line_mode" "while the game is stopped stty -a does not show icanon and echo"
wait_for_modes "$pane" "$line_mode" "while the game is stopped the terminal is not in line mode with echo"
t send-keys -t "$pane" -l 'typed-while-stopped'
wait_for "$pane" -xF 'typed-while-stopped' "while the game is stopped typed text is not echoed"
t send-keys -t "$pane" Enter
wait_for "$pane" -xF 'stopped-read=[typed-while-stopped]' \
    "while the game is stopped a typed line does not reach the shell"
pass "Ctrl-Z at a pause stops the game with line mode and echo back on"

# Continued, the game waits for its key again; a Cyrillic letter is two bytes, and the second
# must not be left over to end the next pause by itself.
wait_for_modes "$pane" "$key_mode" "after fg the game did not go back to waiting for a single key"
t send-keys -t "$pane" -l 'ж'
wait_until_gone "$pane" 'Name = Ольга' "a key after fg did not end the sheet's pause"
wait_for "$pane" -F "$pause_prompt" "the game's last pause did not show"
wait_for_modes "$pane" "$key_mode" "the game's last pause did not switch to single keys"
still_absent "$pane" 'final-status=' "the last pause ended by itself: the rest of the Cyrillic key was left over"
t send-keys -t "$pane" q
wait_for "$pane" -xF 'final-status=0' "the continued game did not end with status 0 after its last pause"
wait_for "$pane" -xF "final-modes: $line_mode" "after the game ended stty -a does not show icanon and echo"
pass "after fg the game waits for a key again and runs to its end"

# In an interactive shell with job control: Ctrl-Z, bg and fg, a few times over, since what the
# game does on being continued races with the shell's own line editor taking the terminal. The
# game must go back to the settings it found at its start, not to the line editor's.
pane=$(t new-window -d -P -F '#{pane_id}' -t rpg: -c "$game_dir" -- "${pane_shell[@]}") \
    || fail "tmux could not open a third window"
wait_for "$pane" -xF 'rpg-test$' "the shell in the third window did not start"
# The shell reports a job that stops in the background at once, not at its next prompt.
t send-keys -t "$pane" 'set -b; rm -f chartype1.txt; "$RPG"' Enter
wait_for "$pane" -xF "$warrior_line" "the third game did not show the class list"
t send-keys -t "$pane" w Enter
t send-keys -t "$pane" -l 'Пётр'
t send-keys -t "$pane" Enter
wait_for "$pane" -F "$pause_prompt" "the third game's first pause did not show"
for round in 1 2 3; do
    t send-keys -t "$pane" C-z
    wait_for "$pane" -E 'Stopped.*RPG' "round $round: Ctrl-Z did not stop the game"
    t send-keys -t "$pane" 'bg' Enter
    deadline=$((SECONDS + timeout_seconds))
    until [ "$(screen "$pane" | grep -c Stopped)" = 2 ]; do
        [ "$SECONDS" -lt "$deadline" ] || fail "round $round: the game did not stop for its key in the background"
        sleep 0.1
    done
    t send-keys -t "$pane" 'clear; fg' Enter
    wait_for "$pane" -xF '"$RPG"' "round $round: fg did not bring the game back"
    wait_for_modes "$pane" "$key_mode" "round $round: after fg the game did not wait for a single key"
done
t send-keys -t "$pane" x
wait_for "$pane" -F "$menu_title" "after the rounds of Ctrl-Z, bg and fg one key did not end the pause"
wait_for_modes "$pane" "$line_mode" "after the rounds of Ctrl-Z, bg and fg the game reads its menu without line mode"
pass "Ctrl-Z, bg and fg at a pause, three times, leave the terminal as the game found it"

# At 30 columns the introduction and the trainer's speech break between words: no two rows glue
# into a word of the text, and the rows joined by spaces give the text back.
narrow_dir="$work/narrow"
mkdir -p "$narrow_dir" && cp "$(dirname "$0")/../../Intro.txt" "$narrow_dir/" || fail "cannot prepare $narrow_dir"
pane=$(t new-session -d -P -F '#{pane_id}' -s narrow -x 30 -y 60 -c "$narrow_dir" -- "${pane_shell[@]}") \
    || fail "tmux could not start a narrow session"
wait_for "$pane" -xF 'rpg-test$' "the shell in the narrow window did not start"
t send-keys -t "$pane" '"$RPG"' Enter
wait_for "$pane" -F '(R)ogue' "the narrow game did not show the class list"
t send-keys -t "$pane" w Enter
wait_for "$pane" -F 'зовут?' "the narrow game did not ask for a name"
rows=$(t capture-pane -p -S - -t "$pane" | sed 's/[[:space:]]*$//')
text=$(tr -s ' \n' '  ' <"$narrow_dir/Intro.txt")$(tr -s ' \n' '  ' <<<"$warrior_greeting")
previous=
while IFS= read -r row; do
    [ ${#row} -le 30 ] || fail "a row is wider than the window: $row"
    glued=${previous##* }${row%% *}
    if [ -n "$previous" ] && [ -n "$row" ] && [[ $text == *"$glued"* ]]; then
        fail "the word \"$glued\" is cut between \"$previous\" and \"$row\""
    fi
    previous=$row
done <<<"$rows"
[[ $(tr -s ' \n' '  ' <<<"$rows") == *"$(tr -s ' \n' '  ' <"$narrow_dir/Intro.txt")"* ]] \
    || fail "the introduction's text changed when it was broken into rows"
pass "at 30 columns lines break between words and the text is unchanged"

# A terminal with TERM=dumb, or with no TERM, gets no escape codes: a clear is a form feed.
for term in TERM=dumb -uTERM; do
    term_log="$work/term$term.log"
    pane=$(t new-window -d -P -F '#{pane_id}' -t narrow -c "$game_dir" -- env "$term" LANG=C.UTF-8 "$rpg") \
        || fail "tmux could not start the game with $term"
    t pipe-pane -t "$pane" -o "cat >> $(printf '%q' "$term_log")"
    wait_for "$pane" -F '(R)ogue' "the game with $term did not show the class list"
    t send-keys -t "$pane" w Enter
    wait_for "$pane" -F "зовут?" "the game with $term did not ask for a name"
    t send-keys -t "$pane" Enter
    wait_for "$pane" -F "клавишу . . ." "the game with $term did not pause after the name"
    t send-keys -t "$pane" x
    wait_for "$pane" -F "$menu_title" "the game with $term did not show the menu"
    sleep 0.5
    grep -q $'\f' "$term_log" || fail "with $term a clear is not a form feed"
    ! grep -q $'\e' "$term_log" || fail "with $term the game wrote escape codes"
    t kill-pane -t "$pane"
done
pass "TERM=dumb and no TERM get no escape codes"

# A KOI8-R terminal (luit between tmux and the game) shows the Russian text and takes a Russian
# name, which is saved in UTF-8. A cross build's game has no iconv modules under the emulator.
if [ -n "${RPG_NO_ICONV_MODULES:-}" ]; then
    printf 'terminal test: all checks passed but the KOI8-R terminal, which needs the iconv modules\n'
    exit 0
fi
koi8_dir="$work/koi8"
mkdir -p "$koi8_dir/locale" && printf '%s\n' "$intro_line" >"$koi8_dir/Intro.txt" || fail "cannot prepare $koi8_dir"
localedef -i ru_RU -f KOI8-R "$koi8_dir/locale/ru_RU.KOI8-R" 2>/dev/null || fail "localedef cannot make ru_RU.KOI8-R"
pane=$(t new-window -d -P -F '#{pane_id}' -t narrow -c "$koi8_dir" -- env -u LC_ALL LANG=C.UTF-8 luit -encoding KOI8-R \
    -- env LOCPATH="$koi8_dir/locale" LC_ALL=ru_RU.KOI8-R "$rpg") || fail "tmux could not start luit"
wait_for "$pane" -F '(M)age(Умеет' "the class list did not show in Russian on a KOI8-R terminal"
t send-keys -t "$pane" w Enter
wait_for "$pane" -F 'зовут?' "the KOI8-R game did not ask for a name"
t send-keys -t "$pane" -l 'Иван'
t send-keys -t "$pane" Enter x s Enter
wait_for "$pane" -F 'Сохранить игру(S)' "the KOI8-R game did not show its menu"
sleep 0.5
[ "$(sed -n 10p "$koi8_dir/chartype1.txt")" = 'Иван' ] || fail "a name typed on a KOI8-R terminal was not saved in UTF-8"
pass "a KOI8-R terminal shows and takes Russian"

# One table of games played through a real terminal, each in a window of its own: how the game is
# started (by a script with job control that continues it with fg whenever it stops, reading a line
# first for jobs:read or first continuing it in the background for a second for jobs:bg, straight in
# the window so it leads its own session, in the background of a shell that has gone, with standard
# input opened again only for reading or left non-blocking, in an 8-bit set with the tty's IUTF8 on,
# as luit leaves it, with keys sent as that set's bytes, or by a shell that first sets the terminal
# with stty, or runs the game under strace holding each return of one system call, and at the end
# says how the game ended, whether the terminal's settings are the ones it found, and the line the
# terminal then held), the window's width, what stands in its folder, and the steps: keys, literal
# text, bytes, a paste ending with Enter, keys with a stop right after them (while the rest of the
# key is being read), each return of one system call held from then on, a signal to the game, a text
# to wait for, to see go or to stay away, bytes the terminal must have been sent, the terminal's
# mode to wait for, a new width, and text that must show laid out between words within the width.
table_row=0
wait_for_line_10() {
    local deadline=$((SECONDS + timeout_seconds))
    until [ "$(sed -n 10p "$1" 2>/dev/null)" = "$2" ]; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$3: the save does not hold the name \"$2\""
        sleep 0.1
    done
}

# The game itself, not a shell or strace before it.
game_in_pane() {
    local parent tracer
    parent=$(t display -p -t "$pane" '#{pane_pid}')
    tracer=$(pgrep -P "$parent" -x strace) && parent=$tracer
    pgrep -P "$parent" -f "$rpg"
}

# Run by sh: $1 the stty settings to start from, $2 what runs the game, $0 the game. Ctrl-C ends
# only the game: the shell's handler is reset for the game, where ignoring it would be inherited.
settings_kept='trap : INT; { [ -z "$1" ] || stty $1; } && found=$(stty -g) && $2 "$0"; status=$?; left=$(stty -g); stty sane
ahead=$(timeout --foreground 0.5 head -n 1); [ "$left" = "$found" ] && kept=kept || kept=changed
echo "ended $status, settings $kept, then read: $ahead"; sleep 600'

# Run by sh: the game in the background of a shell that has gone, where its reads fail.
orphaned_ends='sh -c "set -m; \"\$0\" & echo \$! >pid" "$0"; while kill -0 "$(cat pid)" 2>/dev/null; do sleep 0.1; done
echo "the game has ended"; sleep 600'
# Run by python3: the game, on a terminal left non-blocking.
nonblocking_kept='import fcntl, os, sys, time
fcntl.fcntl(0, fcntl.F_SETFL, fcntl.fcntl(0, fcntl.F_GETFL) | os.O_NONBLOCK)
status = os.spawnv(os.P_WAIT, sys.argv[1], sys.argv[1:])
kept = "kept" if fcntl.fcntl(0, fcntl.F_GETFL) & os.O_NONBLOCK else "changed"
print(f"ended {status}, non-blocking {kept}", flush=True)
time.sleep(600)'

play_row() {
    local why=$1 start=$2 columns=$3 prepare=$4 steps=$5 dir step verb argument row rows text
    table_row=$((table_row + 1))
    dir="$work/row$table_row"
    mkdir -p "$dir/locale" && printf '%s\n' "$intro_line" >"$dir/Intro.txt" && (cd "$dir" && eval "$prepare") \
        || fail "$why: cannot prepare $dir"
    case $start in
    jobs | jobs:read | jobs:bg)
        case $start in
        jobs) while_stopped= ;;
        jobs:read) while_stopped='read -r -t 0.5 l && echo "the shell read: $l";' ;;
        jobs:bg) while_stopped='bg; sleep 1;' ;;
        esac
        # A shell that is not interactive leaves its jobs ignoring the terminal's stops for reads
        # and writes in the background; an interactive one, which this stands for, does not.
        pane=$(t new-session -d -P -F '#{pane_id}' -s "row$table_row" -x "$columns" -y 40 -c "$dir" \
            -- env TERM=screen LANG=C.UTF-8 LC_ALL=C.UTF-8 bash --norc --noprofile -c \
            "set -m; env --default-signal=SIGTTIN,SIGTTOU \"\$0\"; while [ \$? = 148 ]; do $while_stopped fg; done; sleep 600" \
            "$rpg") ;;
    readonly) pane=$(t new-session -d -P -F '#{pane_id}' -s "row$table_row" -x "$columns" -y 40 -c "$dir" \
        -- env TERM=screen LANG=C.UTF-8 LC_ALL=C.UTF-8 sh -c 'exec "$0" 0</dev/tty' "$rpg") ;;
    nonblocking) pane=$(t new-session -d -P -F '#{pane_id}' -s "row$table_row" -x "$columns" -y 40 -c "$dir" \
        -- env TERM=screen LANG=C.UTF-8 LC_ALL=C.UTF-8 python3 -c "$nonblocking_kept" "$rpg") ;;
    orphaned) pane=$(t new-session -d -P -F '#{pane_id}' -s "row$table_row" -x "$columns" -y 40 -c "$dir" \
        -- env TERM=screen LANG=C.UTF-8 LC_ALL=C.UTF-8 sh -c "$orphaned_ends" "$rpg") ;;
    alone) pane=$(t new-session -d -P -F '#{pane_id}' -s "row$table_row" -x "$columns" -y 40 -c "$dir" \
        -- env TERM=screen LANG=C.UTF-8 LC_ALL=C.UTF-8 "$rpg") ;;
    stty:* | strace:*)
        [ "${start%%:*}" = stty ] && settings=${start#stty:} tracer= || settings= \
            tracer="strace -o /dev/null -e trace=${start#strace:} -e inject=${start#strace:}:delay_exit=400000"
        pane=$(t new-session -d -P -F '#{pane_id}' -s "row$table_row" -x "$columns" -y 40 -c "$dir" \
            -- env TERM=screen LANG=C.UTF-8 LC_ALL=C.UTF-8 sh -c "$settings_kept" "$rpg" "$settings" "$tracer") ;;
    *) localedef -i "${start%%:*}" -f "${start#*:}" "$dir/locale/ru" 2>/dev/null || fail "$why: no locale $start"
        pane=$(t new-session -d -P -F '#{pane_id}' -s "row$table_row" -x "$columns" -y 40 -c "$dir" \
            -- env LOCPATH="$dir/locale" LC_ALL=ru sh -c 'stty iutf8 && exec "$0"' "$rpg") ;;
    esac || fail "$why: tmux could not start the game"
    t pipe-pane -t "$pane" -o "cat >> $(printf '%q' "$dir/pane.log")"
    IFS=';' read -r -a steps <<<"${steps//$'\n'/ }"
    for step in "${steps[@]}"; do
        step=${step#"${step%%[! ]*}"}
        verb=${step%% *} argument=${step#* }
        case $verb in
        keys) read -r -a keys <<<"$argument" && t send-keys -t "$pane" "${keys[@]}" ;;
        text) t send-keys -t "$pane" -l "$argument" ;;
        bytes) read -r -a keys <<<"$argument" && t send-keys -t "$pane" -H "${keys[@]}" ;;
        paste) printf '%s\r' "$argument" >"$dir/paste" && t load-buffer "$dir/paste" && t paste-buffer -t "$pane" ;;
        saved) wait_for_line_10 "$dir/chartype1.txt" "$argument" "$why" ;;
        stop)
            game=$(game_in_pane) || fail "$why: no game to stop"
            read -r -a keys <<<"$argument" && t send-keys -t "$pane" "${keys[@]}" && sleep 0.02 && kill -TSTP "$game"
            ;;
        slow) strace -o /dev/null -p "$(game_in_pane)" -e "inject=$argument:delay_exit=1000000" & sleep 1 ;;
        signal) kill "-$argument" "$(game_in_pane)" || fail "$why: no game to send SIG$argument to" ;;
        see) wait_for "$pane" -F "$argument" "$why" ;;
        gone) wait_until_gone "$pane" "$argument" "$why" ;;
        absent) still_absent "$pane" "$argument" "$why: \"$argument\" showed" ;;
        sent)
            printf -v text '%b' "$argument"
            output_log="$dir/pane.log" wait_for_output "$text" || fail "$why: the terminal was never sent \"$argument\""
            ;;
        mode) wait_for_modes "$pane" "$argument" "$why" ;;
        width) t resize-window -t "$pane" -x "$argument" && columns=$argument ;;
        laid)
            wait_for "$pane" -F "${argument##* }" "$why"
            rows=$(screen "$pane")
            while IFS= read -r row; do
                [ ${#row} -le "$columns" ] || fail "$why: a row is wider than $columns columns: $row"
            done <<<"$rows"
            [[ " $(tr -s ' \n' '  ' <<<"$rows") " == *" $argument "* ]] \
                || fail "$why: \"$argument\" is not laid out whole between words"
            ;;
        esac
    done
    t kill-session -t "row$table_row"
    pass "$why"
}

to_pause="see (R)ogue; keys w Enter; see зовут?; text Ян; keys Enter; see $pause_prompt; mode $key_mode"
menu_item='Увидеть свои характеристики и количество денег(M)'
play_row "Esc, then a stop and fg, ends the pause and the next key still counts" jobs 100 '' \
    "$to_pause; stop Escape; see $menu_title; keys m Enter; see Name = Ян"
play_row "an arrow, then a stop and fg, ends the pause and the next key still counts" jobs 100 '' \
    "$to_pause; stop Up; see $menu_title; keys m Enter; see Name = Ян"
play_row "Ctrl-Z where the game cannot stop leaves the pause taking one unseen key" alone 100 '' \
    "$to_pause; keys C-z; mode $key_mode; keys x; see $menu_title"
# "Ж" and a letter whose byte would continue a UTF-8 character ("ё", in CP866 "а"), Backspace and
# "в" as a name, then "ж" and the menu's answer S at the pause, in each set.
while read -r set zhe yo ve zh; do
    play_row "in ${set#*:} Backspace erases one letter and a letter at a pause leaves the answer after it" "$set" 100 '' \
        "see (R)ogue; keys w Enter; bytes $zhe $yo; keys BSpace; bytes $ve 0a; mode $key_mode; bytes $zh 73 0d; saved Жв"
done <<'ROWS'
ru_RU:KOI8-R f6 a3 d7 d6
uk_UA:KOI8-U f6 a3 d7 d6
ru_RU:CP1251 c6 b8 e2 e6
ru_RU:ISO-8859-5 b6 f1 d2 d6
ru_RU:IBM866 86 a0 a2 a6
ROWS
play_row "input that ends in mid-line leaves the column after the typed letter" jobs 33 '' \
    "see (R)ogue; text w; keys C-d C-d; laid wПрекрасно вы решили стать Воином! Это"
play_row "input that ends in mid-line leaves the column after the blanks before the key" jobs 28 '' \
    "see (R)ogue; text    w; keys C-d C-d; laid wПрекрасно вы решили стать Воином! Это"
play_row "a name that ends in mid-line leaves the column after all it typed, not the 11 it keeps" jobs 40 '' \
    "see (R)ogue; keys w Enter; see зовут?; text abcdefghijklmnopqrst; keys C-d C-d;
    laid abcdefghijklmnopqrstВы поперхнулись? Ааа, это ваше имя, родители вас видимо"
play_row "a key pasted after the key that ends a pause is shown before the game takes it" jobs 100 '' \
    "$to_pause; bytes 78 73 0d; saved Ян; sent Сохранить игру(S)\r\ns\r\n"
# Longer than the terminal's buffer, so it comes in parts; blanks keep the menus it answers few,
# and the first of them follows the echo's line end with its own.
long_paste=$(for digit in {0..9}{0..9}{0..4}; do printf '         %s' "${digit:0:1}"; done)
play_row "a paste longer than the terminal's buffer, after a pause's key, is echoed once and in order" jobs 100 '' \
    "$to_pause; paste x$long_paste; sent $long_paste\r\n\r\n"
play_row "a key pasted after the pause's key is shown with standard input open only for reading" readonly 100 '' \
    "$to_pause; bytes 78 73 0d; saved Ян; sent Сохранить игру(S)\r\ns\r\n"
play_row "what is typed with the game's last key stays in the terminal for the program after it" stty: 100 '' \
    "$to_pause; keys x; see $menu_title; keys m Enter; see Name = Ян; keys x; gone Name = Ян; mode $key_mode;
    bytes 71 65 63 68 6f 20 48 49 0d; see then read: echo HI"
play_row "a terminal left non-blocking is played, its reads waiting, and given back so" nonblocking 100 '' \
    "$to_pause; keys x; see $menu_title; keys m Enter; see Name = Ян; keys x q; see ended 0, non-blocking kept"
play_row "a game whose reads fail, left in the background by a shell that has gone, ends" orphaned 100 \
    'printf "200\n20\n0\n20\n200\n50\n200\n50\n20\nЯн\n0\n1\n" >chartype1.txt' "see the game has ended"
play_row "a line pasted with a pause's key and not ended is still edited, so Backspace takes it back" jobs 100 '' \
    "$to_pause; bytes 78 74; keys BSpace; keys m Enter; see Name = Ян"
# A line pasted with a pause's key and not ended, typed on: its signal keys as in line mode, and
# what a stop did to it shown.
play_row "Ctrl-Z in such a line discards it and is echoed; keys sent with it after it stay the game's" jobs 100 '' \
    "$to_pause; bytes 78 70; sent (S)\r\np; bytes 1a 70; sent p^Z; sent 0\"\r\np; keys BSpace m Enter; see Name = Ян"
play_row "a Ctrl-Z the kernel acts on discards the lines the game holds, as it discards its own" jobs 100 '' \
    "$to_pause; slow fsync; bytes 78 73 0d 70 0d; sent s\r\np\r\n; keys C-z; keys m Enter; see Name = Ян"
play_row "a stop from outside while such a line is typed shows it again once the game has the terminal back" jobs:bg 100 '' \
    "$to_pause; bytes 78 7a 7a; sent (S)\r\nzz; signal TSTP; sent &\r\n; sent 0\"\r\n\r\nzz; signal CONT; absent zzzz"
play_row "Ctrl-V sent with a pause's key makes the Ctrl-C sent after it a character" stty: 100 '' \
    "$to_pause; bytes 78 16 03 0d; sent ^C\r\n; keys m Enter; see Name = Ян"
play_row "Ctrl-C in such a line, with output held up by Ctrl-S, interrupts" stty: 100 '' \
    "$to_pause; bytes 78 61; sent (S)\r\na; keys C-s; bytes 62; absent ended; keys C-c; see ended 130, settings kept"
play_row "after Ctrl-V in such a line and a key, Ctrl-C sent with that key interrupts" stty: 100 '' \
    "$to_pause; bytes 78 7a; sent (S)\r\nz; bytes 16; sent ^\b; bytes 78 03; see ended 130, settings kept"
suspend_paste=x$'\x1a'$(printf '%12000s' '')'echo LEAKED'
play_row "a Ctrl-Z pasted with a pause's key keeps a long rest of the paste from the shell" jobs:read 100 '' \
    "$to_pause; paste $suspend_paste; sent ^Z; sent   echo LEAKED"
play_row "a stop while what came with a pause's key waits in the terminal keeps it from the shell" jobs:read 100 '' \
    "$to_pause; slow write; stop x e c h o Space L E A K E D Enter; see $menu_title;
    sent Сохранить игру(S)\r\necho LEAKED\r\n"
while IFS='|' read -r form bytes; do
    play_row "$form at a pause is one key, so the next pause still waits" stty: 100 '' \
        "$to_pause; keys x; see $menu_title; keys m Enter; see Name = Ян; mode $key_mode; bytes $bytes;
        gone Name = Ян; mode $key_mode; absent ended; keys q; see ended 0, settings kept"
done <<'FORMS'
the Linux console's F1|1b 5b 5b 41
xterm's F1, an SS3 sequence|1b 4f 50
an X10 mouse report|1b 5b 4d 20 21 21
a terminal's reply with a private parameter|1b 5b 3f 36 63
FORMS
play_row "SIGTERM right after the terminal took key mode gives back the settings found" strace:ioctl 100 '' \
    "$to_pause; signal TERM; see ended 143, settings kept"
play_row "Ctrl-C at a pause ends the game with status 130 and gives back the settings found" stty: 100 '' \
    "$to_pause; keys C-c; see ended 130, settings kept"
play_row "a signal the game has no use for, at a pause, gives back the settings found" stty: 100 '' \
    "$to_pause; signal USR1; see ended 138, settings kept"
play_row "a terminal found with reads that return at once is played in a working line mode" \
    "stty:-icanon min 0 time 0" 100 '' "$to_pause; keys x; see $menu_title; keys m Enter; see Name = Ян;
    keys x; keys q; see ended 0, settings kept"
play_row "a terminal found raw is played in a working line mode, Enter ending a line" stty:raw 100 '' \
    "$to_pause; keys x; see $menu_title; keys m Enter; see Name = Ян; keys x; keys q; see ended 0, settings kept"
play_row "standard error on the game's terminal breaks between words" alone 30 'head -c 2000000 /dev/zero >chartype1.txt' \
    "laid Не удалось прочитать сохранённую игру chartype1.txt: файл слишком большой"
play_row "a window made narrower (SIGWINCH) lays the next screen out at its new width" jobs 100 '' \
    "$to_pause; width 30; keys x; laid $menu_item"

printf 'terminal test: all checks passed\n'
exit 0
