#!/usr/bin/env bash
# Builds the web page (web/build.sh --test) and plays it in headless Chromium against the
# desktop game's own pictures (web/browser_test.py). Installs what is missing (through
# web/build.sh).
#
#   web/test.sh [DESKTOP_BUILD_DIR] [--screenshot OUT.png]
#
# DESKTOP_BUILD_DIR is a normal build of this tree to take kestrelix-replay from (built
# here if needed); default build-web/desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
desktop="build-web/desktop"
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then
    desktop="$1"
    shift
fi

web/build.sh --test
if [ ! -f "$desktop/CMakeCache.txt" ]; then
    cmake -S . -B "$desktop" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRELIX_TESTS=OFF >/dev/null
fi
cmake --build "$desktop" -j"$(nproc)" --target kestrelix-replay

# The system's python3, where Debian's python3-websocket is installed.
/usr/bin/python3 web/browser_test.py --page build-web/game-test/web \
    --replay "$desktop/tools/kestrelix-replay" --data data "$@"
