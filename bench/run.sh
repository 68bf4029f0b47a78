#!/usr/bin/env bash
# Builds the game in Release and measures long scripted training games: time, memory and
# system calls per training. Usage: bash bench/run.sh
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$repo/build-bench"

# Peak memory comes from GNU time; strace counts the system calls.
missing=()
[[ -x /usr/bin/time ]] || missing+=(time)
command -v strace >/dev/null || missing+=(strace)
if ((${#missing[@]} > 0)); then
    apt-get update
    apt-get install -y "${missing[@]}"
fi

# The tests are not needed here, so the benchmark builds without GoogleTest.
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DRPG_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target rpg >/dev/null

exec python3 "$repo/bench/bench.py" "$build/rpg" "$repo/Intro.txt"
