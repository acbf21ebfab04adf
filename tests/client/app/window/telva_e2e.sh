#!/usr/bin/env bash
# End to end: the real Telva_M4 on an X server (Xvfb) against a simulated recorder, driven with
# real X input events: Enter opens the connection dialog, a click picks the saved recorder, the
# password is typed and Connect clicked; live pictures must play; a double-click on the first pane
# shows that channel alone, where the camera buttons appear (a held Zoom In reaches the recorder
# for channel 1); DVR Search picks the recorded day and plays it in the panes; DVR Backup copies
# that day's range into the backup folder of the settings, where the recordings open with
# umvtool; a second copy is refused; Exit ends the program.
# Usage: telva_e2e.sh TELVA_M4 DVRSIM SAMPLE_FOLDER UMVTOOL
set -euo pipefail
exe=$1
dvrsim=$2
sample=$3
umvtool=$4
work=$(mktemp -d)
xvfb_pid="" sim_pid="" client_pid=""
cleanup() {
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; cat "$work/out.txt" "$work/sim.txt" 2>/dev/null; exit 1; }
# The newest visible window named $1: its id in WID and its place and size in X, Y, WIDTH and
# HEIGHT (waits for it, at most 20 s). A window may be made anew between the lookup and the
# question for its place, so both are asked again until they agree.
window_place() {
  local id geometry
  for _ in $(seq 80); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1 || true)
    if [ -n "$id" ] && geometry=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null); then
      eval "$geometry"
      WID=$id
      return 0
    fi
    sleep 0.25
  done
  return 1
}
# A message box: a visible window named like the main window, but smaller.
message_box() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Telva_M4$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/M_/')"
    [ "$M_WIDTH" -lt 600 ] && { echo "$id"; return 0; }
  done
  return 1
}
# Answers the message boxes with Enter; with $1, waits for the first one ($1 quarter seconds at
# most) and fails without one.
answer_messages() {
  local box answered=0
  for _ in $(seq "${1:-0}"); do message_box >/dev/null && break; sleep 0.25; done
  for _ in 1 2 3 4 5; do
    box=$(message_box) || break
    xdotool windowfocus --sync "$box"
    xdotool key Return
    answered=1
    for _ in $(seq 40); do message_box | grep -qx "$box" || break; sleep 0.25; done
  done
  [ -z "${1:-}" ] || [ "$answered" = 1 ]
}
# Waits (at most $2 s) until no visible window is named $1.
window_gone() {
  for _ in $(seq $(($2 * 4))); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.25
  done
  return 1
}

"$dvrsim" --source "$sample" --port 0 --admin-password 4321 --control-log "$work/controls.log" \
  --record-log "$work/records.log" >"$work/sim.txt" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q '^port ' "$work/sim.txt" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^port \([0-9]*\).*/\1/p' "$work/sim.txt")
[ -n "$port" ] || fail "dvrsim did not start"

Xvfb -displayfd 3 -screen 0 1280x800x24 -fbdir "$work" -nolisten tcp 3>"$work/display" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export HALVEX_CONFIG="$work/Environments.ini" HALVEX_DATA="$work/data/" XDG_RUNTIME_DIR="$work"
unset QT_QPA_PLATFORM TELVA_PASSWORD
mkdir -p "$work/data"
printf 'Sim,127.0.0.1,%s\n' "$port" >"$work/data/IPList.db"
# Backups go to a folder of this test; the simple player is not copied.
printf '[HKEY_LOCAL_MACHINE\\Software\\Halvex\\Environments]\nBackupPath=%s/backup/\nCopyQuenby=0\n' \
  "$work" >"$work/Environments.ini"

"$exe" >"$work/out.txt" 2>&1 &
client_pid=$!
window_place Telva_M4 || fail "the window did not appear"
wid=$WID

screen() { md5sum <"$work/Xvfb_screen0" | cut -c1-32; }
# Waits (at most 20 s) until the screen changes by itself, twice (pictures are playing).
playing() {
  local a b
  a=$(screen)
  for _ in $(seq 80); do
    sleep 0.25
    b=$(screen)
    [ "$a" != "$b" ] && { sleep 0.25; [ "$(screen)" != "$b" ] && return 0; }
  done
  return 1
}

xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
xdotool key Return
window_place Connect || fail "Enter did not open the connection dialog"   # X, Y, WIDTH, HEIGHT
xdotool mousemove $((X + 60)) $((Y + 37)) click 1       # the saved recorder, first row
xdotool key Tab Tab Tab Tab                             # name, address, port, password
xdotool type --delay 30 '4321'
# Connect is the fourth of the five buttons along the bottom.
xdotool mousemove $((X + WIDTH * 7 / 10)) $((Y + HEIGHT - 22)) click 1
for _ in $(seq 100); do grep -q '^0 ' "$work/records.log" 2>/dev/null && break; sleep 0.1; done
grep -q '^0 ' "$work/records.log" || fail "the recorder sent no live pictures"
playing || fail "no live pictures on the screen"

window_place Telva_M4 || fail "the window went away"
wid=$WID
xdotool mousemove $((X + 100)) $((Y + 110)) click --repeat 2 --delay 80 1   # pane of channel 1
sleep 0.5
# Zoom In held for a moment: only shown with one channel alone, it sends "0S2" for channel 1.
xdotool mousemove $((X + 790)) $((Y + 399)) mousedown 1
sleep 0.6
xdotool mouseup 1
for _ in $(seq 100); do grep -q 'REQ=8$' "$work/controls.log" 2>/dev/null && break; sleep 0.1; done
grep -q '^MODE=5&CID=[0-9]*&OP=7&CH=0&LEN=1&REQ=0S2$' "$work/controls.log" ||
  fail "the camera of channel 1 was not moved (not one channel alone?)"
