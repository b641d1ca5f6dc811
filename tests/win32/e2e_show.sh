#!/usr/bin/env bash
# The real Plaidwick.scr under Wine, driven from outside: the show's picture
# pixel for pixel against the woven tile, the name in the corner, the end by
# a pointer move, the defaults written back, and the modes that do nothing.
# Usage: e2e_show.sh PLAIDWICK.SCR EXPECTED_TILE.EXE
set -uo pipefail
. "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
program=$1
tile_tool=$2
compare="$E2E_HERE/../e2e/compare_screen.py"
e2e_setup show

# The woven tile of record $1, unscaled, as a PPM file; prints its path.
woven_tile() {
  local out="$E2E_DIR/tile$1.ppm"
  [ -s "$out" ] || wine_run "$tile_tool" "$1" >"$out" 2>/dev/null || fail "no tile for record $1"
  echo "$out"
}

# Starts the show with the pointer at the centre and waits until the first
# picture is up (the top-left pixel leaves the black fill and holds still).
start_show() {
  xdotool mousemove 512 384
  sleep 0.2
  start_program "$program" /s
  local previous="" now
  for _ in $(seq 100); do
    sleep 0.2
    now=$(pixel_at 0 0)
    [ -n "$now" ] && [ "$now" != "0,0,0" ] && [ "$now" = "$previous" ] && break
    previous=$now
  done
  sleep 1
}

# $1: screenshot name; the record-0 tiling at zoom $2, skipping box $3.
expect_tiling() {
  import -window root "$E2E_DIR/$1.png"
  [ -n "${E2E_SCREENSHOTS:-}" ] && cp "$E2E_DIR/$1.png" "$E2E_SCREENSHOTS/show-$1.png"
  python3 "$compare" tiling "$E2E_DIR/$1.png" "$(woven_tile 0)" "$2" --skip-top-right "${3:-0x0}" ||
    fail "$1: the screen is not record 0 tiled at zoom $2"
}

note "first show with no stored settings: the defaults are written back"
reg_clear
reg_set "Tartan Order" 0   # so the picture is known; the other four are missing
start_show
show=$E2E_LAST_PID
xdotool mousemove 20 20
wait_exit "$show" 10
[ "$exit_code" = 0 ] || fail "the show did not end with code 0 after a pointer move (got $exit_code)"
for name in "Tartan Info" "Tartan Zoom" "Tartan Delay"; do
  [ "$(reg_get "$name")" = 1 ] || fail "default of $name not written back (got $(reg_get "$name"))"
done
[ "$(reg_get "Tartan Order")" = 0 ] || fail "the show rewrote a stored value"
folder=$(wine_run winepath -w "$(dirname "$(readlink -f "$program")")" 2>/dev/null | tr -d '\r')
[ "$(reg_get "Install Path")" = "$folder\\" ] ||
  fail "Install Path is \"$(reg_get "Install Path")\", not \"$folder\\\""

note "catalogue order, names off, zoom 3: record 0 tiled pixel for pixel"
reg_set "Tartan Info" 0
reg_set "Tartan Zoom" 3
reg_set "Tartan Delay" 60
start_show
show=$E2E_LAST_PID
expect_tiling zoom3 3
note "holding a picture costs little processor time (the pointer is polled every few milliseconds)"
program_pid=$(pgrep -P "$show" | head -n 1)
[ -n "$program_pid" ] && tr '\0' ' ' <"/proc/$program_pid/cmdline" | grep -q 'Plaidwick.scr' ||
  fail "the show's process was not found"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$program_pid/stat"; }
before=$(cpu_ticks)
sleep 2
used=$(($(cpu_ticks) - before))
hz=$(getconf CLK_TCK)
echo "processor time over 2 s of holding: $used ticks of $((2 * hz))"
[ "$used" -lt $((2 * hz / 4)) ] || fail "holding a picture used $used of $((2 * hz)) ticks"

note "keys and clicks do not end the show; a pointer move does, with code 0"
xdotool key space
xdotool click 1
sleep 0.5
wait_exit "$show" 0
[ "$exit_code" = running ] || fail "a key or a click ended the show"
xdotool mousemove 10 10
wait_exit "$show" 10
[ "$exit_code" = 0 ] || fail "the show did not end with code 0 after a pointer move (got $exit_code)"

note "names on, zoom 1: Abercrombie D in the top-right corner, the rest tiled"
reg_set "Tartan Info" 1
reg_set "Tartan Zoom" 1
start_show
show=$E2E_LAST_PID
expect_tiling named 1 300x40
python3 "$compare" name "$E2E_DIR/named.png" "$(woven_tile 0)" 1 ||
  fail "no black-on-white name flush with the top-right corner"
xdotool mousemove 10 10
wait_exit "$show" 10
[ "$exit_code" = 0 ] || fail "the named show did not end with code 0 (got $exit_code)"

note "a stored zoom of 0 is shown as zoom 1"
reg_set "Tartan Info" 0
reg_set "Tartan Zoom" 0
start_show
show=$E2E_LAST_PID
expect_tiling zoom0 1
xdotool mousemove 10 10
wait_exit "$show" 10
[ "$exit_code" = 0 ] || fail "the zoom-0 show did not end with code 0 (got $exit_code)"

note "the preview and password switches end at once with code 0"
for args in "/p 1234" "/a" "" "/x"; do
  # shellcheck disable=SC2086
  start_program "$program" $args
  wait_exit "$E2E_LAST_PID" 15
  [ "$exit_code" = 0 ] || fail "\"$args\" did not end with code 0 (got $exit_code)"
done
[ -z "$(xdotool search --name . 2>/dev/null | xargs -r -n1 xdotool getwindowname 2>/dev/null | grep -i plaidwick)" ] ||
  fail "a do-nothing mode left a window"
echo "PASS"
