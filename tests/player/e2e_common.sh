# shellcheck shell=bash disable=SC2034,SC2154 # sourced: the scripts set work and read the results
# Shared by the end-to-end scripts: an Xvfb server, and the program under test started with
# --trace, so that it reports on standard error what it did (a window shown or hidden with its
# id, a message box with its text, a command completed, a file opened, the time field moving on).
# The scripts wait for those lines, read through a pipe as they come; GUARD seconds (default 120)
# only bound a wait that would otherwise never end. Source it after setting `work`.
guard=${E2E_GUARD:-120}
xvfb_pid=""
player_pid=""
declare -A shown=() # window id -> title, from every "shown" line read so far

fail() {
  echo "FAIL: $*"
  cat "$work/out.txt" 2>/dev/null
  exit 1
}
cleanup() {
  if [ -n "$player_pid" ]; then kill "$player_pid" 2>/dev/null || true; fi
  exec 7<&- 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The server writes its display number on a pipe once it takes connections.
start_xvfb() {
  local number
  mkfifo "$work/display"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" &
  xvfb_pid=$!
  read -r -t "$guard" number <"$work/display" || fail "Xvfb did not start"
  export DISPLAY=":$number"
  export HALVEX_CONFIG="$work/Environments.ini" HALVEX_DATA="$work/data" XDG_RUNTIME_DIR="$work"
  unset QT_QPA_PLATFORM
}

# start_player EXE ARGS...: the program with --trace; its standard error comes through a pipe.
start_player() {
  mkfifo "$work/trace"
  "$@" --trace >"$work/stdout.txt" 2>"$work/trace" &
  player_pid=$!
  exec 7<"$work/trace"
}

# expect_line PATTERN: reads the program's lines until one matches the bash pattern, which is
# left in LINE. Every line read goes to out.txt (shown on failure).
expect_line() {
  local deadline=$((SECONDS + guard)) left rest
  while left=$((deadline - SECONDS)) && [ "$left" -gt 0 ]; do
    IFS= read -r -t "$left" LINE <&7 || return 1
    printf '%s\n' "$LINE" >>"$work/out.txt"
    case "$LINE" in
      "shown "*) rest=${LINE#shown } && shown[${rest%% *}]=${rest#* } ;;
    esac
    # shellcheck disable=SC2053 # the pattern is meant to match
    [[ $LINE == $1 ]] && return 0
  done
  return 1
}
# The window id of the "shown", "message" or "hidden" line in LINE.
line_window() {
  local rest=${LINE#* }
  echo "${rest%% *}"
}
# expect_window KIND TITLE: waits for a window of that title ("shown") or a message box with that
# text ("message") to be on the screen; its id goes to WIN.
expect_window() {
  expect_line "$1 * $2" || fail "no $1 \"$2\""
  WIN=$(line_window)
}
# The main window once its video views are open (its native window is made anew then): its id
# in WID, exposed and focused.
main_window() {
  expect_line "views opened *" || fail "the video views did not open"
  WID=${LINE#views opened }
  while [ -z "${shown[$WID]:-}" ]; do
    expect_line "shown $WID *" || fail "the main window $WID was not shown"
  done
  focus "$WID"
}
focus() { xdotool windowfocus --sync "$1"; }
# Pictures are playing: the time field moves on twice.
playing() { expect_line "time *" && expect_line "time *"; }
# expect_done COMMAND STATE: the window completed the command and the engine is in that state;
# the engine's position afterwards goes to POSITION.
expect_done() {
  expect_line "command $1 done: *" || return 1
  POSITION=${LINE##* }
  [[ $LINE == "command $1 done: $2 at "* ]]
}
# Clicks at (DX, DY) inside window ID: click_in ID DX DY [REPEAT].
click_in() {
  local W_X W_Y W_WIDTH W_HEIGHT W_SCREEN W_WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/W_/')"
  xdotool mousemove $((W_X + $2)) $((W_Y + $3)) click --repeat "${4:-1}" --delay 80 1
}
# Ctrl+Q, then the program's last lines until it ends, and its exit status.
quit_player() {
  focus "$WID"
  xdotool key ctrl+q
  expect_line "closed" || fail "Ctrl+Q did not close the window"
  local status=0
  while true; do
    IFS= read -r -t "$guard" LINE <&7 || { status=$?; break; }
    printf '%s\n' "$LINE" >>"$work/out.txt"
  done
  [ "$status" -gt 128 ] && fail "Orvane_M4 did not end after its window closed"
  wait "$player_pid" || fail "Orvane_M4 ended with an error"
  player_pid=""
}
