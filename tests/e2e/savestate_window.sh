#!/bin/bash
# In a real window on a virtual X display, with real key presses: play, pause, take a
# screenshot, save to slot 1 (F1), play on, pause, restore slot 1 (Shift+F1), take a
# screenshot: the two must be the same picture. Then hold Backspace and read the title.
# Timing-bound (xdotool and sleeps), so it is run by hand rather than by CTest:
#   xvfb-run -a -s "-screen 0 800x600x24" tests/e2e/savestate_window.sh build/src/kestrelix data /tmp/shots
set -euo pipefail
game="$(realpath "$1")"
data="$2"
out="$(mkdir -p "$3" && realpath "$3")"
cd "$data"
"$game" 2>"$out/stderr.txt" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
sleep 2
window="$(xdotool search --name Kestrelix | head -1)"
xdotool windowfocus "$window" 2>/dev/null || true
key() { xdotool keydown "$1"; sleep 0.05; xdotool keyup "$1"; sleep 0.2; }
key b; key b                                   # the character column, then confirm
sleep 3                                        # ready phase and the teleport beam
xdotool keydown Right; sleep 1.2; xdotool keydown space; sleep 0.3
key Return                                     # paused in mid-jump
import -window root "$out/at-save.png"
key F1
xdotool keyup space
key Return; sleep 1.5; xdotool keyup Right; sleep 0.5
key Return
import -window root "$out/played-on.png"
xdotool keydown shift; key F1; xdotool keyup shift
sleep 0.3
import -window root "$out/restored.png"
key Return; xdotool keydown Right; sleep 1; xdotool keyup Right
xdotool keydown BackSpace; sleep 0.5
title="$(xdotool getwindowname "$window")"
xdotool keyup BackSpace; sleep 0.3
after="$(xdotool getwindowname "$window")"
differ() { compare -metric AE "$out/$1" "$out/$2" null: 2>&1 || true; }
echo "pixels differing, at save vs restored: $(differ at-save.png restored.png)"
echo "pixels differing, at save vs played on: $(differ at-save.png played-on.png)"
echo "title while rewinding: $title; after: $after"
[ "$(differ at-save.png restored.png)" = 0 ] && [ "$title" = "Kestrelix - rewinding" ]
