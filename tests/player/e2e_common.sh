# Shared by the end-to-end scripts: an Xvfb server whose screen file serves as the X screenshot,
# and helpers that wait on what the screen shows. Source it after setting `work`.
xvfb_pid=""
player_pid=""
cleanup() {
  [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x800x24 -fbdir "$work" -nolisten tcp 3>"$work/display" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$work/display")"
  export HALVEX_CONFIG="$work/Environments.ini" HALVEX_DATA="$work/data" XDG_RUNTIME_DIR="$work"
  unset QT_QPA_PLATFORM
}

screen() { md5sum <"$work/Xvfb_screen0" | cut -c1-32; }
# The digest of a rectangle of the screen: region X Y W H.
region() {
  /usr/bin/python3 - "$work/Xvfb_screen0" "$@" <<'PY'
import hashlib, struct, sys
data = open(sys.argv[1], 'rb').read()
f = struct.unpack('>25I', data[:100])
offset = f[0] + f[19] * 12
bpl, bpp = f[12], f[11] // 8
x, y, w, h = map(int, sys.argv[2:6])
digest = hashlib.md5()
for row in range(y, y + h):
    start = offset + row * bpl + x * bpp
    digest.update(data[start:start + w * bpp])
print(digest.hexdigest())
PY
}
# Waits (at most 20 s) until the screen stops changing for half a second.
settled() {
  local last now
  last=$(screen)
  for _ in $(seq 40); do
    sleep 0.5
    now=$(screen)
    [ "$now" = "$last" ] && return 0
    last=$now
  done
  return 1
}
# Waits (at most 20 s) until the screen changes by itself, twice (pictures are playing).
playing() {
  local a b
  a=$(screen)
  for _ in $(seq 40); do
    sleep 0.25
    b=$(screen)
    [ "$a" != "$b" ] && { sleep 0.25; [ "$(screen)" != "$b" ] && return 0; }
  done
  return 1
}
# The newest visible window whose name is exactly $1 (waits for it, at most 20 s).
window_named() {
  local id=""
  for _ in $(seq 80); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.25
  done
  return 1
}
# The newest visible window named $1: its id in WID and its place in X and Y (waits for it, at most
# 20 s). A window may be made anew between the lookup and the question for its place, so both are
# asked again until they agree.
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
# Clicks at (DX, DY) inside window WID: click_in WID DX DY [REPEAT].
click_in() {
  local wx wy
  eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/W_/')"
  wx=$W_X wy=$W_Y
  xdotool mousemove $((wx + $2)) $((wy + $3)) click --repeat "${4:-1}" --delay 80 1
}
fail() { echo "FAIL: $*"; cat "$work/out.txt" 2>/dev/null; exit 1; }
