#!/usr/bin/env bash
# The real Plaidwick.scr under Wine, driven from outside: the picture pixel for
# pixel against the woven tile, the name in the corner, the end by a pointer
# move, the defaults written back, and the modes that do nothing.
# Usage: e2e_show.sh PLAIDWICK.SCR EXPECTED_TILE.EXE
set -uo pipefail
. "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
program=$1
e2e_setup show
wine_run "$2" 0 >"$E2E_DIR/tile0.ppm" 2>/dev/null || fail "no woven tile for record 0"

# Starts the show with the pointer at the centre and waits until the first
# picture is up (the top-left pixel leaves the black fill and holds still).
start_show() {
  xdotool mousemove 512 384
  sleep 0.2
  start_program "$program" /s
  show=$E2E_LAST_PID
  local previous="" now
  for _ in $(seq 100); do
    sleep 0.2
    now=$(pixel_at 0 0)
    [ -n "$now" ] && [ "$now" != "0,0,0" ] && [ "$now" = "$previous" ] && break
    previous=$now
  done
  sleep 1
}

end_show() {
  xdotool mousemove 10 10
  expect_exit "$show" 10 0 "$1: a pointer move"
}

# expect_tiling NAME ZOOM [BOX]: the screen is record 0 tiled at ZOOM, outside the top-right BOX.
expect_tiling() {
  import -window root "$E2E_DIR/$1.png"
  [ -n "${E2E_SCREENSHOTS:-}" ] && cp "$E2E_DIR/$1.png" "$E2E_SCREENSHOTS/show-$1.png"
  python3 "$E2E_HERE/../e2e/compare_screen.py" tiling "$E2E_DIR/$1.png" "$E2E_DIR/tile0.ppm" "$2" \
    --skip-top-right "${3:-0x0}" || fail "$1: the screen is not record 0 tiled at zoom $2"
}

note "first show with only Tartan Order stored: the other defaults are written back"
reg_clear
reg_set "Tartan Order" 0
start_show
end_show "defaults"
expect_stored 0 1 1 1
folder=$(wine_run winepath -w "$(dirname "$(readlink -f "$program")")" 2>/dev/null | tr -d '\r')
[ "$(reg_get "Install Path")" = "$folder\\" ] || fail "Install Path is \"$(reg_get "Install Path")\""

note "names off, zoom 3: record 0 tiled; holding it costs little processor time"
reg_set "Tartan Info" 0 "Tartan Zoom" 3 "Tartan Delay" 60
start_show
expect_tiling zoom3 3
program_pid=$(pgrep -P "$show" | head -n 1)
grep -q 'Plaidwick.scr' "/proc/${program_pid:-0}/cmdline" 2>/dev/null || fail "the show's process was not found"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$program_pid/stat"; }
before=$(cpu_ticks)
sleep 2
used=$(($(cpu_ticks) - before)) hz=$(getconf CLK_TCK)
[ "$used" -lt $((hz / 2)) ] || fail "holding a picture used $used of $((2 * hz)) ticks"
note "keys and clicks do not end the show"
xdotool key space
xdotool click 1
sleep 0.5
expect_exit "$show" 0 running "a key or a click"
end_show "zoom 3"

note "names on, zoom 1: Abercrombie D flush with the top-right corner, the rest tiled"
reg_set "Tartan Info" 1 "Tartan Zoom" 1
start_show
expect_tiling named 1 300x40
python3 "$E2E_HERE/../e2e/compare_screen.py" name "$E2E_DIR/named.png" "$E2E_DIR/tile0.ppm" 1 ||
  fail "no black-on-white name flush with the top-right corner"
end_show "named"

note "a stored zoom of 0 is shown as zoom 1"
reg_set "Tartan Info" 0 "Tartan Zoom" 0
start_show
expect_tiling zoom0 1
end_show "zoom 0"

note "preview, password and no switch end at once with code 0 and leave no window"
for args in "/p 1234" "/a" ""; do
  # shellcheck disable=SC2086
  start_program "$program" $args
  expect_exit "$E2E_LAST_PID" 15 0 "\"$args\""
done
xdotool search --name . 2>/dev/null | xargs -r -n1 xdotool getwindowname 2>/dev/null | grep -qi plaidwick &&
  fail "a do-nothing mode left a window"
echo "PASS"
