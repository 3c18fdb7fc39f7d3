#!/bin/sh
# Installs the build into a temporary prefix as a player would, checks the desktop entry
# and the AppStream metadata with their validators, and starts the installed game from /
# with a fresh home: it must find its data, reach the menu, present frames and end
# cleanly without a word on stderr. Then the same for the program in the build tree,
# started from the project root.
# Usage: install_test.sh <build dir> <source dir> <version>
set -eu
build=$1
source=$2
version=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
export HOME="$scratch/home" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset XDG_CONFIG_HOME XDG_DATA_HOME
mkdir -p "$HOME"

fail() {
    echo "install test: $*"
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/kestrelix bin/kestrelix-check bin/kestrelix-replay share/kestrelix/stageselect.ini \
    share/applications/org.kestrelix.Kestrelix.desktop \
    share/metainfo/org.kestrelix.Kestrelix.metainfo.xml \
    share/icons/hicolor/256x256/apps/org.kestrelix.Kestrelix.png; do
    [ -f "$prefix/$file" ] || fail "$file was not installed"
done
desktop-file-validate "$prefix/share/applications/org.kestrelix.Kestrelix.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.kestrelix.Kestrelix.metainfo.xml" \
    >"$scratch/appstream.txt" || { cat "$scratch/appstream.txt"; fail "AppStream metadata refused"; }
grep -q "release version=\"$version\"" "$prefix/share/metainfo/org.kestrelix.Kestrelix.metainfo.xml" ||
    fail "the AppStream release is not $version"
[ "$("$prefix/bin/kestrelix" --version)" = "kestrelix $version" ] || fail "--version is not $version"

# The installed data must stay as installed: nothing may be written into it.
touch "$scratch/before"
sleep 1

run_game() {  # <what> <binary> [options]: runs from the current folder, must end cleanly
    what=$1
    shift
    status=0
    "$@" --quit-after 90 2>"$scratch/stderr" || status=$?
    [ "$status" -eq 0 ] || { cat "$scratch/stderr"; fail "$what ended with status $status"; }
    [ ! -s "$scratch/stderr" ] || { cat "$scratch/stderr"; fail "$what wrote to stderr"; }
}

cd /
run_game "the installed game started from /" "$prefix/bin/kestrelix"
"$prefix/bin/kestrelix-check" >/dev/null || fail "the installed kestrelix-check refused its data"
cd "$source"
run_game "the build tree's game started from the project root" "$build/src/kestrelix"

# A per-user setting is read over the installed one (a refused value proves it was read),
# and the message names the user's file.
mkdir -p "$HOME/.config/kestrelix"
printf '[Video]\npixelMultiplier = 99\n' >"$HOME/.config/kestrelix/settings.ini"
cd /
status=0
"$prefix/bin/kestrelix" --quit-after 1 2>"$scratch/stderr" || status=$?
[ "$status" -eq 1 ] || fail "a bad user setting gave status $status"
grep -q "^kestrelix: $HOME/.config/kestrelix/settings.ini: \[Video\] pixelMultiplier = 99 " "$scratch/stderr" ||
    { cat "$scratch/stderr"; fail "the bad user setting was not named"; }

changed=$(find "$prefix/share/kestrelix" -newer "$scratch/before" | head -n 1)
[ -z "$changed" ] || fail "the game wrote into its data folder: $changed"
echo "installed, validated, and started from / and from the project root"
