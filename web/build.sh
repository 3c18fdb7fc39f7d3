#!/usr/bin/env bash
# Builds the game for the web into build-web/ with Debian's own toolchain only: emscripten
# from Debian, and SDL2 compiled to WebAssembly from Debian's SDL2 source package (the
# SDL "port" emscripten offers would download SDL, which an offline machine cannot).
# Installs what is missing, fetches the source once and keeps the SDL build between runs.
#
#   web/build.sh            the page: build-web/game/kestrelix.{html,js,wasm,data}
#   web/build.sh --test     the same, linked with GL_TESTING so a test can read the canvas
#                           back (build-web/game-test/)
#   web/build.sh --no-exception-catching
#                           a build whose loaders cannot report errors (build-web/game-noexc/),
#                           only to measure what catching exceptions costs per frame
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
out="$root/build-web"
variant=game
extra_cmake=()
case "${1:-}" in
"") ;;
--test)
    variant=game-test
    extra_cmake=(-DKESTRELIX_WEB_GL_TESTING=ON)
    ;;
--no-exception-catching)
    variant=game-noexc
    extra_cmake=(-DKESTRELIX_WEB_EXCEPTIONS=OFF)
    ;;
*)
    echo "usage: web/build.sh [--test | --no-exception-catching]" >&2
    exit 2
    ;;
esac

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

packages=(emscripten dpkg-dev cmake make)
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

# --- SDL2's source, from Debian's archive. ---
mkdir -p "$out"
sdl_src="$(find "$out/sdl-source" -maxdepth 1 -type d -name 'libsdl2-*' 2>/dev/null | head -n 1 || true)"
if [ -z "$sdl_src" ]; then
    # apt-get source needs deb-src lines. Debian 12 keeps its sources in deb822 form; a
    # second file with the same archives and Types: deb-src leaves the system's file alone.
    if ! apt-get source --print-uris libsdl2 >/dev/null 2>&1; then
        list=/etc/apt/sources.list.d/kestrelix-deb-src.sources
        echo "Enabling deb-src in $list"
        awk '/^Types:/ { print "Types: deb-src"; next } { print }' \
            /etc/apt/sources.list.d/debian.sources | $sudo tee "$list" >/dev/null
        $sudo apt-get update -qq
    fi
    rm -rf "$out/sdl-source"
    mkdir -p "$out/sdl-source"
    (cd "$out/sdl-source" && apt-get source -qq libsdl2)
    sdl_src="$(find "$out/sdl-source" -maxdepth 1 -type d -name 'libsdl2-*' | head -n 1)"
fi

# Debian's emscripten is made for Debian's python; another python3 earlier in PATH (a
# version manager's shim, say) only slows every compiler call down.
export EMSDK_PYTHON="${EMSDK_PYTHON:-/usr/bin/python3}"
# Emscripten's node may need Debian's module folder to find its own helpers.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
# Emscripten writes its cache next to its installation unless told otherwise; a copy in
# build-web/ keeps the system's frozen cache untouched and lets a normal user build.
export EM_CACHE="${EM_CACHE:-$out/emcache}"
if [ ! -d "$EM_CACHE" ]; then
    cp -r /usr/share/emscripten/cache "$EM_CACHE"
fi

# --- SDL2 for WebAssembly: static, no threads; cached by source folder. ---
sdl_prefix="$out/sdl-install"
stamp="$sdl_prefix/.built-from"
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$(basename "$sdl_src")" ]; then
    rm -rf "$out/sdl-build" "$sdl_prefix"
    emcmake cmake -S "$sdl_src" -B "$out/sdl-build" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$sdl_prefix" \
        -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
        -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF >/dev/null
    cmake --build "$out/sdl-build" -j"$(nproc)"
    cmake --install "$out/sdl-build" >/dev/null
    basename "$sdl_src" >"$stamp"
fi

# --- The game, pointed at that SDL so find_package(SDL2) cannot fall back to the port. ---
emcmake cmake -S "$root" -B "$out/$variant" -DCMAKE_BUILD_TYPE=Release \
    -DKESTRELIX_TESTS=OFF -DSDL2_DIR="$sdl_prefix/lib/cmake/SDL2" "${extra_cmake[@]}" >/dev/null
cmake --build "$out/$variant" -j"$(nproc)" --target kestrelix
echo "Built $(cd "$out/$variant/web" && ls kestrelix.html kestrelix.js kestrelix.wasm kestrelix.data | tr '\n' ' ')in $out/$variant/web"
