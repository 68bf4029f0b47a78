#!/usr/bin/env bash
# Applies each mutant of a list, one at a time, to a scratch copy of this checkout (its files as
# they are now, uncommitted changes included), runs the test command there and prints the
# mutants the tests let through. Run by hand, not in CI: every mutant costs a rebuild and a run.
#   bash mutants/run.sh [-R REGEX] [--preset NAME] [LIST]
# -R runs only the ctest tests matching REGEX (faster, for a mutant you are working on); without
# it, every test runs, as the README's test command does. --preset builds and tests with a CMake
# preset instead (`--preset web` for the page's mutants). LIST defaults to mutants/list.txt.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
regex=
preset=
while [ $# -gt 0 ]; do
  case $1 in
    -R) regex=$2; shift 2 ;;
    --preset) preset=$2; shift 2 ;;
    *) break ;;
  esac
done
list=$(realpath "${1:-mutants/list.txt}")
scratch=$(mktemp -d /tmp/rpg-mutants.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/tree"
git ls-files -z | xargs -0 cp --parents -t "$scratch/tree"
cd "$scratch/tree" || exit 1
log=$scratch

if [ -n "$preset" ]; then
  configure=(cmake --preset "$preset") build=(cmake --build --preset "$preset") test=(ctest --preset "$preset")
else
  configure=(cmake -S . -B build -DRPG_BUILD_TESTS=ON) build=(cmake --build build -j2)
  test=(ctest --test-dir build -j2)
fi
# A mutant that makes the game wait or loop forever fails at this limit, unless a test sets its own.
test+=(--timeout 120)
[ -n "$regex" ] && test+=(-R "$regex")
"${configure[@]}" > "$log/configure.log" 2>&1 && nice "${build[@]}" > "$log/build.log" 2>&1 && nice "${test[@]}" > "$log/test.log" 2>&1 ||
  { echo "the unmutated copy does not build and pass:" >&2; tail -n 30 "$log"/*.log >&2; exit 1; }

# A line `FILE @@ FROM @@ TO` replaces FROM, which must occur once in FILE, by TO; {NL} stands for
# a line break. Lines starting with # describe the mutants below them.
survivors=() unbuilt=() stale=() total=0
while IFS= read -r line; do
  [[ $line == *' @@ '*' @@ '* && $line != '#'* ]] || continue
  file=${line%% @@ *} rest=${line#* @@ }
  from=${rest%% @@ *} to=${rest#* @@ }
  from=${from//\{NL\}/$'\n'} to=${to//\{NL\}/$'\n'}
  total=$((total + 1))
  original=$(cat "$file"; echo .)
  original=${original%.}
  after=${original#*"$from"}
  if [ "$after" = "$original" ] || [[ $after == *"$from"* ]]; then
    stale+=("$line")
    continue
  fi
  printf '%s' "${original%%"$from"*}$to$after" > "$file"
  if ! nice "${build[@]}" > "$log/build.log" 2>&1; then
    unbuilt+=("$line")
  elif nice "${test[@]}" > "$log/test.log" 2>&1; then
    survivors+=("$line")
    echo "SURVIVED: $line"
  else
    echo "caught:   $line, by $(sed -n '/tests FAILED/,$s/^[[:space:]]*[0-9]* - \([^ ]*\).*/\1/p' "$log/test.log" | head -n 3 | paste -sd ' ')"
  fi
  printf '%s' "$original" > "$file"
done < "$list"

for line in "${unbuilt[@]}"; do echo "DID NOT BUILD: $line"; done
for line in "${stale[@]}"; do echo "NOT FOUND ONCE: $line"; done
echo "${#survivors[@]} of $total mutants survived; ${#unbuilt[@]} did not build, ${#stale[@]} were not found once"
for line in "${survivors[@]}"; do echo "  $line"; done
[ "${#survivors[@]}" = 0 ] && [ "${#stale[@]}" = 0 ]
