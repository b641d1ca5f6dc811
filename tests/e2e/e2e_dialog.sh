#!/usr/bin/env bash
# The settings dialog of either build, driven from outside with the pointer
# and the keyboard, checked through the store it writes.
# Usage: e2e_dialog.sh SIDE PROGRAM
#   SIDE: tests/e2e/lib.sh (the Linux program; E2E_CLOSE_REQUEST names the
#   x_close_request helper) or tests/win32/e2e_lib.sh (Plaidwick.scr under Wine)
set -uo pipefail
. "$1"
program=$2
E2E_SCREEN=1024x768 e2e_setup dialog

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

note "no stored settings: opening writes only the install path; OK stores what the controls show"
store_clear
open_dialog
[ "$(store_get "Install Path")" != "<missing>" ] || fail "the install path was not written"
expect_stored "<missing>" "<missing>" "<missing>" "<missing>"
[ -n "${E2E_SCREENSHOTS:-}" ] && import -window root "$E2E_SCREENSHOTS/dialog-general.png"
button OK
expect_stored 1 1 1 1

note "a close request leaves the dialog open; Cancel after moving the sliders and a box stores nothing"
store_set "Tartan Order" 0 "Tartan Info" 1 "Tartan Zoom" 25 "Tartan Delay" 30
open_dialog
request_close "$window"
sleep 0.5
expect_exit "$dialog" 0 running "a close request"
click 110 87    # the zoom slider's channel, left of its thumb
click 110 162   # the delay slider's channel
click 250 219   # the random-order box
button Cancel
expect_stored 0 1 25 30

note "a stored zoom of 25 shows as 10 and OK stores 10"
open_dialog
button OK
expect_stored 0 1 10 30

note "the keyboard: a click on the names box, Tab to the zoom slider, Right x3, Shift+Tab x5 back to OK, Space"
store_set "Tartan Zoom" 4
open_dialog
click 115 219
xdotool key --delay 150 Tab Right Right Right shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
expect_exit "$dialog" 10 0 "OK by the keyboard"
expect_stored 0 0 7 30

if [ "$E2E_BUILD" = linux ]; then
  note "Help hands the help file and topic to the viewer as one argument; the viewer ends with the dialog"
  mkdir -p "$E2E_DIR/bin"
  # The fake viewer writes its own process id (kept by exec) and its arguments.
  cat >"$E2E_DIR/bin/xchm" <<VIEWER
#!/bin/sh
echo \$\$ >"$E2E_DIR/viewer-pid"
printf '%s\n' "\$@" >"$E2E_DIR/viewer-args"
exec sleep 60
VIEWER
  chmod +x "$E2E_DIR/bin/xchm"
  # Opens the dialog and presses Help; $viewer: the viewer's process id.
  open_help() {
    rm -f "$E2E_DIR/viewer-args"
    PATH="$E2E_DIR/bin:$PATH" open_dialog
    click 345 280
    for _ in $(seq 40); do [ -s "$E2E_DIR/viewer-args" ] && break; sleep 0.1; done
    viewer=$(cat "$E2E_DIR/viewer-pid" 2>/dev/null)
    [ -n "$viewer" ] && kill -0 "$viewer" 2>/dev/null || fail "the help viewer is not running"
  }
  store_set "Install Path" "/opt/my saver/"
  open_help
  [ "$(cat "$E2E_DIR/viewer-args" 2>/dev/null)" = "file:/opt/my saver//Plaidwick.chm#xchm:/Support.htm" ] ||
    fail "the viewer got: $(cat "$E2E_DIR/viewer-args" 2>/dev/null)"
else
  note "Help with no help file in the install folder opens no window; the dialog carries on"
  open_dialog
  windows_before=$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)
  click 345 280
  sleep 1
  [ "$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)" = "$windows_before" ] ||
    fail "Help without a help file opened a window"
fi
expect_exit "$dialog" 0 running "Help"
click 92 26     # the About tab; Cancel from there
button Cancel
[ -z "${viewer:-}" ] || ! kill -0 "$viewer" 2>/dev/null || fail "the help viewer outlived the dialog"

if [ "$E2E_BUILD" = linux ]; then
  note "SIGTERM, SIGINT and SIGHUP end the dialog with code 0, and its help viewer with it"
  for signal in TERM INT HUP; do
    open_help && kill -$signal "$dialog"
    expect_exit "$dialog" 10 0 "SIG$signal"
    ! kill -0 "$viewer" 2>/dev/null || fail "the help viewer outlived the dialog's SIG$signal"
  done
fi
echo "dialog: all checks passed"
