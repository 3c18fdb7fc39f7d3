#!/usr/bin/env bash
# Screenshots of the real game in a window on a virtual X display (Xvfb, 1000 x 700, a
# size that is no multiple of 256 x 240), driven by key presses through xdotool:
#   docs/window_screenshots.sh [BUILD_DIR]
# docs/fullscreen.png: Sablex in fullscreen (F11); the picture is scaled by 2, the largest
# whole factor that fits 700 pixels, and centred on black.
# docs/resized.png: the same level back in a window resized to 900 x 600, again by 2.
# Fullscreen is the window manager's business: openbox runs on the display (without one,
# X11 has nobody to grant the request).
set -euo pipefail
docs="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$docs/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
for tool in xvfb-run xdotool import openbox; do
    command -v "$tool" >/dev/null || { echo "window_screenshots: needs $tool" >&2; exit 1; }
done
if [ -z "${DISPLAY_READY:-}" ]; then
    cmake --build "$build" -j2 --target kestrelix >/dev/null
    exec env DISPLAY_READY=1 xvfb-run -a -s "-screen 0 1000x700x24" "$0" "$build"
fi
scratch="$(mktemp -d)"
pid=
wm=
trap 'kill $pid $wm 2>/dev/null; rm -rf "$scratch"' EXIT
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
cd "$root/data"
XDG_CONFIG_HOME="$scratch" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$build/src/kestrelix" &
pid=$!
sleep 2
window="$(xdotool search --name '^Kestrelix')"
xdotool windowfocus --sync "$window" 2>/dev/null || true
# Held over a frame or more: a press and release inside one frame is only a release.
tap() {
    xdotool keydown "$1"
    sleep 0.1
    xdotool keyup "$1"
    sleep 0.2
}
tap b
tap b
# The ready phase and the beam: about three seconds.
sleep 4
tap F11
sleep 1
import -window root "$scratch/fullscreen.png"
tap F11
sleep 1
xdotool windowsize "$window" 900 600
sleep 1
import -window root "$scratch/resized.png"
cp "$scratch/fullscreen.png" "$scratch/resized.png" "$docs/"
echo "wrote $docs/fullscreen.png $docs/resized.png"
