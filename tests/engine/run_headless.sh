#!/bin/sh
# Starts the game without a display, lets it run for about a second, then asks it to
# stop the way a desktop does when a window is closed. The game must still be running
# then (it did not fail at start) and must end with status 0.
# Usage: run_headless.sh <kestrelix binary> <data directory> [game options...]
set -u
binary=$1
data=$2
shift 2

cd "$data" || exit 1
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$binary" "$@" &
pid=$!
sleep 1
if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    echo "kestrelix ended by itself with status $? before it was asked to"
    exit 1
fi
kill -TERM "$pid"
wait "$pid"
status=$?
if [ "$status" -ne 0 ]; then
    echo "kestrelix ended with status $status after SIGTERM"
    exit 1
fi
echo "kestrelix ran headless and quit cleanly"
