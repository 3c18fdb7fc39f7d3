#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if any is missing.
#   scripts/setup.sh          the desktop game, its tools and its tests
#   scripts/setup.sh --web    also the web build and its browser test (web/build.sh,
#                             web/test.sh; ./test.sh runs both)
set -euo pipefail

# tiled: the map editor whose own tools (tiled --export-map, tmxrasterizer) check the
# level export; pugixml and zlib read its maps; SDL2_image also reads its PNG pictures.
# clang-format and clang-tidy: the lint checks of scripts/lint.sh.
packages=(cmake g++ make libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev libgtest-dev
    desktop-file-utils appstream libpugixml-dev zlib1g-dev tiled
    clang-format clang-tidy)
case "${1:-}" in
"") ;;
--web)
    # emscripten compiles; dpkg-dev's apt-get source fetches SDL2 and SDL_mixer to compile
    # with it; Chromium and python3-websocket run the browser test.
    packages+=(emscripten dpkg-dev chromium python3-websocket)
    ;;
*)
    echo "usage: scripts/setup.sh [--web]" >&2
    exit 2
    ;;
esac
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
