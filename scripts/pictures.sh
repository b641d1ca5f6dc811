#!/usr/bin/env bash
# Makes the pictures of the help file and the README from the real programs
# on a private virtual display: the settings dialog's two tabs and each of its
# settings (help/pictures/, shown by the README too), the show and part of
# the catalogue sheet (docs/). Needs the linux preset built; run it again
# when what they show changes.
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/linux/plaidwick
catalogue=build/linux/tools/catalogue/plaidwick-catalogue
[ -x "$program" ] && [ -x "$catalogue" ] || { echo "build the linux preset first" >&2; exit 1; }

. tests/e2e/common.sh
E2E_DIR=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}" $E2E_XVFB; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$E2E_DIR"' EXIT
E2E_SCREEN=800x600 start_display
export XDG_CONFIG_HOME="$E2E_DIR/config"
mkdir -p "$XDG_CONFIG_HOME/plaidwick" help/pictures docs

# The show: the first tartan of the catalogue at zoom 3 with its name, ended
# by moving the pointer.
settings() {
  printf '[Software\\Plaidwick ScreenSaver]\nTartan Order=%s\nTartan Info=1\nTartan Zoom=%s\nTartan Delay=%s\n' "$@" \
    >"$XDG_CONFIG_HOME/plaidwick/settings.ini"
}
settings 0 3 60
xdotool mousemove 400 300
"$program" /s &
pids+=($!)
sleep 3
import -window root docs/show.png
xdotool mousemove 10 10
wait "${pids[-1]}" || fail "the show did not end"

# The first 24 tartans of the catalogue tool's sheet.
"$catalogue" sheet --range 0-23 --columns 8 -o docs/catalogue-sheet.png

# The dialog (random order, names, zoom 4, delay 10); its window is captured
# without a frame (the virtual display runs no window manager).
settings 1 4 10
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
# Without ImageMagick's time stamps a picture changes only when what it shows does.
mogrify -strip -define png:exclude-chunk=date,time help/pictures/*.png docs/show.png
echo "Pictures written to help/pictures/ and docs/"
