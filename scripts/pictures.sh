#!/usr/bin/env bash
# Makes the pictures of the help file from the real program on a private
# virtual display: the settings dialog's two tabs and each of its settings
# (help/pictures/). Needs the linux preset built; run it again when the
# dialog changes.
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/linux/plaidwick
catalogue=build/linux/tools/catalogue/plaidwick-catalogue
[ -x "$program" ] && [ -x "$catalogue" ] || { echo "build the linux preset first" >&2; exit 1; }

. tests/e2e/common.sh
E2E_DIR=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}" $E2E_XVFB; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$E2E_DIR"' EXIT
E2E_SCREEN=800x600 start_display
export XDG_CONFIG_HOME="$E2E_DIR/config"
mkdir -p "$XDG_CONFIG_HOME/plaidwick" help/pictures
cat >"$XDG_CONFIG_HOME/plaidwick/settings.ini" <<'INI'
[Software\Plaidwick ScreenSaver]
Tartan Order=1
Tartan Info=1
Tartan Zoom=4
Tartan Delay=10
INI

# The dialog with the settings above; its window is captured without a frame
# (the virtual display runs no window manager).
"$program" /c &
pids+=($!)
window=$(wait_window "Plaidwick ScreenSaver 1.0")
[ -n "$window" ] || fail "the dialog did not open"
sleep 1
import -window "$window" help/pictures/dialog-general.png
# Each setting's part of the General tab, in the window's coordinates.
crop() { convert help/pictures/dialog-general.png -crop "$2" +repage "help/pictures/$1.png"; }
crop setting-zoom 390x56+15+44
crop setting-delay 390x56+15+116
crop setting-boxes 320x34+90+200
crop setting-buttons 300x44+100+257
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 92)) $((Y + 26)) click 1
sleep 1
import -window "$window" help/pictures/dialog-about.png
kill "${pids[-1]}"
echo "Pictures written to help/pictures/"
