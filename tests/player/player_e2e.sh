#!/usr/bin/env bash
# End to end: the real Orvane_M4 on an X server (Xvfb), driven with real X input events. The
# program reports what it did on standard error (--trace): the script waits for those lines,
# never for a fixed time.
# Usage: player_e2e.sh ORVANE_M4 SAMPLE.idx
set -euo pipefail
exe=$1
sample=$2
work=$(mktemp -d) # read by e2e_common.sh
# shellcheck source=tests/player/e2e_common.sh
. "$(dirname "$0")/e2e_common.sh"
start_xvfb

start_player "$exe" "$sample"
main_window
playing || fail "the recording does not play after start"
xdotool key space
expect_done 104 paused || fail "Space did not pause"
# Stepping works only while paused: one picture on, and still paused.
paused_at=$POSITION
xdotool key Right
expect_done 107 paused || fail "Right did not keep the recording paused"
[ "$POSITION" -gt "$paused_at" ] || fail "Right did not step to the next picture ($POSITION)"
click_in "$WID" 90 623 # the Play button
expect_done 103 playing || fail "a click on Play did not play on"
playing || fail "no pictures after Play"
xdotool key s
expect_done 105 stopped || fail "S did not stop"
click_in "$WID" 760 145 2 # first file row
expect_line "opened *${sample##*/}" || fail "a double-click in the file list did not open the recording"
playing || fail "the recording opened from the list does not play"
quit_player
echo "PASS"
