#!/usr/bin/env bash
# The real show of either build, driven from outside: the picture pixel for
# pixel against the woven tile, the name in the corner, what ends the show and
# what does not, the defaults written back, and the switches that do nothing.
# Usage: e2e_show.sh SIDE PROGRAM TILE_TOOL
#   SIDE: tests/e2e/lib.sh (the Linux program) or tests/win32/e2e_lib.sh
#      (Plaidwick.scr under Wine); TILE_TOOL: plaidwick-catalogue for this machine
set -uo pipefail
. "$1"
program=$2
E2E_SCREEN=1024x768 e2e_setup show
make_tile "$3" || fail "no woven tile for record 0"

# Starts the show (or host mode: $1) with the pointer at the centre and waits
# until the first picture is up (the top-left pixel leaves the black fill and
# holds still).
start_show() {
  xdotool mousemove 512 384 sleep 0.2
  run_program "$program" "${1:-/s}"
  show=$E2E_LAST_PID
  local last= now
  held() { now=$(pixel_at 0 0); [ "$now" = "$last" ] && [ "${now:-0,0,0}" != 0,0,0 ] || { last=$now; false; }; }
  poll 20 held
  sleep 0.5
}

end_show() {
  xdotool mousemove 10 10
  expect_exit "$show" 10 0 "$1: a pointer move"
}

note "only Tartan Order stored: the show writes the other defaults back"
store_clear
store_set "Tartan Order" 0
start_show
end_show "defaults"
expect_stored 0 1 1 1
[ "$(store_get "Install Path")" = "$(expected_install_path)" ] || fail "Install Path is \"$(store_get "Install Path")\""

note "names off, zoom 3: record 0 tiled; holding it costs little processor time; keys and clicks do not end it"
store_set "Tartan Info" 0 "Tartan Zoom" 3 "Tartan Delay" 60
start_show
check_screen tiling zoom3 3
cpu_ticks() { awk '{print $14 + $15}' "/proc/$show/stat"; }
before=$(cpu_ticks)
sleep 2
used=$(($(cpu_ticks) - before)) hz=$(getconf CLK_TCK)
[ "$used" -lt $((hz / 2)) ] || fail "holding a picture used $used of $((2 * hz)) ticks"
xdotool key space click 1
sleep 0.5
expect_exit "$show" 0 running "a key or a click"
end_show "zoom 3"

note "names off, zoom 10: the part of the tile that shows, the last copy cut"
store_set "Tartan Zoom" 10
start_show
check_screen tiling zoom10 10
end_show "zoom 10"

note "names on, zoom 1: the name flush with the top-right corner, the rest tiled"
store_set "Tartan Info" 1 "Tartan Zoom" 1
start_show
check_screen tiling named 1 300x40
check_screen name named 1
end_show "named"

note "a hand-edited zoom of 70000 (4464 in 16 bits): the top-left crossing's colour over the whole screen"
store_set "Tartan Info" 0 "Tartan Zoom" 70000
start_show
colours=$(screen_colours)
[ "$colours" = 1 ] || fail "zoom 70000 shows $colours colours, not one"
end_show "zoom 70000"

note "preview, password, no switch and unknown switches end at once with code 0 and leave no window"
for args in "/p 1234" /a "" /x -P; do
  # shellcheck disable=SC2086
  run_program "$program" $args
  expect_exit "$E2E_LAST_PID" 15 0 "\"$args\""
done
xdotool search --name . 2>/dev/null | xargs -r -n1 xdotool getwindowname 2>/dev/null | grep -qi plaidwick &&
  fail "a do-nothing mode left a window"

if [ "$E2E_BUILD" = linux ]; then
  note "SIGTERM ends the show with code 0"
  start_show && kill -TERM "$show"
  expect_exit "$show" 10 0 "SIGTERM"

  note "without a display, or when it goes away, the show, the dialog and host mode end with code 0"
  for switch in /s /c --root; do
    DISPLAY=:65000 run_program "$program" $switch
    expect_exit "$E2E_LAST_PID" 5 0 "$switch without a display"
    kill "$E2E_XVFB" && wait "$E2E_XVFB" 2>/dev/null
    start_display
    if [ $switch = /c ]; then run_program "$program" /c && wait_window "Plaidwick ScreenSaver 1.0" >/dev/null; else start_show $switch; fi
    kill "$E2E_XVFB"
    expect_exit "$E2E_LAST_PID" 10 0 "$switch when the display is lost"
  done
fi
echo "show: all checks passed"
