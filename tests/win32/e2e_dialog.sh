#!/usr/bin/env bash
# The real Plaidwick.scr settings dialog under Wine, driven from outside with
# the mouse and the keyboard, checked through the registry it writes.
# Usage: e2e_dialog.sh PLAIDWICK.SCR
set -uo pipefail
. "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
program=$1
e2e_setup dialog
title="Plaidwick ScreenSaver 1.0"

# Opens the dialog and finds its client area's top-left corner on the
# screen (the frame is the same width on the left, right and bottom).
open_dialog() {
  start_program "$program" /c
  dialog=$E2E_LAST_PID
  window=$(wait_window "$title")
  [ -n "$window" ] || fail "the dialog did not open"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  border=$(((WIDTH - 420) / 2))
  client_x=$((X + border))
  client_y=$((Y + HEIGHT - 300 - border))
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

ok_button() { click 150 280; }
cancel_button() { click 250 280; }

expect_stored() {
  local order=$1 info=$2 zoom=$3 delay=$4
  [ "$(reg_get "Tartan Order")" = "$order" ] || fail "Tartan Order is $(reg_get "Tartan Order"), not $order"
  [ "$(reg_get "Tartan Info")" = "$info" ] || fail "Tartan Info is $(reg_get "Tartan Info"), not $info"
  [ "$(reg_get "Tartan Zoom")" = "$zoom" ] || fail "Tartan Zoom is $(reg_get "Tartan Zoom"), not $zoom"
  [ "$(reg_get "Tartan Delay")" = "$delay" ] || fail "Tartan Delay is $(reg_get "Tartan Delay"), not $delay"
}

expect_ended() {
  wait_exit "$dialog" 10
  [ "$exit_code" = 0 ] || fail "$1: the dialog did not end with code 0 (got $exit_code)"
}

note "no stored settings: opening writes only the install path; OK stores what the controls show"
reg_clear
open_dialog
[ "$(reg_get "Install Path")" != "<missing>" ] || fail "the install path was not written"
[ "$(reg_get "Tartan Zoom")" = "<missing>" ] || fail "opening the dialog wrote a setting"
[ -n "${E2E_SCREENSHOTS:-}" ] && import -window root "$E2E_SCREENSHOTS/dialog-general.png"
ok_button
expect_ended "OK"
expect_stored 1 1 1 1

note "close box and Alt+F4 leave the dialog open; Cancel after moving the sliders stores nothing"
reg_set "Tartan Order" 0
reg_set "Tartan Info" 1
reg_set "Tartan Zoom" 25
reg_set "Tartan Delay" 30
open_dialog
xdotool mousemove $((X + WIDTH - border - 12)) $((Y + border + 9))
sleep 0.2
xdotool click 1
sleep 0.5
wait_exit "$dialog" 0
[ "$exit_code" = running ] || fail "the close box ended the dialog"
xdotool key alt+F4
sleep 0.5
wait_exit "$dialog" 0
[ "$exit_code" = running ] || fail "Alt+F4 ended the dialog"
[ -n "$(wait_window "$title")" ] || fail "the dialog window went away"
click 110 87    # the zoom slider's channel, left of its thumb
click 110 162   # the delay slider's channel, left of its thumb
cancel_button
expect_ended "Cancel"
expect_stored 0 1 25 30

note "a stored zoom of 25 shows as 10 and OK (a click) stores 10"
open_dialog
[ -n "${E2E_SCREENSHOTS:-}" ] && import -window root "$E2E_SCREENSHOTS/dialog-zoom25.png"
ok_button
expect_ended "OK"
expect_stored 0 1 10 30

note "the keyboard: Tab to the names box, Space, Tab to the zoom slider, Right x3, Shift+Tab back to OK, Space"
reg_set "Tartan Zoom" 4
open_dialog
xdotool key --delay 150 Tab Tab Tab Tab Tab space Tab Right Right Right \
  shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
expect_ended "OK by keyboard"
expect_stored 0 0 7 30

note "Help with no help file in the install folder shows nothing; the dialog carries on"
open_dialog
windows_before=$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)
click 345 280   # Help
sleep 1
wait_exit "$dialog" 0
[ "$exit_code" = running ] || fail "Help ended the dialog"
[ "$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)" = "$windows_before" ] ||
  fail "Help without a help file opened a window"
cancel_button
expect_ended "Cancel after Help"

note "the About tab shows the banner and the text; Cancel from there"
open_dialog
click 92 26   # the "About" tab
[ -n "${E2E_SCREENSHOTS:-}" ] && import -window root "$E2E_SCREENSHOTS/dialog-about.png"
cancel_button
expect_ended "Cancel on the About tab"
echo "PASS"
