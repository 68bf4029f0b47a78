#!/usr/bin/env bash
# Paid trainings on a 1 MiB stack, a million unless the count is given: the game must reach its
# end, and the save must hold every training, with money far below zero.
set -euo pipefail
rpg=$(realpath "$1")
trainings=${2:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
: > Intro.txt

{
  printf 'w\nIvan\n'
  awk -v n="$trainings" 'BEGIN { for (i = 0; i < n; i++) printf "t\na\ny\n" }'
  printf 's\nm\n'
} > input

status=0
(ulimit -s 1024 && "$rpg" < input > /dev/null) || status=$?
if [ "$status" -ne 0 ]; then
  echo "the game of $trainings trainings ended with status $status" >&2
  exit 1
fi

expected_attack=$((20 + 5 * trainings))
expected_coins=$((200 - 100 * trainings))
actual=$(sed -n '2p;5p' chartype1.txt | tr '\n' ' ')
if [ "$actual" != "$expected_attack $expected_coins " ]; then
  echo "after $trainings trainings the save holds attack and coins '$actual'," \
       "expected '$expected_attack $expected_coins '" >&2
  exit 1
fi
echo "$trainings trainings: attack $expected_attack, coins $expected_coins"
