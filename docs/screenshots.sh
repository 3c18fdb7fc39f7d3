#!/usr/bin/env bash
# Renders the screenshots of the README through the real engine (SDL's dummy driver and
# software renderer, pixel multiplier 1) and converts them to PNG with ImageMagick:
#   docs/screenshots.sh [BUILD_DIR]
# docs/sablex.png and docs/corvane.png show each level a few frames after its ready
# phase (the player has arrived); docs/menu.png shows the stage select;
# docs/compare-path.png and docs/compare-plot.png compare the two shipped characters on
# the route script of Sablex (the level picture cropped to its first two screen rows).
# docs/ghost.png is taken from the real game under Xvfb by docs/ghost-screenshot.sh.
set -euo pipefail
docs="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$docs/.." && pwd)"
build="${1:-$root/build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target kestrelix-replay >/dev/null
tool="$build/tools/kestrelix-replay"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

cd "$root/data"
# 180 frames: the ready phase (120), the beam and the landing, then a short run right.
printf '150 -\n30 right\n' >"$scratch/arrive.txt"
for level in Sablex Corvane; do
    name="$(echo "$level" | tr '[:upper:]' '[:lower:]')"
    "$tool" --level "$level" --script "$scratch/arrive.txt" --picture "$scratch/$name.bmp"
    convert "$scratch/$name.bmp" "$docs/$name.png"
done
"$tool" --menu --picture "$scratch/menu.bmp"
convert "$scratch/menu.bmp" "$docs/menu.png"
"$tool" --script "$root/tests/replay/scripts/sablex-voltbot1-route.txt" --versus voltbot2 \
    --level-picture "$scratch/path.png" --plot "$docs/compare-plot.png" >/dev/null
convert "$scratch/path.png" -crop 1024x480+0+0 +repage "$docs/compare-path.png"
echo "wrote $docs/sablex.png $docs/corvane.png $docs/menu.png $docs/compare-path.png" \
    "$docs/compare-plot.png"
