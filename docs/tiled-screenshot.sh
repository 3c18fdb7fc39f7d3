#!/usr/bin/env bash
# Takes docs/tiled.png, the shipped level Sablex open in the Tiled map editor, on a
# virtual display (Xvfb), and crops it to Tiled's window:
#   docs/tiled-screenshot.sh
# Needs tiled, xvfb, xdotool and ImageMagick. Tiled's settings go to a scratch HOME so
# that the picture does not depend on the caller's own layout.
set -euo pipefail
docs="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$docs/.." && pwd)"
if [ "${1:-}" != "--inside-xvfb" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" --inside-xvfb
fi
scratch="$(mktemp -d)"
export HOME="$scratch"
tiled "$root/assets/tiled/sablex.tmx" >"$scratch/tiled.log" 2>&1 &
tiled_pid=$!
trap 'kill "$tiled_pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT
# Wait for the map's window, then fill the screen with it.
for _ in $(seq 50); do
    window="$(xdotool search --name "sablex.tmx" 2>/dev/null | head -1 || true)"
    [ -n "$window" ] && break
    sleep 0.2
done
xdotool windowmove "$window" 0 0 windowsize "$window" 1280 800
sleep 2
import -window root "$docs/tiled.png"
echo "wrote $docs/tiled.png"
