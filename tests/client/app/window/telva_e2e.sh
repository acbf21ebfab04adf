#!/usr/bin/env bash
# End to end: the real Telva_M4 on an X server (Xvfb) against a simulated recorder, driven with
# real X input events: Enter opens the connection dialog, a click picks the saved recorder, the
# password is typed and Connect clicked; live pictures must play; a double-click on the first pane
# shows that channel alone, where the camera buttons appear (a held Zoom In reaches the recorder
# for channel 1); a second copy is refused; Exit ends the program.
# Usage: telva_e2e.sh TELVA_M4 DVRSIM SAMPLE_FOLDER
set -euo pipefail
exe=$1
dvrsim=$2
sample=$3
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

"$exe" >"$work/out.txt" 2>&1 &
client_pid=$!
wid=$(xdotool search --sync --onlyvisible --name '^Telva_M4$' | head -n 1)

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
dialog=$(xdotool search --sync --onlyvisible --name '^Connect$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$dialog")"   # X, Y, WIDTH, HEIGHT of the dialog
xdotool mousemove $((X + 60)) $((Y + 37)) click 1       # the saved recorder, first row
xdotool key Tab Tab Tab Tab                             # name, address, port, password
xdotool type --delay 30 '4321'
# Connect is the fourth of the five buttons along the bottom.
xdotool mousemove $((X + WIDTH * 7 / 10)) $((Y + HEIGHT - 22)) click 1
for _ in $(seq 100); do grep -q '^0 ' "$work/records.log" 2>/dev/null && break; sleep 0.1; done
grep -q '^0 ' "$work/records.log" || fail "the recorder sent no live pictures"
playing || fail "no live pictures on the screen"

wid=$(xdotool search --onlyvisible --name '^Telva_M4$' | tail -n 1)
eval "$(xdotool getwindowgeometry --shell "$wid")"
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
