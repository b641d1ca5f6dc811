# Helpers shared by the end-to-end scripts of both builds: failing, waiting
# on the real program and its windows, and reading the screen.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# poll SECONDS COMMAND...: runs COMMAND every tenth of a second until it
# succeeds; fails when SECONDS pass first.
poll() {
  local tries=$(($1 * 10))
  shift
  until "$@"; do
    [ $((tries -= 1)) -gt 0 ] || return 1
    sleep 0.1
  done
}

# Waits up to $2 seconds for process $1, a child of this shell, to end; sets
# $exit_code to its exit code, or to "running" when it has not ended. (Not for
# use in $(...): only this shell can reap its child.)
wait_exit() {
  poll "$2" eval "! kill -0 $1 2>/dev/null" && wait "$1"
  exit_code=$?
  kill -0 "$1" 2>/dev/null && exit_code=running
}

# Waits (up to 30 s, for a loaded machine) for a window with this exact
# title; prints its X window id.
wait_window() {
  local title=$1
  poll 30 eval 'xdotool search --name "^$title\$" 2>/dev/null | head -n 1 | grep .'
}

# The colour of one screen pixel as "r,g,b".
pixel_at() {
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# Starts a private Xvfb of size ${E2E_SCREEN:-800x600}; sets DISPLAY and E2E_XVFB.
start_display() {
  local displayfile="$E2E_DIR/display"
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-800x600}x24" -nolisten tcp 3>"$displayfile" 2>/dev/null &
  E2E_XVFB=$!
  poll 5 test -s "$displayfile" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$displayfile")"
}

note() { echo "-- $*"; }

# expect_exit PID SECONDS CODE WHAT: process PID ends with CODE ("running": has
# not ended) within SECONDS.
expect_exit() {
  wait_exit "$1" "$2"
  [ "$exit_code" = "$3" ] || fail "$4: expected exit $3, got $exit_code"
}

# expect_stored ORDER INFO ZOOM DELAY: the four numbers in the store.
expect_stored() {
  local got
  got="$(store_get "Tartan Order") $(store_get "Tartan Info") $(store_get "Tartan Zoom") $(store_get "Tartan Delay")"
  [ "$got" = "$*" ] || fail "stored order, info, zoom, delay are $got, not $*"
}

# The settings dialog of the program in $program (both builds).

# Opens the dialog, checks that its 420x300 client area is centred on the
# screen, and finds the client area's corner (a frame drawn around it is as
# wide on the left, right and bottom).
open_dialog() {
  run_program "$program" /c
  dialog=$E2E_LAST_PID
  window=$(wait_window "Plaidwick ScreenSaver 1.0")
  [ -n "$window" ] || fail "the dialog did not open"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  border=$(((WIDTH - 420) / 2))
  client_x=$((X + border)) client_y=$((Y + HEIGHT - 300 - border))
  [ "$border" -ge 0 ] && [ $((HEIGHT - 300 - 2 * border)) -ge 0 ] || fail "no 420x300 client area in ${WIDTH}x${HEIGHT}"
  [ $((2 * X + WIDTH - 1024)) -ge -2 ] && [ $((2 * X + WIDTH - 1024)) -le 2 ] &&
    [ $((2 * Y + HEIGHT - 768)) -ge -2 ] && [ $((2 * Y + HEIGHT - 768)) -le 2 ] || fail "not centred: $X,$Y ${WIDTH}x${HEIGHT}"
}

# click X Y: a click at client coordinates of the dialog.
click() {
  xdotool mousemove $((client_x + $1)) $((client_y + $2))
  sleep 0.2
  xdotool click 1
  sleep 0.3
}

# button OK|Cancel: clicks it; the dialog ends with code 0.
button() {
  if [ "$1" = OK ]; then click 150 280; else click 250 280; fi
  expect_exit "$dialog" 10 0 "$1"
}
