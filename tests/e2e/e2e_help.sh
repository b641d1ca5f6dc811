#!/usr/bin/env bash
# The dialog's Help button with the built help file and the platform's real
# viewer: on Linux xchm, whose page must be Support.htm (the same pixels as
# xchm started on that topic by hand, not those of another topic); under Wine
# the HTML Help window, named after the help file. The viewer ends with the
# dialog. (Wine here has no HTML engine: its help window's page stays blank.)
# Usage: e2e_help.sh SIDE PROGRAM Plaidwick.chm
set -uo pipefail
. "$1"
program=$2
chm=$3
E2E_SCREEN=1024x768 e2e_setup help
[ -f "$chm" ] || fail "no help file $chm"
export HOME="$E2E_DIR"  # the viewer's own settings stay in the run's folder

# The help file in a folder whose name has a space, as the install path.
folder="$E2E_DIR/my help"
mkdir -p "$folder"
cp "$chm" "$folder/Plaidwick.chm"

# wait_gone WINDOW: the window ends within 10 seconds.
wait_gone() {
  for _ in $(seq 100); do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

if [ "$E2E_BUILD" = linux ]; then
  viewer_title="xCHM.*: Plaidwick ScreenSaver Help"
  # page WINDOW FILE: the viewer's page area (right of its contents panel,
  # below its tabs) as a picture, with the pointer out of the way.
  page() {
    xdotool mousemove 1020 760
    sleep 1.5
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "$((WIDTH * 55 / 100))x$((HEIGHT * 45 / 100))+$((X + WIDTH * 40 / 100))+$((Y + HEIGHT * 40 / 100))" "$2"
  }
  # by_hand TOPIC FILE: xchm started on the topic; its page area.
  by_hand() {
    xchm "file:$folder/Plaidwick.chm#xchm:/$1" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    local id
    id=$(wait_window "$viewer_title")
    [ -n "$id" ] || fail "xchm did not open $1"
    page "$id" "$2"
    kill "${E2E_PIDS[-1]}"
    wait_gone "$id" || fail "xchm did not end"
  }
  by_hand Support.htm "$E2E_DIR/support.png"
  by_hand About.htm "$E2E_DIR/about.png"
  store_set "Install Path" "$folder/"
else
  viewer_title="Plaidwick ScreenSaver Help"
  note "with no help file in the install folder Help opens no window and the dialog carries on"
  store_set "Install Path" 'C:\nowhere\'
  open_dialog
  windows_before=$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)
  click 345 280
  sleep 2
  [ "$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)" = "$windows_before" ] ||
    fail "Help without a help file opened a window"
  expect_exit "$dialog" 0 running "Help"
  button Cancel
  store_set "Install Path" "$(wine_run winepath -w "$folder" 2>/dev/null | tr -d '\r')\\"
fi

note "Help opens the help file from the install path at Support.htm; the dialog carries on"
open_dialog
click 345 280
viewer=$(wait_window "$viewer_title")
[ -n "$viewer" ] || fail "no help window \"$viewer_title\" opened"
expect_exit "$dialog" 0 running "Help"
if [ "$E2E_BUILD" = linux ]; then
  page "$viewer" "$E2E_DIR/help.png"
  [ "$(convert "$E2E_DIR/help.png" -format %k info:)" -gt 2 ] || fail "the help page is blank"
  differing() { compare -metric AE "$1" "$2" null: 2>&1; }
  [ "$(differing "$E2E_DIR/help.png" "$E2E_DIR/support.png")" = 0 ] || fail "the help page is not Support.htm's"
  [ "$(differing "$E2E_DIR/help.png" "$E2E_DIR/about.png")" != 0 ] || fail "Support.htm and About.htm look alike"
fi
[ -n "${E2E_SCREENSHOTS:-}" ] && import -window root "$E2E_SCREENSHOTS/help-$E2E_BUILD.png"
xdotool windowmove "$viewer" 700 650  # off the dialog's buttons
sleep 0.5
button Cancel
wait_gone "$viewer" || fail "the help window outlived the dialog"
echo "help: all checks passed"
