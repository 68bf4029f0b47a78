#!/usr/bin/env bash
# Builds the fuzz targets with clang, replays the saved regressions, then fuzzes each target for
# a bounded time on a copy of its seed corpus. Exits non-zero on any finding.
#
#   bash fuzz/run.sh [seconds-per-target]     (default 30)
set -uo pipefail

seconds="${1:-30}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [seconds-per-target]" >&2
  exit 2
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
# Findings outlive the run, so they go to the build folder rather than the temporary one.
artifacts="$build/fuzz-artifacts"

export CC=clang CXX=clang++
# clang's warnings stop this build, as g++'s stop the presets' builds.
cmake -S "$root" -B "$build" -DRPG_FUZZ=ON -DRPG_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null || exit 1
cmake --build "$build" -j2 --target fuzz_game fuzz_save_file || exit 1

work="$(mktemp -d "${TMPDIR:-/tmp}/rpg-fuzz-run.XXXXXX")"
trap 'rm -rf "$work"' EXIT

shopt -s nullglob

# One target: replays its regressions, then fuzzes it; says what failed, one line each.
fuzz_target() {
  local target=$1 binary="$build/fuzz/fuzz_$1" regressions status=0
  mkdir -p "$artifacts/$target"

  # Every input that once found a fault must now pass.
  regressions=("$root/fuzz/regressions/$target"/*)
  if [ "${#regressions[@]}" -gt 0 ]; then
    echo "== fuzz_$target: replaying ${#regressions[@]} regression input(s)"
    if ! "$binary" -timeout=10 -rss_limit_mb=2048 "${regressions[@]}" >"$work/$target-replay.log" 2>&1; then
      tail -n 40 "$work/$target-replay.log"
      echo "!! fuzz_$target: a regression input fails again"
      status=1
    fi
  fi

  echo "== fuzz_$target: fuzzing for $seconds s"
  mkdir -p "$work/$target"
  cp -R "$root/fuzz/corpus/$target/." "$work/$target/"
  if ! "$binary" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$target/" \
      "$work/$target" >"$work/$target-fuzz.log" 2>&1; then
    tail -n 60 "$work/$target-fuzz.log"
    echo "!! fuzz_$target: finding saved under $artifacts/$target/"
    status=1
  else
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$work/$target-fuzz.log" || true
  fi
  return "$status"
}

# Each fuzzer runs on one core, so the two run at once; their reports follow one another.
targets=(game save_file)
pids=()
for target in "${targets[@]}"; do
  fuzz_target "$target" >"$work/$target-report.txt" 2>&1 &
  pids+=("$!")
done
failed=()
for i in "${!targets[@]}"; do
  wait "${pids[$i]}" || failed+=("fuzz_${targets[$i]}")
  cat "$work/${targets[$i]}-report.txt"
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "OK: no findings"
