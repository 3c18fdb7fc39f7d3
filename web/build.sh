#!/usr/bin/env bash
# Builds the game for the web into build-web/ with Debian's own toolchain only: emscripten
# from Debian, and SDL2 and SDL_mixer compiled to WebAssembly from Debian's source packages
# (the "ports" emscripten offers would download them, which an offline machine cannot).
# Installs what is missing, fetches the sources once and keeps both builds between runs.
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

scripts/setup.sh --web

# --- Sources from Debian's archive, fetched once into build-web/<folder>/. ---
mkdir -p "$out"
# debian_source PACKAGE FOLDER: prints the unpacked source folder, fetching it when missing.
debian_source() {
    local package=$1 folder="$out/$2" found
    found="$(find "$folder" -maxdepth 1 -type d -name "$package-*" 2>/dev/null | head -n 1 || true)"
    if [ -z "$found" ]; then
        # apt-get source needs deb-src lines. A second file with the same archives as
        # source archives leaves the system's own file alone: deb822 form where Debian 12
        # keeps its sources (debian.sources), one-line form for an older sources.list.
        if ! apt-get source --print-uris "$package" >/dev/null 2>&1; then
            local system=/etc/apt/sources.list.d/debian.sources
            local list=/etc/apt/sources.list.d/kestrelix-deb-src
            if [ -f "$system" ]; then
                echo "Enabling deb-src in $list.sources" >&2
                awk '/^Types:/ { print "Types: deb-src"; next } { print }' "$system" |
                    $sudo tee "$list.sources" >/dev/null
            else
                echo "Enabling deb-src in $list.list" >&2
                sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee "$list.list" >/dev/null
            fi
            $sudo apt-get update -qq
        fi
        rm -rf "$folder"
        mkdir -p "$folder"
        (cd "$folder" && apt-get source -qq "$package" >&2)
        found="$(find "$folder" -maxdepth 1 -type d -name "$package-*" | head -n 1)"
    fi
    echo "$found"
}
sdl_src="$(debian_source libsdl2 sdl-source)"
mixer_src="$(debian_source libsdl2-mixer mixer-source)"

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

# --- SDL_mixer for WebAssembly on that SDL: static, the built-in WAVE loader only. ---
# The game's sounds and music are all .wav; every codec that would need another library
# (or download one) is off.
mixer_prefix="$out/mixer-install"
stamp="$mixer_prefix/.built-from"
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$(basename "$mixer_src") on $(basename "$sdl_src")" ]; then
    rm -rf "$out/mixer-build" "$mixer_prefix"
    emcmake cmake -S "$mixer_src" -B "$out/mixer-build" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$mixer_prefix" \
        -DSDL2_DIR="$sdl_prefix/lib/cmake/SDL2" \
        -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF \
        -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_VENDORED=OFF \
        -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF \
        -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF \
        -DSDL2MIXER_WAVE=ON >/dev/null
    cmake --build "$out/mixer-build" -j"$(nproc)"
    cmake --install "$out/mixer-build" >/dev/null
    echo "$(basename "$mixer_src") on $(basename "$sdl_src")" >"$stamp"
fi

# --- The game, pointed at these builds so find_package cannot fall back to the ports. ---
emcmake cmake -S "$root" -B "$out/$variant" -DCMAKE_BUILD_TYPE=Release \
    -DKESTRELIX_TESTS=OFF -DSDL2_DIR="$sdl_prefix/lib/cmake/SDL2" \
    -DSDL2_mixer_DIR="$mixer_prefix/lib/cmake/SDL2_mixer" "${extra_cmake[@]}" >/dev/null
cmake --build "$out/$variant" -j"$(nproc)" --target kestrelix
echo "Built $(cd "$out/$variant/web" && ls kestrelix.html kestrelix.js kestrelix.wasm kestrelix.data | tr '\n' ' ')in $out/$variant/web"
