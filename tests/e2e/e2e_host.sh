#!/usr/bin/env bash
# The Linux program as XScreenSaver's display mode: the real xscreensaver,
# with a private HOME that lists `plaidwick --root` as its only mode, starts
# it on -activate and ends it on -deactivate; a preview window made here is
# filled by `plaidwick --window-id`, which ends on SIGTERM or when its window
# goes away. XScreenSaver will not run display modes as root, so as root both
# run as the user nobody, from a copy of the program in a folder it can read.
# Usage: e2e_host.sh LIB PROGRAM TILE_TOOL X_WINDOW
set -uo pipefail
. "$1"
x_window=$4
E2E_SCREEN=1024x768 e2e_setup host
make_tile "$3" || fail "no woven tile for record 0"

home="$E2E_DIR/home" program="$E2E_DIR/home/bin/plaidwick"
mkdir -p "$home/bin" && cp "$2" "$program"
export XDG_CONFIG_HOME="$home/config"
store_set "Tartan Order" 0 "Tartan Info" 0 "Tartan Zoom" 3 "Tartan Delay" 60
cat >"$home/.xscreensaver" <<EOF
mode:		one
selected:	0
timeout:	1:00:00
cycle:		0
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
programs:	$program --root \\n
EOF
as_user=()
if [ "$(id -u)" = 0 ]; then
  chmod 755 "$E2E_DIR"
  chown -R nobody "$home"
  as_user=(runuser -u nobody --)
fi
# Runs a command as the unprivileged user, with the private HOME and store.
run_as_user() { "${as_user[@]}" env HOME="$home" XDG_CONFIG_HOME="$XDG_CONFIG_HOME" DISPLAY="$DISPLAY" "$@"; }
plaidwick_pids() { pgrep -f "^$program" | tr '\n' ' '; }

note "xscreensaver -activate runs plaidwick --root: record 0 tiled over the screen at the stored zoom"
run_as_user xscreensaver --no-splash >"$E2E_DIR/xscreensaver.log" 2>&1 &
E2E_PIDS+=($!)
poll 30 run_as_user xscreensaver-command -time >/dev/null 2>&1 || fail "xscreensaver did not start: $(cat "$E2E_DIR/xscreensaver.log")"
run_as_user xscreensaver-command -activate >/dev/null || fail "xscreensaver did not take -activate"
poll 10 eval '[ -n "$(plaidwick_pids)" ]' || fail "xscreensaver did not start plaidwick: $(cat "$E2E_DIR/xscreensaver.log")"
poll 5 eval '[ "$(pixel_at 0 0)" != 0,0,0 ]'
sleep 0.5
check_screen tiling activated 3

note "xscreensaver -deactivate ends it within a second"
pids=$(plaidwick_pids)
run_as_user xscreensaver-command -deactivate >/dev/null || fail "xscreensaver did not take -deactivate"
poll 1 eval '[ -z "$(plaidwick_pids)" ]' || fail "plaidwick ($pids) still runs a second after -deactivate"
run_as_user xscreensaver-command -exit >/dev/null 2>&1
[ "$(store_get "Tartan Zoom")" = 3 ] || fail "the stored zoom changed"

note "a 320 by 240 preview: --window-id fills it at the zoom of plaidwick.xml's option, not written back; SIGTERM ends it"
run_program "$x_window" 320 240
window_keeper=$E2E_LAST_PID
poll 5 test -s "$E2E_DIR/program.out"
window=$(cat "$E2E_DIR/program.out")
# The zoom option as the host's settings program writes it from plaidwick.xml.
zoom_option=$(python3 -c 'import sys, xml.etree.ElementTree as T
print(next(n.get("arg") for n in T.parse(sys.argv[1]).iter("number") if n.get("id") == "zoom"))' \
  "$(dirname "${BASH_SOURCE[0]}")/../../packaging/plaidwick.xml") || fail "plaidwick.xml has no zoom"
# shellcheck disable=SC2086
run_program run_as_user "$program" --window-id "$window" ${zoom_option/\%/2}
preview=$E2E_LAST_PID
sleep 1
import -window "$window" "$E2E_DIR/preview.png"
[ "$(identify -format %wx%h "$E2E_DIR/preview.png")" = 320x240 ] || fail "the preview is not 320x240"
check_screen tiling preview 2
[ "$(store_get "Tartan Zoom")" = 3 ] || fail "--zoom was written back"
kill -TERM "$(plaidwick_pids)"
expect_exit "$preview" 1 0 "SIGTERM"

note "the preview's window destroyed: plaidwick ends with code 0"
run_program run_as_user "$program" --window-id "$window"
preview=$E2E_LAST_PID
sleep 1
kill "$window_keeper"  # its window goes with its connection
expect_exit "$preview" 2 0 "the window destroyed"

note "an id that names no window: plaidwick ends with code 0"
run_as_user "$program" --window-id 0x7fffff1 &
expect_exit $! 5 0 "no such window"
[ -z "$(plaidwick_pids)" ] || fail "plaidwick processes left: $(plaidwick_pids)"
echo "host: all checks passed"
