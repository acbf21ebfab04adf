#!/usr/bin/env bash
# End to end through the window's commands: the real Orvane_M4 on Xvfb, driven with real X
# input. Capture saves a still (with the watermark) that umvtool reads and checks; the still
# search lists it; print, with no printer here, saves the page as a PDF; the video search's
# day, hour and minute open the covering pair and play it.
# Usage: player_commands_e2e.sh ORVANE_M4 UMVTOOL SOURCE_DIR
set -euo pipefail
exe=$1
umvtool=$2
source_dir=$3
sample="$source_dir/samples/d1_4ch/Lobby_20260314_095952/20260314_095952.idx"
work=$(mktemp -d)
. "$(dirname "$0")/e2e_common.sh"
start_xvfb
cat >"$work/Environments.ini" <<INI
[HKEY_LOCAL_MACHINE\\Software\\Halvex\\Environments]
CapturePath=$work/Frame/
WaterMark=$source_dir/samples/Mark4015.raw
OrvRecordPath=$source_dir/samples/d1_4ch/
INI

"$exe" "$sample" >"$work/out.txt" 2>&1 &
player_pid=$!
xdotool search --sync --onlyvisible --name '^Orvane_M4$' >/dev/null
playing || fail "the recording does not play after start"
wid=$(window_named Orvane_M4)
xdotool windowfocus "$wid"
xdotool key space
settled || fail "Space did not pause"

# Capture: the save dialog ("Save"), "Insert WaterMark" ticked, Save, then the message.
xdotool key ctrl+s
dialog=$(window_named Save) || fail "Ctrl+S did not open the save dialog"
settled
click_in "$dialog" 84 342            # "Insert WaterMark"
click_in "$dialog" 50 372            # Save
box=$(window_named Save) && settled
xdotool key Return                   # "The image has been saved."
still=$(ls "$work"/Frame/*.jpg 2>/dev/null | head -n 1)
[ -n "$still" ] || fail "capture saved no still"
case "$(basename "$still")" in Lobby,*,M,.jpg) ;; *) fail "unexpected still name $still" ;; esac
"$umvtool" still "$still" | grep -q 720x480 || fail "umvtool still cannot read $still"
"$umvtool" watermark check "$still" "$work/check.png" >/dev/null || fail "no watermark found"

# The still search lists the capture: its result rows change when Search is clicked.
xdotool windowfocus "$wid"
xdotool key ctrl+g
search=$(window_named "Search for Still Image") || fail "Ctrl+G did not open the still search"
settled
eval "$(xdotool getwindowgeometry --shell "$search" | sed 's/^/S_/')"
empty=$(region $((S_X + 14)) $((S_Y + 214)) 300 20)
click_in "$search" 275 169           # Search
settled
[ "$(region $((S_X + 14)) $((S_Y + 214)) 300 20)" != "$empty" ] ||
  fail "the still search found nothing"
xdotool key Escape
settled

# Print: no printer here, so the message, then the page goes to a PDF file.
xdotool windowfocus "$wid"
xdotool key ctrl+p
window_named Orvane_M4 >/dev/null
settled
xdotool key Return                   # "Please check printer connection."
settled
xdotool type --delay 20 "$work/page.pdf"
xdotool key Return
settled
xdotool key Return                   # "Printing completed."
head -c 5 "$work/page.pdf" 2>/dev/null | grep -q '%PDF-' || fail "print wrote no PDF"

# Video search: stop, then the 14th, hour 9, minute 59, Play: the pair plays again.
xdotool windowfocus "$wid"
xdotool key s
settled || fail "S did not stop"
xdotool key ctrl+f
video=$(window_named "Search for Video") || fail "Ctrl+F did not open the video search"
settled
eval "$(xdotool getwindowgeometry --shell "$video" | sed 's/^/V_/')"
bar=$((V_WIDTH - 22))                # the hour and minute bars span the dialog, 11 pixels in
click_in "$video" 303 199                            # the 14th
click_in "$video" $((11 + (9 * 2 + 1) * bar / 48)) 288      # hour 9
click_in "$video" $((11 + (59 * 2 + 1) * bar / 120)) 340    # minute 59
click_in "$video" $((V_WIDTH - 136)) 398                    # Play
playing || fail "Play of the video search did not play the recording"

xdotool windowfocus "$wid"
xdotool key ctrl+q
for _ in $(seq 100); do kill -0 "$player_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$player_pid" 2>/dev/null && fail "Ctrl+Q did not close the window"
wait "$player_pid" || fail "Orvane_M4 ended with an error"
player_pid=""
echo "PASS"
