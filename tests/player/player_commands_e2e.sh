#!/usr/bin/env bash
# End to end through the window's commands: the real Orvane_M4 on Xvfb, driven with real X
# input. Capture saves a still (with the watermark) that umvtool reads and checks; the still
# search lists it; print, with no printer here, saves the page as a PDF; the video search's
# day, hour and minute open the covering pair and play it. The program reports what it did on
# standard error (--trace): the script waits for those lines, never for a fixed time.
# Usage: player_commands_e2e.sh ORVANE_M4 UMVTOOL SOURCE_DIR
set -euo pipefail
exe=$1
umvtool=$2
source_dir=$3
sample="$source_dir/samples/d1_4ch/Lobby_20260314_095952/20260314_095952.idx"
work=$(mktemp -d) # read by e2e_common.sh
# shellcheck source=tests/player/e2e_common.sh
. "$(dirname "$0")/e2e_common.sh"
start_xvfb
cat >"$work/Environments.ini" <<INI
[HKEY_LOCAL_MACHINE\\Software\\Halvex\\Environments]
CapturePath=$work/Frame/
WaterMark=$source_dir/samples/Mark4015.raw
OrvRecordPath=$source_dir/samples/d1_4ch/
INI
# Answers the message box with that text: answer TEXT.
answer() {
  expect_window message "$1"
  focus "$WIN"
  xdotool key Return
}

start_player "$exe" "$sample"
main_window
playing || fail "the recording does not play after start"
xdotool key space
expect_done 104 paused || fail "Space did not pause"

# Capture: the save dialog ("Save"), "Insert WaterMark" ticked, Save, then the message.
xdotool key ctrl+s
expect_window shown Save
click_in "$WIN" 84 342 # "Insert WaterMark"
click_in "$WIN" 50 372 # Save
answer "The image has been saved."
expect_done 112 paused || fail "capture did not complete"
still=$(ls "$work"/Frame/*.jpg 2>/dev/null | head -n 1)
[ -n "$still" ] || fail "capture saved no still"
case "$(basename "$still")" in Lobby,*,M,.jpg) ;; *) fail "unexpected still name $still" ;; esac
"$umvtool" still "$still" | grep -q 720x480 || fail "umvtool still cannot read $still"
"$umvtool" watermark check "$still" "$work/check.png" >/dev/null || fail "no watermark found"

# The still search lists the capture.
focus "$WID"
xdotool key ctrl+g
expect_window shown "Search for Still Image"
search=$WIN
eval "$(xdotool getwindowgeometry --shell "$search" | sed 's/^/S_/')"
click_in "$search" $((S_WIDTH - 137)) 169 # Search, right-aligned beside Close
expect_line "still search * rows" || fail "the still search did not end"
[ "$LINE" = "still search 1 rows" ] || fail "the still search did not find the capture: $LINE"
focus "$search"
xdotool key Escape
expect_line "hidden $search" || fail "Escape did not close the still search"

# Print: no printer here, so the message, then the page goes to a PDF file.
focus "$WID"
xdotool key ctrl+p
answer "Please check printer connection."
expect_window shown "Save as PDF"
focus "$WIN"
xdotool type --delay 20 "$work/page.pdf"
xdotool key Return
answer "Printing completed."
expect_done 111 paused || fail "print did not complete"
head -c 5 "$work/page.pdf" 2>/dev/null | grep -q '%PDF-' || fail "print wrote no PDF"

# Video search: stop, then the 14th, hour 9, minute 59, Play: the pair plays again.
focus "$WID"
xdotool key s
expect_done 105 stopped || fail "S did not stop"
xdotool key ctrl+f
expect_window shown "Search for Video"
video=$WIN
eval "$(xdotool getwindowgeometry --shell "$video" | sed 's/^/V_/')"
bar=$((V_WIDTH - 31)) # the hour and minute bars: 11 pixels in, and the 9-pixel marker free right
click_in "$video" 303 199                               # the 14th
click_in "$video" $((11 + (9 * 2 + 1) * bar / 48)) 288  # hour 9
click_in "$video" $((11 + (59 * 2 + 1) * bar / 120)) 340 # minute 59
click_in "$video" $((V_WIDTH - 136)) 398                # Play
expect_line "opened *${sample##*/}" || fail "Play of the video search did not open the recording"
playing || fail "Play of the video search did not play the recording"

quit_player
echo "PASS"
