#!/usr/bin/env bash
# The real Plaidwick.scr settings dialog under Wine, driven with the mouse and
# the keyboard, checked through the registry it writes.
# Usage: e2e_dialog.sh PLAIDWICK.SCR
set -uo pipefail
. "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
program=$1
E2E_SCREEN=1024x768 e2e_setup dialog

# Opens the dialog and finds its 420x300 client area's top-left corner on the
# screen (the frame is as wide on the left, right and bottom).
open_dialog() {
  run_program "$program" /c
  dialog=$E2E_LAST_PID
  window=$(wait_window "Plaidwick ScreenSaver 1.0")
  [ -n "$window" ] || fail "the dialog did not open"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  border=$(((WIDTH - 420) / 2))
  client_x=$((X + border)) client_y=$((Y + HEIGHT - 300 - border))
  [ "$border" -ge 0 ] && [ $((HEIGHT - 300 - 2 * border)) -gt 0 ] ||
    fail "the dialog's frame is ${WIDTH}x${HEIGHT}: no 420x300 client area with a caption"
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

note "close box and Alt+F4 leave the dialog open; Cancel after moving the sliders stores nothing"
store_set "Tartan Order" 0 "Tartan Info" 1 "Tartan Zoom" 25 "Tartan Delay" 30
open_dialog
click $((WIDTH - 2 * border - 12)) $((2 * border + 309 - HEIGHT))   # the close box
sleep 0.2
expect_exit "$dialog" 0 running "the close box"
xdotool key alt+F4
sleep 0.5
expect_exit "$dialog" 0 running "Alt+F4"
click 110 87    # the zoom slider's channel, left of its thumb
click 110 162   # the delay slider's channel, left of its thumb
button Cancel
expect_stored 0 1 25 30

note "a stored zoom of 25 shows as 10 and OK stores 10"
open_dialog
button OK
expect_stored 0 1 10 30

note "the keyboard: Tab to the names box, Space, Tab to the zoom slider, Right x3, Shift+Tab back to OK, Space"
store_set "Tartan Zoom" 4
open_dialog
xdotool key --delay 150 Tab Tab Tab Tab Tab space Tab Right Right Right \
  shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
expect_exit "$dialog" 10 0 "OK by keyboard"
expect_stored 0 0 7 30

note "Help with no help file in the install folder opens no window; the dialog carries on"
open_dialog
windows_before=$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)
click 345 280   # Help
sleep 1
expect_exit "$dialog" 0 running "Help"
[ "$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)" = "$windows_before" ] ||
  fail "Help without a help file opened a window"
click 92 26     # the About tab; Cancel from there
button Cancel
echo "PASS"
