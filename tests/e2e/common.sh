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
  poll "$2" eval "! kill -0 $1 2>/dev/null"
  if kill -0 "$1" 2>/dev/null; then exit_code=running; else wait "$1"; exit_code=$?; fi
}

# Waits (up to 30 s, for a loaded machine) for a window with this exact
# title; prints its X window id.
wait_window() {
  local title=$1
  poll 30 eval 'xdotool search --limit 1 --name "^$title\$" 2>/dev/null'
}

# The colour of one screen pixel as "r,g,b".
pixel_at() {
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# How many colours the screen shows.
screen_colours() { import -window root -depth 8 png:- | convert - -format %k info:; }

# Starts a private Xvfb of size ${E2E_SCREEN:-800x600}; sets DISPLAY and E2E_XVFB.
start_display() {
  local displayfile=$(mktemp -p "$E2E_DIR")  # a new one: a display may be started again
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-800x600}x24" -nolisten tcp -noreset 3>"$displayfile" 2>/dev/null &
  E2E_XVFB=$!
  poll 10 test -s "$displayfile" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$displayfile")"
}

# e2e_start: a scratch folder ($E2E_DIR) and a private display for the run;
# at its end e2e_cleanup ends what it started there.
e2e_start() {
  E2E_DIR=$(mktemp -d) E2E_PIDS=()
  trap e2e_cleanup EXIT
  start_display
}

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  # Wine's processes of this prefix end while their display still exists.
  [ "${E2E_BUILD:-}" = windows ] && { timeout 20 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null; }
  kill "${E2E_XVFB:-}" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$E2E_DIR"
}

# Starts a program of the build in the background (a Windows one through the
# runner, which becomes the program); its pid goes to E2E_LAST_PID.
run_program() {
  "${E2E_RUNNER[@]}" "$@" >"$E2E_DIR/program.out" 2>&1 &
  E2E_LAST_PID=$!
  E2E_PIDS+=("$E2E_LAST_PID")
}

# make_tile TOOL: record 0's woven tile, written by TOOL (plaidwick-catalogue
# for this machine), as a picture file named in $tile.
make_tile() { tile="$E2E_DIR/tile0.png" && "$1" tile 0 -o "$tile"; }

# check_screen WHAT NAME ZOOM [BOX]: the screenshot NAME (taken now unless there is
# one) against record 0's tile repeated at ZOOM (outside the top-right BOX),
# or the name's cell there.
check_screen() {
  [ -f "$E2E_DIR/$2.png" ] || import -window root "$E2E_DIR/$2.png"
  python3 "$(dirname "${BASH_SOURCE[0]}")/compare_screen.py" "$1" "$E2E_DIR/$2.png" "$tile" "$3" \
    ${4:-} || fail "$2: the screen is not record 0's $1 at zoom $3"
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
  local got="$(store_get "Tartan Order") $(store_get "Tartan Info") $(store_get "Tartan Zoom") $(store_get "Tartan Delay")"
  [ "$got" = "$*" ] || fail "stored order, info, zoom, delay are $got, not $*"
}

# The settings dialog of the program in $program (both builds).

# Opens the dialog, checks that its 420x300 client area is centred on the
# screen, and finds the client area's corner (a frame drawn around it is as
# wide on the left, right and bottom).
open_dialog() {
  run_program "$program" /c
  dialog=$E2E_LAST_PID
  window=$(wait_window "Plaidwick ScreenSaver 1.0") || fail "the dialog did not open"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  border=$(((WIDTH - 420) / 2))
  client_x=$((X + border)) client_y=$((Y + HEIGHT - 300 - border))
  [ "$border" -ge 0 ] && [ $((HEIGHT - 300 - 2 * border)) -ge 0 ] || fail "no 420x300 client area in ${WIDTH}x${HEIGHT}"
  [ $((2 * X + WIDTH - 1024)) -ge -2 ] && [ $((2 * X + WIDTH - 1024)) -le 2 ] &&
    [ $((2 * Y + HEIGHT - 768)) -ge -2 ] && [ $((2 * Y + HEIGHT - 768)) -le 2 ] || fail "not centred: $X,$Y ${WIDTH}x${HEIGHT}"
}

# click X Y: a click at client coordinates of the dialog.
click() { xdotool mousemove $((client_x + $1)) $((client_y + $2)) sleep 0.2 click 1 sleep 0.3; }

# button OK|Cancel: clicks it; the dialog ends with code 0.
button() {
  if [ "$1" = OK ]; then click 150 280; else click 250 280; fi
  expect_exit "$dialog" 10 0 "$1"
}
