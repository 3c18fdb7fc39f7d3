#!/usr/bin/env bash
# Records a short run in a real window on a virtual X display, then watches the recording,
# and compares the two pictures: the run paused at its end, and the watched script paused
# on its last frame. Needs xvfb-run, xdotool and ImageMagick.
#   docs/record-and-watch.sh [BUILD_DIR]
# Writes docs/recorded.png, docs/watched.png and the recording docs/recorded-run.txt, and
# prints ImageMagick's count of differing pixels (0 when the pictures are identical).
set -euo pipefail
docs="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$docs/.." && pwd)"
build="${1:-$root/build}"
game="$build/src/kestrelix"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

window() {  # waits for the game's window and prints its id
    for _ in $(seq 100); do
        if id="$(xdotool search --name '^Kestrelix' 2>/dev/null | head -1)" && [ -n "$id" ]; then
            echo "$id"
            return
        fi
        sleep 0.1
    done
    echo "no window" >&2
    exit 1
}
paused() {  # waits until the window title says paused
    for _ in $(seq 300); do
        if xdotool search --name 'paused' >/dev/null 2>&1; then
            return
        fi
        sleep 0.1
    done
    echo "the game did not pause" >&2
    exit 1
}
hold() {  # key seconds
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
}

cd "$root/data"
# Play: confirm the menu's first level and character, wait for the landing, run right,
# jump onto the ledge, shoot, pause.
"$game" --record "$scratch/run.txt" 2>"$scratch/record.log" &
pid=$!
id="$(window)"
sleep 0.5
hold b 0.1
sleep 0.2
hold b 0.1
sleep 2.8
hold Right 0.6
xdotool keydown Right keydown space
sleep 0.4
xdotool keyup space
sleep 0.3
xdotool keyup Right
hold b 0.1
sleep 0.4
xdotool key Return
paused
sleep 0.3
import -window "$id" "$scratch/recorded.png"
kill -TERM "$pid"
wait "$pid"
cat "$scratch/record.log" >&2

# Watch: the script plays, and the game pauses on its last frame.
frames="$(awk '$1 ~ /^[0-9]+$/ { n += $1 } END { print n }' "$scratch/run.txt")"
"$game" --play "$scratch/run.txt" 2>"$scratch/play.log" &
pid=$!
id="$(window)"
paused
sleep 0.3
import -window "$id" "$scratch/watched.png"
kill -TERM "$pid"
wait "$pid"
cat "$scratch/play.log" >&2

cp "$scratch/recorded.png" "$docs/recorded.png"
cp "$scratch/watched.png" "$docs/watched.png"
cp "$scratch/run.txt" "$docs/recorded-run.txt"
echo "recorded $frames updates; pixels that differ between the two pictures:"
compare -metric AE "$docs/recorded.png" "$docs/watched.png" null: 2>&1 || true
echo
