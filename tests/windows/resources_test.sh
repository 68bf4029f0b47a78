#!/bin/sh
# Reads rpg.exe's resources as Windows does: the icon made in icon/, the version shown in the
# file's Properties and the manifest Windows reads when it starts the game.
# Usage: resources_test.sh RPG_EXE SOURCE_DIR VERSION
set -eu
exe=$1 source_dir=$2 version=$3
fail() {
    printf 'resources_test: FAIL: %s\n' "$*" >&2
    exit 1
}
tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT

# windres pads the last image, so only the length of the original is compared.
icon="$source_dir/icon/rpg.ico"
wrestool -x --type=14 "$exe" >"$tmp/icon.ico" || fail "no icon in $exe"
cmp -s -n "$(wc -c <"$icon")" "$icon" "$tmp/icon.ico" || fail "the icon in $exe is not $icon"

wrestool -x --raw --type=24 --name=1 "$exe" >"$tmp/manifest" || fail "no manifest in $exe"
cmp -s "$source_dir/packaging/windows/rpg.exe.manifest" "$tmp/manifest" ||
    fail "the manifest in $exe is not packaging/windows/rpg.exe.manifest"

# The version's texts are UTF-16, each name followed by its value after one or two NULs.
wrestool -x --raw --type=16 "$exe" >"$tmp/version" || fail "no version in $exe"
iconv -f UTF-16LE -t UTF-8 "$tmp/version" | tr '\0' '|' >"$tmp/version.txt" ||
    fail "the version in $exe is not UTF-16"
copyright="Copyright © $(sed -n 's/^Copyright: //p' "$source_dir/packaging/copyright")"
for pair in "ProductName=Серый Брод" "FileDescription=Серый Брод — консольная ролевая игра" \
    "FileVersion=$version" "ProductVersion=$version" "OriginalFilename=rpg.exe" \
    "LegalCopyright=$copyright"; do
    name=${pair%%=*} value=${pair#*=}
    LC_ALL=C grep -qE "$name\\|{1,2}$value\\|" "$tmp/version.txt" ||
        fail "the version in $exe lacks $name \"$value\": $(cat "$tmp/version.txt")"
done
printf 'resources_test: all checks passed\n'
