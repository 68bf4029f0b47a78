#!/usr/bin/env bash
# Installs a build into a temporary prefix and plays through the installed launcher the way a
# player would: from any folder, with the save kept in the player's own game folder.
# Usage: install_test.sh BUILD_DIR [EMULATOR]   (EMULATOR: the command that runs a cross build's game)
set -euo pipefail

fail() {
    printf 'install_test: FAIL: %s\n' "$*" >&2
    exit 1
}

[ "$#" -ge 1 ] && [ "$#" -le 2 ] || { printf 'usage: %s BUILD_DIR [EMULATOR]\n' "$0" >&2; exit 2; }
emulator=${2:-}
build=$(cd -- "$1" && pwd) || fail "no build folder $1"
[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build folder"
source_dir=$(cd -- "$(dirname -- "$0")/../.." && pwd)

cache_value() {
    sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"
}
bindir=$(cache_value CMAKE_INSTALL_BINDIR)
libexecdir=$(cache_value CMAKE_INSTALL_LIBEXECDIR)
# An empty DATADIR in the cache means the default, which is DATAROOTDIR.
datadir=$(cache_value CMAKE_INSTALL_DATADIR)
[ -n "$datadir" ] || datadir=$(cache_value CMAKE_INSTALL_DATAROOTDIR)
if [ -z "$bindir" ] || [ -z "$libexecdir" ] || [ -z "$datadir" ]; then
    fail "the build has no install dirs; is packaging/ added to the project?"
fi

tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT
# Spaces in every path catch unquoted expansions in the launcher.
prefix="$tmp/the prefix"
home="$tmp/player home"
data_home="$tmp/xdg data"
game_dir="$data_home/rpg"
mkdir -p -- "$home" "$data_home" "$tmp/first start" "$tmp/second start"

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 ||
    { cat "$tmp/install.log" >&2; fail "cmake --install into $prefix failed"; }

# A cross build's game runs here only under its emulator, so the installed one is put inside it.
emulate() {
    [ -n "$emulator" ] || return 0
    mv -- "$1" "$1.target"
    printf '#!/bin/sh\nexec %s "$0.target"\n' "$emulator" >"$1"
    chmod 755 -- "$1"
}

# Runs the launcher with a clean environment so the player's real folders are never touched.
# Usage: play CWD STDIN NAME LAUNCHER [VAR=VALUE...]; leaves $tmp/NAME.out, NAME.err and $status.
play() {
    local cwd=$1 input=$2 name=$3 launcher=$4
    shift 4
    set +e
    (cd -- "$cwd" && printf '%s' "$input" |
        env -i PATH="$PATH" "$@" "$launcher" >"$tmp/$name.out" 2>"$tmp/$name.err")
    status=$?
    set -e
}

expect_status() {
    [ "$status" -eq "$1" ] ||
        fail "$2: exit status $status, expected $1; stderr: $(cat "$tmp/$2.err")"
}

expect_output() {
    grep -qF -- "$2" "$tmp/$1.out" || fail "$1: output lacks \"$2\""
}

# The layout: only the launcher is on PATH, the game and its data sit beside it in the prefix.
launcher="$prefix/$bindir/rpg"
[ -x "$launcher" ] || fail "no launcher at $launcher"
[ "$(head -c 2 "$launcher")" = '#!' ] || fail "$launcher is not the launcher script"
[ "$(ls -A "$prefix/$bindir")" = rpg ] || fail "$prefix/$bindir holds more than the launcher"
[ -x "$prefix/$libexecdir/rpg/rpg" ] || fail "no game binary in $prefix/$libexecdir/rpg"
cmp -s "$source_dir/Intro.txt" "$prefix/$datadir/rpg/Intro.txt" ||
    fail "the installed Intro.txt differs from the project's"
sh -n "$launcher" || fail "the launcher is not valid sh"
emulate "$prefix/$libexecdir/rpg/rpg"

# The desktop's menu entry and the software centres' metadata pass their validators, without a
# warning, and the entry starts the installed command and names an installed icon.
app_id=invalid.example.rpg
desktop_entry="$prefix/$datadir/applications/$app_id.desktop"
metainfo="$prefix/$datadir/metainfo/$app_id.metainfo.xml"
desktop_warnings=$(desktop-file-validate "$desktop_entry" 2>&1) || fail "desktop-file-validate: $desktop_warnings"
[ -z "$desktop_warnings" ] || fail "desktop-file-validate: $desktop_warnings"
appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$tmp/appstream.log")"
! grep -q '^[EW]:' "$tmp/appstream.log" || fail "appstreamcli validate: $(cat "$tmp/appstream.log")"
[ "$(sed -n 's/^Exec=//p' "$desktop_entry")" = "$(basename -- "$launcher")" ] ||
    fail "the desktop entry does not start the installed command"
[ -f "$prefix/$datadir/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$desktop_entry").svg" ] ||
    fail "the desktop entry names an icon that is not installed"

# A first game: a new warrior named Ivan saves, looks at the sheet and the game ends.
play "$tmp/first start" $'w\nIvan\ns\nm\n' first "$launcher" HOME="$home" XDG_DATA_HOME="$data_home"
expect_status 0 first
intro_start=$(head -n 1 "$source_dir/Intro.txt" | tr -d '\r')
expect_output first "$intro_start"
expect_output first "Прекрасно вы решили стать Воином!"
expect_output first "Name = Ivan"
[ ! -s "$tmp/first.err" ] || fail "first: the launcher wrote to stderr: $(cat "$tmp/first.err")"
cmp -s "$source_dir/Intro.txt" "$game_dir/Intro.txt" || fail "the game folder has no copy of Intro.txt"
[ -f "$game_dir/chartype1.txt" ] || fail "no save in $game_dir"
lines=$(awk 'END { print NR }' "$game_dir/chartype1.txt")
[ "$lines" -eq 12 ] || fail "the save has $lines lines, expected 12"
[ "$(sed -n 10p "$game_dir/chartype1.txt")" = Ivan ] || fail "line 10 of the save is not Ivan"
[ -z "$(ls -A "$tmp/first start")" ] || fail "the game wrote into the folder it was started from"
[ -z "$(ls -A "$home")" ] || fail "with XDG_DATA_HOME set, the launcher wrote into HOME"

# A later start from another folder finds the save; the player's own introduction stays theirs.
printf 'Моё собственное вступление.\n' >"$game_dir/Intro.txt"
cp -- "$game_dir/chartype1.txt" "$tmp/save.before"
play "$tmp/second start" $'m\n' second "$launcher" HOME="$home" XDG_DATA_HOME="$data_home"
expect_status 0 second
[ "$(head -n 1 "$tmp/second.out")" = "Вы уже играли, загружаю..." ] ||
    fail "second: output does not start with the loading line"
expect_output second "Name = Ivan"
[ "$(cat "$game_dir/Intro.txt")" = 'Моё собственное вступление.' ] ||
    fail "a later start overwrote the player's Intro.txt"
cmp -s "$tmp/save.before" "$game_dir/chartype1.txt" || fail "looking at the sheet changed the save"

# A removed introduction comes back on the next start, and the save is left alone.
rm -- "$game_dir/Intro.txt"
play "$tmp/second start" $'m\n' restored "$launcher" HOME="$home" XDG_DATA_HOME="$data_home"
expect_status 0 restored
cmp -s "$source_dir/Intro.txt" "$game_dir/Intro.txt" || fail "a missing Intro.txt was not copied again"
cmp -s "$tmp/save.before" "$game_dir/chartype1.txt" || fail "restoring Intro.txt touched the save"

# Without XDG_DATA_HOME, or with a relative one, the folder is ~/.local/share/rpg.
other_home="$tmp/other home"
mkdir -p -- "$other_home"
play "$tmp/second start" '' default "$launcher" HOME="$other_home"
expect_status 0 default
[ -f "$other_home/.local/share/rpg/Intro.txt" ] || fail "no game folder under HOME/.local/share"
rm -rf -- "$other_home/.local"
play "$tmp/second start" '' relative "$launcher" HOME="$other_home" XDG_DATA_HOME=relative
expect_status 0 relative
[ -f "$other_home/.local/share/rpg/Intro.txt" ] || fail "a relative XDG_DATA_HOME was not ignored"
[ ! -e "$tmp/second start/relative" ] || fail "a relative XDG_DATA_HOME was used"

# With neither variable, or a game folder that cannot be made, the launcher says why and fails.
play "$tmp/second start" '' nohome "$launcher"
[ "$status" -ne 0 ] || fail "nohome: the launcher started without HOME or XDG_DATA_HOME"
grep -qF 'rpg: ' "$tmp/nohome.err" || fail "nohome: no message on stderr"
printf 'not a folder\n' >"$tmp/blocker"
play "$tmp/second start" '' blocked "$launcher" HOME="$home" XDG_DATA_HOME="$tmp/blocker"
[ "$status" -ne 0 ] || fail "blocked: the launcher succeeded where no folder can be made"
grep -qF "rpg: cannot make the game folder $tmp/blocker/rpg" "$tmp/blocked.err" ||
    fail "blocked: stderr lacks the reason: $(cat "$tmp/blocked.err")"
[ ! -s "$tmp/blocked.out" ] || fail "blocked: the game started anyway"
# A symlink to the launcher and a moved prefix both still find the game.
mkdir -p -- "$tmp/links"
ln -s -- "$launcher" "$tmp/links/rpg"
play "$tmp/second start" $'m\n' linked "$tmp/links/rpg" HOME="$home" XDG_DATA_HOME="$data_home"
expect_status 0 linked
expect_output linked "Name = Ivan"
moved="$tmp/moved prefix"
mv -- "$prefix" "$moved"
play "$tmp/second start" $'m\n' moved "$moved/$bindir/rpg" HOME="$home" XDG_DATA_HOME="$data_home"
expect_status 0 moved
expect_output moved "Name = Ivan"
# Started by a relative path, with a CDPATH that makes cd chatty.
play "$moved" $'m\n' relative-path "$bindir/rpg" HOME="$home" XDG_DATA_HOME="$data_home" CDPATH="$moved"
expect_status 0 relative-path
expect_output relative-path "Name = Ivan"

# The launcher replaces itself with the game, so the game's exit status and signals reach the
# caller unchanged; a stand-in game reports its process id, arguments and folder.
cat >"$moved/$libexecdir/rpg/rpg" <<'EOF'
#!/bin/sh
printf '%s\n' "$$" "$#" "$(pwd -P)"
exit 7
EOF
set +e
(cd -- "$tmp/second start" || exit 1
    env -i PATH="$PATH" HOME="$home" XDG_DATA_HOME="$data_home" "$moved/$bindir/rpg" --help extra \
        </dev/null >"$tmp/stand-in.out" 2>"$tmp/stand-in.err" &
    pid=$!
    wait "$pid"
    status=$?
    printf '%s\n' "$pid" >"$tmp/stand-in.pid"
    exit "$status")
status=$?
set -e
expect_status 7 stand-in
[ "$(sed -n 1p "$tmp/stand-in.out")" = "$(cat "$tmp/stand-in.pid")" ] ||
    fail "the launcher did not exec the game"
[ "$(sed -n 2p "$tmp/stand-in.out")" = 0 ] || fail "the launcher passed its arguments on to the game"
[ "$(sed -n 3p "$tmp/stand-in.out")" = "$(cd -P -- "$game_dir" && pwd)" ] ||
    fail "the game did not run in the game folder"

# The Debian package holds the same files, with the command where Debian keeps games, and its
# command plays in the player's folder from anywhere too.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/package" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; fail "cpack -G DEB failed"; }
dpkg-deb -x "$tmp/package"/rpg_*.deb "$tmp/unpacked"
[ "$(cd "$tmp/unpacked" && find . -type f | sort)" = "$(printf './usr/%s\n' games/rpg libexec/rpg/rpg \
    share/applications/$app_id.desktop share/doc/rpg/README.md share/doc/rpg/changelog.gz \
    share/doc/rpg/copyright share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,192x192,256x256,512x512}/apps/$app_id.png \
    share/icons/hicolor/scalable/apps/$app_id.svg share/man/man6/rpg.6.gz \
    share/metainfo/$app_id.metainfo.xml share/rpg/Intro.txt | sort)" ] ||
    fail "the package holds other files: $(cd "$tmp/unpacked" && find . -type f | sort)"
emulate "$tmp/unpacked/usr/libexec/rpg/rpg"
packaged_home="$tmp/packaged data"
play "$tmp/first start" $'r\nLis\ns\nm\n' packaged "$tmp/unpacked/usr/games/rpg" XDG_DATA_HOME="$packaged_home"
expect_status 0 packaged
play "$tmp/second start" $'m\n' packaged-again "$tmp/unpacked/usr/games/rpg" XDG_DATA_HOME="$packaged_home"
expect_status 0 packaged-again
expect_output packaged-again "Name = Lis"

printf 'install_test: all checks passed\n'
