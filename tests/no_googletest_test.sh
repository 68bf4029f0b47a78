#!/usr/bin/env bash
# Configures the game as on a machine without GoogleTest: the play command's configure passes with
# a one-line notice, and one that asks for the tests stops, naming GoogleTest.
#   bash no_googletest_test.sh SOURCE_DIR WORK_DIR
set -uo pipefail
source_dir=$1
work=$2
rm -rf "$work"
hide_googletest=(-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON)

if ! play=$(cmake -S "$source_dir" -B "$work/play" "${hide_googletest[@]}" 2>&1) ||
   [ "$(grep -c 'Tests not built: no GoogleTest' <<<"$play")" -ne 1 ]; then
  printf '%s\nFAIL: the play command does not configure, or not with one notice\n' "$play" >&2
  exit 1
fi
if tests=$(cmake -S "$source_dir" -B "$work/tests" -DRPG_BUILD_TESTS=ON "${hide_googletest[@]}" 2>&1) ||
   ! grep -q 'GoogleTest' <<<"$tests"; then
  printf '%s\nFAIL: asked for, the tests configure or do not name GoogleTest\n' "$tests" >&2
  exit 1
fi
echo "ok: without GoogleTest the game configures alone, and the tests refuse to"
