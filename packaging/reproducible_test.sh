#!/usr/bin/env bash
# Builds the Debian package, the Windows zip and the web site once more from the commit checked
# out, in a fresh checkout, and fails unless they are the same bytes as those of this folder's own
# build trees (build-deb, build-windows, build-web; each brought up to date first, so CI's own
# builds are reused; build-arm64 and build-armhf too when asked for). The second build differs
# from the first in everything a reproducible build must not depend on: the folder (its name and
# depth), the time, the umask, the time zone, the locale, and whether SOURCE_DATE_EPOCH is set
# (without it, the build finds that time in git).
# Run it on a clean checkout: uncommitted changes would be in the first build only.
#
#   bash packaging/reproducible_test.sh [deb] [zip] [site] [deb-arm64] [deb-armhf]
# (default: the first three, as CI checks them; the ARM packages are checked by hand)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
artifacts=("$@")
[ "${#artifacts[@]}" -gt 0 ] || artifacts=(deb zip site)
git -C "$repo" diff --quiet HEAD || { echo "uncommitted changes: commit them first" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/rpg-reproducible.XXXXXX")
# Kept when the builds differ, to look into.
trap '[ "$?" -ne 0 ] || rm -rf "$work"' EXIT

# Builds the artifacts asked for in the folder given, and gathers them in OUT.
build() {
  local source=$1 out=$2
  cd "$source"
  mkdir -p "$out"
  for artifact in "${artifacts[@]}"; do
    case $artifact in
      deb)
        cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DRPG_BUILD_TESTS=OFF >/dev/null
        cmake --build build-deb -j2 >/dev/null
        rm -f build-deb/rpg_*.deb
        (cd build-deb && cpack -G DEB >/dev/null)
        cp build-deb/rpg_*.deb "$out/" ;;
      zip)
        # A tree configured with its tests, as CI's is, builds the same game.
        [ -f build-windows/CMakeCache.txt ] || cmake --preset windows -DRPG_BUILD_TESTS=OFF >/dev/null
        cmake --build --preset windows --target rpg >/dev/null
        rm -f build-windows/rpg-*.zip
        cpack --preset windows >/dev/null
        cp build-windows/rpg-*.zip "$out/" ;;
      deb-arm64 | deb-armhf)
        preset=linux-${artifact#deb-}
        [ -f "build-${artifact#deb-}/CMakeCache.txt" ] || cmake --preset "$preset" -DRPG_BUILD_TESTS=OFF >/dev/null
        cmake --build --preset "$preset" --target rpg >/dev/null
        rm -f "build-${artifact#deb-}"/rpg_*.deb
        cpack --preset "$preset" >/dev/null
        cp "build-${artifact#deb-}"/rpg_*.deb "$out/" ;;
      site)
        [ -f build-web/CMakeCache.txt ] || cmake --preset web -DRPG_BUILD_TESTS=OFF >/dev/null
        cmake --build --preset web >/dev/null
        cp -r build-web/site "$out/" ;;
      *)
        echo "unknown artifact: $artifact" >&2
        exit 2 ;;
    esac
  done
}

# Whatever this environment has, the second build gets something else.
if [ "$(umask)" = 0077 ]; then other_umask=022; else other_umask=077; fi
if [ "$(locale charmap 2>/dev/null)" = UTF-8 ]; then other_locale=C; else other_locale=C.UTF-8; fi

echo "== first build, in $repo"
(build "$repo" "$work/first")

second="$work/second build/of the same/commit"
mkdir -p "$second"
git -C "$second" init -q
git -C "$second" fetch -q "$repo" HEAD
git -C "$second" -c advice.detachedHead=false checkout -q FETCH_HEAD
# The zip keeps times to two seconds: the second build must start at another time.
sleep 2
echo "== second build, in $second"
(
  umask "$other_umask"
  if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    unset SOURCE_DATE_EPOCH
  else
    SOURCE_DATE_EPOCH=$(git -C "$repo" log -1 --format=%ct)
    export SOURCE_DATE_EPOCH
  fi
  export TZ=XYZ-9:30 LC_ALL=$other_locale
  build "$second" "$work/second"
)

if diff -r "$work/first" "$work/second"; then
  echo "ok: ${artifacts[*]} the same in both builds"
  exit 0
fi
# Both builds stay for a closer look, for instance with diffoscope.
echo "FAIL: the two builds differ; both are in $work" >&2
exit 1