grep -q '^MODE=5&CID=[0-9]*&OP=7&CH=0&LEN=1&REQ=8$' "$work/controls.log" ||
  fail "the camera was not stopped on release"
playing || fail "channel 1 alone does not play"
xdotool mousemove $((X + 100)) $((Y + 110)) click --repeat 2 --delay 80 1   # back to all sixteen
main_x=$X main_y=$Y

# The calendar dialogs: the recorded day (14 March 2026) in the month grid, and the buttons along
# the bottom right (Play or Backup, then Close).
pick_recorded_day() { xdotool mousemove $((X + 307)) $((Y + 114)) click 1; }
# The screen x of the first recording on the calendar's time bar (the first coloured pixel along
# the bar, read from the X server's screen image); fails when the bar shows none.
recording_x() {
  ffmpeg -loglevel error -y -i "$work/Xvfb_screen0" -vcodec ppm "$work/screen.ppm" || return 1
  /usr/bin/python3 - "$work/screen.ppm" $((Y + 240)) $((X + 18)) $((X + 594)) <<'PY'
import re, sys
data = open(sys.argv[1], "rb").read()
head = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", data)
width, pixels = int(head.group(1)), data[head.end():]
y, first, last = map(int, sys.argv[2:5])
for x in range(first, last):
    r, g, b = pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]
    if max(r, g, b) - min(r, g, b) > 80:
        print(x)
        sys.exit(0)
sys.exit(1)
PY
}
click_action() { xdotool mousemove $((X + WIDTH - 140)) $((Y + HEIGHT - 26)) click 1; }
click_close() { xdotool mousemove $((X + WIDTH - 54)) $((Y + HEIGHT - 26)) click 1; }

# DVR Search: pick the day, play its recordings from the offered time; the recorder sends the
# played records and the panes show them.
xdotool mousemove $((main_x + 753)) $((main_y + 550)) click 1
window_place 'DVR Search' || fail "DVR Search opened no calendar"
pick_recorded_day
# The start time: a left double-click on the day's recording in the time bar.
for _ in $(seq 40); do bar_x=$(recording_x) && break; sleep 0.25; done
[ -n "${bar_x:-}" ] || fail "the calendar's time bar shows no recording on 14 March"
xdotool mousemove "$bar_x" $((Y + 240)) click --repeat 2 --delay 80 1
live_records=$(wc -l <"$work/records.log")
click_action
for _ in $(seq 200); do
  tail -n +$((live_records + 1)) "$work/records.log" | grep -qv '^0 ' && break
  sleep 0.1
done
tail -n +$((live_records + 1)) "$work/records.log" | grep -qv '^0 ' ||
  fail "the recorder played nothing from the calendar's time"
playing || fail "the played recording does not show in the panes"
# The sample lasts eight seconds: its end brings the calendar back (or Stop on the panel does).
if ! window_place 'DVR Search'; then
  xdotool mousemove $((main_x + 838)) $((main_y + 395)) click 1   # the panel's Stop
  window_place 'DVR Search' || fail "the calendar did not come back after the playback"
fi
# The calendar answers while "No More Video!!" (the end of the recording) is still up.
click_close
window_gone 'DVR Search' 20 || fail "the calendar did not close"
answer_messages

# DVR Backup of the day's range into the backup folder of the settings.
xdotool mousemove $((main_x + 796)) $((main_y + 550)) click 1
window_place 'DVR Backup' || fail "DVR Backup opened no calendar"
pick_recorded_day
click_action
window_place Backup || fail "no backup progress box"
window_gone Backup 120 || fail "the backup did not end"
idx=$(find "$work/backup" -name '*.idx' | head -n 1)
[ -n "$idx" ] || fail "the backup wrote no recording into $work/backup"
for f in $(find "$work/backup" -name '*.idx'); do
  "$umvtool" info "$f" >"$work/info.txt" 2>&1 || fail "umvtool cannot open $f: $(cat "$work/info.txt")"
done
grep -q '^first: 2026-03-14' "$work/info.txt" || fail "the backup holds: $(cat "$work/info.txt")"
# "Backup completed." is answered; then the backup calendar, back again, is closed.
window_place 'DVR Backup' || fail "the backup calendar did not come back"
answer_messages 80 || fail "no \"Backup completed.\" message"
window_place 'DVR Backup' || fail "the backup calendar went away"
click_close
window_gone 'DVR Backup' 20 || fail "the backup calendar did not close"
X=$main_x Y=$main_y

# A second copy refuses to start, in the configured language (the German pack beside the client).
printf 'Language=german\n' >>"$work/Environments.ini"
second=$(QT_QPA_PLATFORM=offscreen "$exe" 2>&1 | grep -v 'window masks' || true)
[ "$second" = "Telva_M4: Telva_M4 läuft bereits!!" ] || fail "second copy said: $second"

xdotool mousemove $((X + 825)) $((Y + 644)) click 1      # Exit
for _ in $(seq 100); do kill -0 "$client_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$client_pid" 2>/dev/null && fail "Exit did not close the window"
wait "$client_pid" || fail "Telva_M4 ended with an error"
client_pid=""
echo "PASS"
