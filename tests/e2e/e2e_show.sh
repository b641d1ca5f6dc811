#!/usr/bin/env bash
# The show, driven from outside: tiling pixel for pixel, the name, the end.
# Usage: e2e_show.sh PLAIDWICK PLAIDWICK-CATALOGUE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
program=$1
catalogue=$2
compare="$here/compare_screen.py"
e2e_setup

# Starts the show with the pointer at the screen's centre and gives it time
# to put its first picture on screen; its pid is left in $show.
start_show() {
  xdotool mousemove 400 300
  "$program" /s >/dev/null 2>&1 &
  show=$!
  E2E_PIDS+=($show)
  sleep 1.5
}

# Catalogue order, names off: record 0 tiled from the top-left corner at zoom 3.
store_write "Tartan Order=0" "Tartan Info=0" "Tartan Zoom=3" "Tartan Delay=60"
start_show
import -window root "$E2E_DIR/show.png"
"$catalogue" tile 0 -o "$E2E_DIR/tile1.png" || fail "the catalogue tool made no tile"
python3 "$compare" tiling "$E2E_DIR/show.png" "$E2E_DIR/tile1.png" 3 ||
  fail "the show is not record 0 tiled at zoom 3"
[ "$(store_value 'Tartan Zoom')" = 3 ] || fail "the show changed a stored value"

# A key press or a click does not end the show; a pointer move does, with exit code 0.
xdotool key space click 1
sleep 0.3
wait_exit "$show" 0
[ "$exit_code" = running ] || fail "a key or click ended the show"
xdotool mousemove 10 10
wait_exit "$show" 5
[ "$exit_code" = 0 ] || fail "the show did not end with code 0 after a pointer move (got $exit_code)"

# Names on: "Abercrombie D" in black on white at the top right; the rest is tiled.
store_write "Tartan Order=0" "Tartan Info=1" "Tartan Zoom=1" "Tartan Delay=60"
start_show
import -window root "$E2E_DIR/named.png"
python3 "$compare" tiling "$E2E_DIR/named.png" "$E2E_DIR/tile1.png" 1 --skip-top-right 200x40 ||
  fail "names on: the picture outside the name's corner is not the tiled record 0"
python3 "$compare" name "$E2E_DIR/named.png" "$E2E_DIR/tile1.png" 1 ||
  fail "names on: no black-on-white name cell at the top right edge"
xdotool mousemove 20 20
wait_exit "$show" 5
[ "$exit_code" = 0 ] || fail "the named show did not end"

# A store written by no one: the show writes all five defaults back.
rm -rf "$XDG_CONFIG_HOME"
start_show
xdotool mousemove 30 30
wait_exit "$show" 5
[ "$exit_code" = 0 ] || fail "the show with an empty store did not end"
for name in "Tartan Order" "Tartan Info" "Tartan Zoom" "Tartan Delay"; do
  [ "$(store_value "$name")" = 1 ] || fail "default of $name not written back"
done
[ -n "$(store_value 'Install Path')" ] || fail "Install Path not written back"

# A hand-edited zoom of 70000 (4464 in 16 bits) paints the top-left crossing's
# colour over the whole screen without exhausting memory.
store_write "Tartan Order=0" "Tartan Info=0" "Tartan Zoom=70000" "Tartan Delay=60"
start_show
import -window root "$E2E_DIR/huge.png"
colours=$(convert "$E2E_DIR/huge.png" -unique-colors -depth 8 txt:- | tail -n +2 | wc -l)
[ "$colours" = 1 ] || fail "zoom 70000 shows $colours colours, not one"
[ "$(pixel_at 0 0)" != "0,0,0" ] || fail "zoom 70000 shows black"
xdotool mousemove 40 40
wait_exit "$show" 5
[ "$exit_code" = 0 ] || fail "the zoom 70000 show did not end"

# A hand-edited zoom of 0 counts as 1, so the tiling ends and shows the tile as woven.
store_write "Tartan Order=0" "Tartan Info=0" "Tartan Zoom=0" "Tartan Delay=60"
start_show
import -window root "$E2E_DIR/zoom0.png"
python3 "$compare" tiling "$E2E_DIR/zoom0.png" "$E2E_DIR/tile1.png" 1 ||
  fail "zoom 0 is not record 0 at zoom 1"
xdotool mousemove 50 50
wait_exit "$show" 5
[ "$exit_code" = 0 ] || fail "the zoom 0 show did not end"

# Without a display the show and the dialog end at once with exit code 0.
for switch in /s /c; do
  DISPLAY=:65000 "$program" $switch >/dev/null 2>&1 &
  pid=$!
  wait_exit $pid 5
  [ "$exit_code" = 0 ] || fail "$switch without a display ended with $exit_code"
done

# The other switches do nothing and end at once with exit code 0.
for switch in "/p 1234" /a "" /x -P; do
  "$program" $switch >/dev/null 2>&1 &
  pid=$!
  wait_exit $pid 5
  [ "$exit_code" = 0 ] || fail "switch '$switch' ended with $exit_code"
done
echo "show: all checks passed"
