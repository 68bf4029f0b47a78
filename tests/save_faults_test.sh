#!/usr/bin/env bash
# Fails the game's system calls one at a time, each occurrence from the game's first look at its
# folder on, with strace's fault injection, in two short games: one continues a save, trains and
# saves; the other types a new game over a save. After every run the save is byte for byte the
# old one or the new one, the player was told of a failure only if it is the old one (and always
# when a call the save needs failed), no temporary file is left, and the game did not die of a
# signal. The faultless run's trace shows the save's steps in their order.
#   save_faults_test.sh RPG
set -euo pipefail
rpg=$(realpath "$1")
command -v strace > /dev/null || { echo "strace is not installed" >&2; exit 1; }
strace -o /dev/null true 2> /dev/null || { echo "skipped: this system does not let strace trace"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
: > Intro.txt
fail() { echo "$*" >&2; exit 1; }

# Each call that is failed, and the errors it is failed with, one run for each.
faults='
openat    EACCES EIO ENOSPC EMFILE
read      EIO
write     ENOSPC EIO
fchmod    EPERM
fsync     EIO
close     EIO
rename    EACCES
getrandom ENOSYS
'
calls=$(awk 'NF { printf "%s%s", sep, $1; sep = "," }' <<< "$faults")

# The save each game starts from and the keys it is played with. The mage is saved with CR LF
# line ends, so continuing it gives a save of other bytes, and the new warrior another again.
games=(continue-train-save new-game-over-a-save)
declare -A saves=(
  [continue-train-save]=$'200\n20\n0\n20\n200\n50\n200\n50\n20\nIvan\n0\n1\n'
  [new-game-over-a-save]=$'100\r\n10\r\n3\r\n100\r\n-50\r\n30\r\n105\r\n30\r\n100\r\nМерлин\r\n0\r\n0\r\n')
declare -A keys=([continue-train-save]=$'t\na\ny\ns\np\n' [new-game-over-a-save]=$'w\nIvan\ns\np\n')

# Plays a game from its save, through the command given before the game, if any.
play() {
  local game=$1
  shift
  rm -f chartype1.txt chartype1.txt.*
  printf '%s' "${saves[$game]}" > old
  printf '%s' "${keys[$game]}" > keys
  cp old chartype1.txt
  status=0
  "$@" "$rpg" < keys > out 2> errors || status=$?
}

# A second argument marks a call the save cannot do without: the old save must stay, and be told of.
check() {
  [ "$status" -lt 128 ] || fail "$1: the game died of signal $((status - 128))"
  [ -z "$(find . -maxdepth 1 -name 'chartype1.txt.*')" ] || fail "$1: a temporary file was left behind"
  if cmp -s chartype1.txt old; then
    [ -z "${2:-}" ] || grep -q 'Не удалось сохранить' out || fail "$1: the save failed without a word"
    return
  fi
  [ -z "${2:-}" ] || fail "$1: the save was replaced though a call it needs failed"
  cmp -s chartype1.txt new || fail "$1: the save is neither the old one nor the new one: $(cat chartype1.txt)"
  # A failed write of the game's own output is reported too, and says nothing about the save.
  ! grep -q -e 'Не удалось сохранить' -e 'Не удалось прочитать' out errors \
    || fail "$1: a failure was reported, yet the save was replaced"
}

runs=0
for game in "${games[@]}"; do
  play "$game"
  cp chartype1.txt new
  [ "$status" = 0 ] && ! cmp -s old new || fail "$game: the game without faults did not save"
  # How often the game makes each call, counted once. The calls before its first look at its
  # folder are the dynamic loader's and the locale's, which the save does not depend on: only the
  # later ones are failed.
  play "$game" strace -f -o trace -e trace="$calls"
  start=$(grep -n -m 1 -E '"(chartype1\.txt|Intro\.txt)"' trace | cut -d: -f1)
  [ -n "$start" ] || fail "$game: the game never looked at its folder"
  # The save's steps in order, so a power cut leaves the old save or the new one: the new file
  # filled, on the disk and closed, renamed over the save, then the rename made to last. Each call
  # from the new file's creation to the rename is one the save needs.
  steps=$(awk '/O_EXCL/ && /chartype1\.txt\./ { on = 1 } on { sub(/\(.*/, "", $2); printf "%s ", $2 }' trace)
  [[ $steps == "openat fchmod write fsync close rename openat fsync close "* ]] || fail "$game: the save's steps: $steps"
  # The new file starts private, so it never shows more than the save it replaces.
  grep -q 'O_EXCL.*, 0600) = [0-9]' trace || fail "$game: the new file did not start private"
  needed=" $(awk '{ sub(/\(.*/, "", $2); n[$2]++ } /O_EXCL/ && /chartype1\.txt\./ { on = 1 }
    on { printf "%s#%d ", $2, n[$2] } on && $2 == "rename" { exit }' trace)"
  while read -r call errors; do
    [ -n "$call" ] || continue
    before=$(head -n "$((start - 1))" trace | grep -c "^[0-9]* *$call(" || true)
    count=$(grep -c "^[0-9]* *$call(" trace || true)
    for ((occurrence = before + 1; occurrence <= count; ++occurrence)); do
      for error in $errors; do
        play "$game" strace -f -o /dev/null -e trace="$call" -e inject="$call:error=$error:when=$occurrence"
        check "$game, $call #$occurrence failed with $error" "$([[ $needed != *" $call#$occurrence "* ]] || echo needed)"
        runs=$((runs + 1))
      done
    done
  done <<< "$faults"
done
echo "$runs runs, each with one failed call: every save was the old one or the new one"
