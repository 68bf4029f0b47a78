#!/usr/bin/env bash
# Builds the Debian package, the Windows zip and the web site twice from the commit checked out,
# and fails unless both builds give the same bytes. The two builds differ in everything a
# reproducible build must not depend on: the folder (its name and depth), the time, the umask, the
# time zone and the locale. The first has SOURCE_DATE_EPOCH set to the last commit's time; the
# second leaves it unset, so the build must find that time in git by itself.
#
#   bash packaging/reproducible_test.sh [deb] [zip] [site] [deb-arm64] [deb-armhf]
# (default: the first three; the ARM packages are checked in CI's ARM stage)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
artifacts=("$@")
[ "${#artifacts[@]}" -gt 0 ] || artifacts=(deb zip site)
work=$(mktemp -d "${TMPDIR:-/tmp}/rpg-reproducible.XXXXXX")
# Kept when the builds differ, to look into.
trap '[ "$?" -ne 0 ] || rm -rf "$work"' EXIT
commit_time=$(git -C "$repo" log -1 --format=%ct)

# A fresh checkout of the current commit in FOLDER, built into FOLDER/out.
checkout() {
  mkdir -p "$1"
  git -C "$1" init -q
  git -C "$1" fetch -q "$repo" HEAD
  git -C "$1" -c advice.detachedHead=false checkout -q FETCH_HEAD
}

# Builds the artifacts asked for in a checkout, and gathers them in its out/ folder.
build() {
  local source=$1
  cd "$source"
  mkdir -p out
  for artifact in "${artifacts[@]}"; do
    case $artifact in
      deb)
        cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DRPG_BUILD_TESTS=OFF >/dev/null
        cmake --build build-deb -j2 >/dev/null
        (cd build-deb && cpack -G DEB >/dev/null)
        cp build-deb/rpg_*.deb out/ ;;
      zip)
        cmake --preset windows -DRPG_BUILD_TESTS=OFF >/dev/null
        cmake --build --preset windows >/dev/null
        cpack --preset windows >/dev/null
        cp build-windows/rpg-*.zip out/ ;;
      deb-arm64 | deb-armhf)
        cmake --preset "linux-${artifact#deb-}" -DRPG_BUILD_TESTS=OFF >/dev/null
        cmake --build --preset "linux-${artifact#deb-}" >/dev/null
        cpack --preset "linux-${artifact#deb-}" >/dev/null
        cp build-"${artifact#deb-}"/rpg_*.deb out/ ;;
      site)
        cmake --preset web -DRPG_BUILD_TESTS=OFF >/dev/null
        cmake --build --preset web >/dev/null
        cp -r build-web/site out/ ;;
      *)
        echo "unknown artifact: $artifact" >&2
        exit 2 ;;
    esac
  done
}

first="$work/a"
second="$work/second build/of the same/commit"
checkout "$first"
checkout "$second"
echo "== first build, in $first"
(umask 022 && export SOURCE_DATE_EPOCH=$commit_time TZ=UTC0 LC_ALL=C && build "$first")
# The zip keeps times to two seconds: the second build must start at another time.
sleep 2
echo "== second build, in $second"
(umask 077 && unset SOURCE_DATE_EPOCH && export TZ=XYZ-9:30 LC_ALL=C.UTF-8 && build "$second")

if diff -r "$first/out" "$second/out"; then
  echo "ok: ${artifacts[*]} the same in both builds"
  exit 0
fi
# Both builds stay for a closer look, for instance with diffoscope.
echo "FAIL: the two builds differ; both are in $work" >&2
exit 1
