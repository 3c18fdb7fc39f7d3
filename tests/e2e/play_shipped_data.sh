#!/bin/sh
# Plays the shipped game for a few seconds the way a person would, then closes it.
#
# Usage: play_shipped_data.sh <kestrelix binary> <data directory> <level entry> <character entry>
#
# With xvfb-run and xdotool installed, the game runs on a virtual X display and gets real
# key presses: down to the chosen menu entries, shoot to pick each, then a little play
# (walk right, jump, shoot, walk left, pause, single step, resume). Without them it runs
# on SDL's dummy driver, untouched, for the same time. Either way it must still be running
# at the end (a content file it refused would have ended it with status 1) and must end
# with status 0 when it gets SIGTERM, which SDL turns into a quit request like a window
# close. Every wait is bounded; a game that hangs is killed and the test fails.
set -u

session_seconds=3
start_timeout_tenths=100
stop_timeout_tenths=50

fail() {
    echo "play_shipped_data: $*"
    exit 1
}

# Waits up to $2 tenths of a second for process $1 to end; true if it did.
wait_gone() {
    tenths=0
    while kill -0 "$1" 2>/dev/null; do
        if [ "$tenths" -ge "$2" ]; then
            return 1
        fi
        sleep 0.1
        tenths=$((tenths + 1))
    done
    return 0
}

# Asks the game to quit and checks how it ended.
stop_game() {
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        fail "kestrelix ended by itself with status $? during the session"
    fi
    kill -TERM "$pid"
    if ! wait_gone "$pid" "$stop_timeout_tenths"; then
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        fail "kestrelix did not end within 5 s of SIGTERM and was killed"
    fi
    wait "$pid"
    status=$?
    if [ "$status" -ne 0 ]; then
        fail "kestrelix ended with status $status after SIGTERM"
    fi
}

# Holds a key long enough for the game to see it in a frame of its own: a press and a
# release that fall into one frame are not seen as a press.
tap() {
    xdotool keydown "$1" && sleep 0.1 && xdotool keyup "$1" && sleep 0.1
}

hold() {
    xdotool keydown "$1" && sleep "$2" && xdotool keyup "$1"
}

# Down n times, then shoot.
choose() {
    i=0
    while [ "$i" -lt "$1" ]; do
        tap Down
        i=$((i + 1))
    done
    tap b
}

play_on_display() {
    unset SDL_VIDEODRIVER
    # Only read by a build with the sanitizers. On a real display SDL's X11 video loads
    # system libraries (D-Bus, the X client libraries) that keep blocks until the process
    # ends, some behind frames the leak checker cannot unwind; none are the game's. Leaks
    # of the game's own code are checked by every run on the dummy driver instead.
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
    export ASAN_OPTIONS
    SDL_AUDIODRIVER=dummy "$binary" &
    pid=$!
    trap 'kill -KILL "$pid" 2>/dev/null' EXIT

    window=""
    tenths=0
    while [ -z "$window" ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            fail "kestrelix ended with status $? before its window appeared"
        fi
        if [ "$tenths" -ge "$start_timeout_tenths" ]; then
            fail "no window titled Kestrelix within 10 s"
        fi
        window=$(xdotool search --name '^Kestrelix$' 2>/dev/null | head -n 1)
        sleep 0.1
        tenths=$((tenths + 1))
    done
    # No window manager runs on the virtual display: give the window the keyboard directly.
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"

    choose "$level_entry"
    choose "$character_entry"
    # The level loads and shows its ready message before anything moves.
    sleep 1.5
    hold Right 0.8
    tap space
    sleep 0.6
    tap b
    hold Left 0.4
    tap Return
    tap Tab
    tap Tab
    tap Return
    hold Right 0.3

    stop_game
    trap - EXIT
    echo "kestrelix played level entry $level_entry with character entry $character_entry" \
        "on a virtual display and quit cleanly"
}

play_headless() {
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$binary" &
    pid=$!
    trap 'kill -KILL "$pid" 2>/dev/null' EXIT
    sleep "$session_seconds"
    stop_game
    trap - EXIT
    echo "kestrelix ran $session_seconds s on the dummy driver (no xvfb-run or xdotool," \
        "so no keys) and quit cleanly"
}

here=$(cd "$(dirname "$0")" && pwd)

if [ "$#" -ge 1 ] && [ "$1" = "--on-display" ]; then
    shift
    binary=$1
    level_entry=$3
    character_entry=$4
    cd "$2" || fail "cannot enter $2"
    play_on_display
    exit 0
fi

[ "$#" -eq 4 ] || fail "usage: $0 <kestrelix binary> <data directory> <level entry> <character entry>"
binary=$1
data=$2
[ -x "$binary" ] || fail "no program at $binary"
[ -d "$data" ] || fail "no data folder at $data"

if command -v xvfb-run >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1; then
    # The outer bound catches a virtual display that never comes up.
    timeout -k 5 60 xvfb-run -a sh "$0" --on-display "$binary" "$data" "$3" "$4"
    exit $?
fi

cd "$data" || fail "cannot enter $data"
play_headless
