#!/usr/bin/env bash
# The dialog's Help button with the built help file and the platform's real
# viewer: on Linux xchm, whose page must be Support.htm (the same pixels as
# xchm started on that topic by hand, not those of About.htm); under Wine the
# HTML Help window, named after the help file. The viewer ends with the
# dialog. (Wine here has no HTML engine: its help window's page stays blank.)
# Usage: e2e_help.sh SIDE PROGRAM Plaidwick.chm
set -uo pipefail
. "$1"
program=$2
E2E_SCREEN=1024x768 e2e_setup help
export HOME="$E2E_DIR"  # the viewer's own settings stay in the run's folder
folder="$E2E_DIR/my help"  # the install path, with a space
mkdir -p "$folder" && cp "$3" "$folder/Plaidwick.chm" || fail "no help file $3"

# gone WINDOW: the window ends within 10 seconds.
gone() { poll 10 eval "! xdotool getwindowname $1 >/dev/null 2>&1"; }
# page WINDOW NAME: xchm's page (right of its contents, below its tabs) as $E2E_DIR/NAME.png.
page() {
  xdotool mousemove 1020 760 sleep 1.5
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "$((WIDTH * 55 / 100))x$((HEIGHT * 45 / 100))+$((X + WIDTH * 2 / 5))+$((Y + HEIGHT * 2 / 5))" "$E2E_DIR/$2.png"
}

if [ "$E2E_BUILD" = linux ]; then
  title="xCHM.*: Plaidwick ScreenSaver Help"
  for topic in Support About; do
    run_program xchm "file:$folder/Plaidwick.chm#xchm:/$topic.htm"
    id=$(wait_window "$title") || fail "xchm did not open $topic.htm"
    page "$id" "$topic"
    kill "$E2E_LAST_PID" && gone "$id" || fail "xchm did not end"
  done
  store_set "Install Path" "$folder/"
else
  title="Plaidwick ScreenSaver Help"
  store_set "Install Path" "$(wine_run winepath -w "$folder" 2>/dev/null | tr -d '\r')\\"
fi

note "Help opens the help file from the install path at Support.htm; the dialog carries on"
open_dialog
click 345 280
viewer=$(wait_window "$title") || fail "no help window \"$title\" opened"
expect_exit "$dialog" 0 running "Help"
if [ "$E2E_BUILD" = linux ]; then
  page "$viewer" help
  differing() { compare -metric AE "$E2E_DIR/help.png" "$E2E_DIR/$1.png" null: 2>&1; }
  [ "$(differing Support)" = 0 ] || fail "the help page is not Support.htm's"
  [ "$(differing About)" != 0 ] || fail "Support.htm and About.htm look alike"
fi
[ -n "${E2E_SCREENSHOTS:-}" ] && import -window root "$E2E_SCREENSHOTS/help-$E2E_BUILD.png"
xdotool windowmove "$viewer" 700 650 sleep 0.5  # off the dialog's buttons
button Cancel
gone "$viewer" || fail "the help window outlived the dialog"

if [ "$E2E_BUILD" = linux ]; then
  note "SIGTERM, SIGINT and SIGHUP end the dialog with code 0, and its help viewer with it"
  for signal in TERM INT HUP; do
    open_dialog
    click 345 280
    viewer=$(wait_window "$title") || fail "no help window before SIG$signal"
    kill -$signal "$dialog"
    expect_exit "$dialog" 10 0 "SIG$signal"
    gone "$viewer" || fail "the help viewer outlived the dialog's SIG$signal"
  done
fi
echo "help: all checks passed"
