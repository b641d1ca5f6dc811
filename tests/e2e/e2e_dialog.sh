#!/usr/bin/env bash
# The settings dialog, driven from outside with the pointer and the keyboard.
# Usage: e2e_dialog.sh PLAIDWICK X_CLOSE_REQUEST
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
program=$1
close_request=$2
E2E_SCREEN=1024x768
e2e_setup
title="Plaidwick ScreenSaver 1.0"
settings="$XDG_CONFIG_HOME/plaidwick/settings.ini"

# Points inside the window's client area: the buttons, and controls on the
# General page (the page starts below the tabs, about (12, 41) in the window).
ok_button="150 280"
cancel_button="250 280"
help_button="345 280"
zoom_slider_left="108 83"
random_order_box="250 219"

open_dialog() {
  "$program" /c >/dev/null 2>&1 &
  dialog=$!
  E2E_PIDS+=($dialog)
  window=$(wait_window "$title")
  [ -n "$window" ] || fail "the dialog did not open"
  sleep 0.5
}

click() {
  xdotool mousemove --window "$window" $1 click 1
  sleep 0.3
}

# Stored values come up in the controls; OK writes back what they show: a
# zoom of 25 shows, and is stored, as 10.
store_set "Install Path" /opt/plaidwick/ "Tartan Order" 0 "Tartan Info" 1 "Tartan Zoom" 25 "Tartan Delay" 30
open_dialog
geometry=$(xdotool getwindowgeometry "$window")
grep -q "Geometry: 420x300" <<<"$geometry" || fail "client area is not 420x300: $geometry"
grep -q "Position: 302,234" <<<"$geometry" || fail "the dialog is not centred: $geometry"
click "$ok_button"
wait_exit "$dialog" 5
[ "$exit_code" = 0 ] || fail "OK did not end the dialog with code 0 (got $exit_code)"
for pair in "Tartan Order=0" "Tartan Info=1" "Tartan Zoom=10" "Tartan Delay=30" "Install Path=/opt/plaidwick/"; do
  [ "$(store_get "${pair%%=*}")" = "${pair#*=}" ] || fail "after OK: expected $pair, file has: $(cat "$settings")"
done

# Controls moved, then Cancel: nothing is written.
cp "$settings" "$E2E_DIR/before.ini"
open_dialog
click "$zoom_slider_left"
click "$random_order_box"
click "$cancel_button"
wait_exit "$dialog" 5
[ "$exit_code" = 0 ] || fail "Cancel did not end the dialog with code 0"
cmp -s "$settings" "$E2E_DIR/before.ini" || fail "Cancel changed the settings"

# The same moves, then OK: the slider's and the check box's new states are stored.
open_dialog
click "$zoom_slider_left"
click "$random_order_box"
click "$ok_button"
wait_exit "$dialog" 5
[ "$(store_get 'Tartan Zoom')" = 1 ] || fail "the zoom slider moved to 1 was not stored"
[ "$(store_get 'Tartan Order')" = 1 ] || fail "the ticked random-order box was not stored"

# A close request (the close box, Alt+F4) leaves the dialog open.
open_dialog
"$close_request" "$window"
sleep 0.5
wait_exit "$dialog" 0
[ "$exit_code" = running ] || fail "a close request ended the dialog"
[ -n "$(xdotool search --name "^$title\$")" ] || fail "a close request closed the window"
click "$cancel_button"
wait_exit "$dialog" 5
[ "$exit_code" = 0 ] || fail "Cancel after a close request did not end the dialog"

# Help hands the help file and topic to the viewer as one argument, and the
# viewer is closed when the dialog ends.
mkdir -p "$E2E_DIR/bin"
# The fake viewer writes its own process id (kept by exec) and its arguments.
cat >"$E2E_DIR/bin/xchm" <<VIEWER
#!/bin/sh
echo \$\$ >"$E2E_DIR/viewer-pid"
printf '%s\n' "\$@" >"$E2E_DIR/viewer-args"
exec sleep 60
VIEWER
chmod +x "$E2E_DIR/bin/xchm"
store_clear
store_set "Install Path" "/opt/my saver/" "Tartan Zoom" 2
PATH="$E2E_DIR/bin:$PATH" open_dialog
click "$help_button"
for _ in $(seq 40); do [ -s "$E2E_DIR/viewer-args" ] && break; sleep 0.1; done
[ "$(cat "$E2E_DIR/viewer-args" 2>/dev/null)" = "file:/opt/my saver//Plaidwick.chm#xchm:/Support.htm" ] ||
  fail "the viewer got: $(cat "$E2E_DIR/viewer-args" 2>/dev/null)"
viewer=$(cat "$E2E_DIR/viewer-pid" 2>/dev/null)
[ -n "$viewer" ] && kill -0 "$viewer" 2>/dev/null || fail "the help viewer is not running"
wait_exit "$dialog" 0
[ "$exit_code" = running ] || fail "Help ended the dialog"
click "$cancel_button"
wait_exit "$dialog" 5
sleep 0.3
! kill -0 "$viewer" 2>/dev/null || fail "the help viewer outlived the dialog"

# No stored settings: the dialog shows the defaults and writes only the install path.
rm -rf "$XDG_CONFIG_HOME"
open_dialog
import -window root "$E2E_DIR/dialog.png"
click "$cancel_button"
wait_exit "$dialog" 5
[ "$(store_get 'Install Path')" != "<missing>" ] || fail "the install path was not written"
[ "$(grep -c '^Tartan' "$settings")" = 0 ] || fail "opening the dialog wrote settings: $(cat "$settings")"
echo "dialog: all checks passed"
