#!/usr/bin/env bash
# The settings dialog of either build, driven from outside with the pointer
# and the keyboard, checked through the store it writes. (Its Help button:
# e2e_help.sh.)
# Usage: e2e_dialog.sh SIDE PROGRAM
#   SIDE: tests/e2e/lib.sh (the Linux program; E2E_CLOSE_REQUEST names the
#   x_close_request helper) or tests/win32/e2e_lib.sh (Plaidwick.scr under Wine)
set -uo pipefail
. "$1"
program=$2
E2E_SCREEN=1024x768 e2e_setup dialog

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

note "the keyboard: a click on the names box, Tab to the zoom slider, Right x3, Shift+Tab x5 back to OK, Space"
store_set "Tartan Zoom" 4
open_dialog
click 115 219
xdotool key --delay 150 Tab Right Right Right shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
expect_exit "$dialog" 10 0 "OK by the keyboard"
expect_stored 0 0 7 30

note "the About tab; Cancel from there"
open_dialog
click 92 26
button Cancel
echo "dialog: all checks passed"
