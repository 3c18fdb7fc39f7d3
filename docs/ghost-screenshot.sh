#!/usr/bin/env bash
# Takes docs/ghost.png from the real game under Xvfb: Sablex played with voltbot1 and a
# ghost of voltbot2 on the same keys (run right, one long jump), the window at the
# multiplier of data/settings.ini. Needs xvfb-run, xdotool and ImageMagick:
#   docs/ghost-screenshot.sh [BUILD_DIR]
set -euo pipefail
docs="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$docs/.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" -j2 --target kestrelix >/dev/null
cd "$root/data"
export GAME="$build/src/kestrelix" SHOT="$docs/ghost.png"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    tap() { xdotool keydown "$1" && sleep 0.1 && xdotool keyup "$1" && sleep 0.1; }
    SDL_AUDIODRIVER=dummy "$GAME" --ghost voltbot2 &
    game=$!
    window=""
    while [ -z "$window" ]; do
        sleep 0.2
        window=$(xdotool search --name "^Kestrelix$" 2>/dev/null | head -n 1)
    done
    # No window manager runs on the virtual display: give the window the keyboard directly.
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    tap b && tap b                                   # Sablex, then the first character
    sleep 4.5                                        # ready message, beam, landing
    xdotool keydown Right && sleep 1.0
    xdotool keydown space && sleep 0.4
    import -window "$window" "$SHOT"
    xdotool keyup space keyup Right
    kill "$game"
'
echo "wrote $SHOT"
