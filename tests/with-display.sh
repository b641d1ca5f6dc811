#!/bin/sh
# Runs a command on a private virtual X display: starts Xvfb on a free display
# number, runs the command with DISPLAY set, stops that Xvfb again and exits
# with the command's exit code.
# Usage: tests/with-display.sh COMMAND [ARGUMENT...]
set -u

if [ "$#" -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi

workdir=$(mktemp -d "${TMPDIR:-/tmp}/with-display.XXXXXX") || exit 1
displayfile="$workdir/display"

# Xvfb writes the display number it chose to descriptor 3 once it is ready.
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp \
    3>"$displayfile" >"$workdir/xvfb.log" 2>&1 &
xvfb=$!

stop_xvfb() {
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    rm -rf "$workdir"
}
trap 'stop_xvfb; exit 130' INT TERM

tries=0
while [ ! -s "$displayfile" ]; do
    if ! kill -0 "$xvfb" 2>/dev/null || [ "$tries" -ge 100 ]; then
        echo "with-display.sh: Xvfb did not start" >&2
        cat "$workdir/xvfb.log" >&2
        stop_xvfb
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
done

DISPLAY=":$(head -n 1 "$displayfile")"
export DISPLAY
"$@"
status=$?
stop_xvfb
exit "$status"
