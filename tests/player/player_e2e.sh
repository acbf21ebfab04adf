#!/usr/bin/env bash
# End to end: the real Orvane_M4 on an X server (Xvfb), driven with real X input events. The
# server keeps its screen in a file, which serves as the X screenshot: while paused or stopped
# the screen stays the same, while playing the cells change.
# Usage: player_e2e.sh ORVANE_M4 SAMPLE.idx
set -euo pipefail
exe=$1
sample=$2
work=$(mktemp -d)
. "$(dirname "$0")/e2e_common.sh"
start_xvfb

"$exe" "$sample" >"$work/out.txt" 2>&1 &
player_pid=$!
window_place Orvane_M4 || fail "no window"   # X, Y of the window

playing || fail "the recording does not play after start"
# The native window is made anew once the cells take their GPU views: look it up again.
window_place Orvane_M4 || fail "the window went away"
xdotool windowfocus "$WID"
xdotool key space
settled || fail "Space did not pause"
# Stepping works only while paused (not after the end of the recording): one new picture.
before=$(screen)
xdotool key Right
changed=""
for _ in $(seq 40); do sleep 0.25; [ "$(screen)" != "$before" ] && { changed=1; break; }; done
[ -n "$changed" ] || fail "Right did not step to the next picture while paused"
settled || fail "the picture moved on after one step"
xdotool mousemove $((X + 90)) $((Y + 623)) click 1      # the Play button
playing || fail "a click on Play did not play on"
xdotool key s
settled || fail "S did not stop"
xdotool mousemove $((X + 760)) $((Y + 145)) click --repeat 2 --delay 80 1   # first file row
playing || fail "a double-click in the file list did not open the recording"
xdotool key ctrl+q
for _ in $(seq 100); do kill -0 "$player_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$player_pid" 2>/dev/null && fail "Ctrl+Q did not close the window"
wait "$player_pid" || fail "Orvane_M4 ended with an error"
player_pid=""
echo "PASS"
