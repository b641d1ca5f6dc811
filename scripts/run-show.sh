#!/usr/bin/env bash
# Builds the Linux program and runs the show. On a display it runs until the
# pointer moves; without one it runs on a virtual display for a few seconds,
# saves a screenshot and ends the show by moving the pointer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh show
# The tests and the help file need packages the show does not: configure them
# only when those are present.
tests=OFF help=OFF
[ -d /usr/src/googletest ] && tests=ON
command -v chmcmd >/dev/null && help=ON
cmake --preset linux -DPLAIDWICK_TESTS=$tests -DPLAIDWICK_HELP=$help >/dev/null
cmake --build --preset linux --target plaidwick >/dev/null
program=build/linux/plaidwick

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Running the show on $DISPLAY; move the mouse to end it."
  exec "$program" /s
fi

shot="${PLAIDWICK_SCREENSHOT:-$PWD/build/show-screenshot.png}"
exec 3>&1
displayfile=$(mktemp)
Xvfb -displayfd 4 -screen 0 1280x1024x24 4>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$displayfile")"

echo "No display: running the show on the virtual display $DISPLAY for a few seconds."
xdotool mousemove 640 512
"$program" /s &
show=$!
sleep "${PLAIDWICK_SECONDS:-4}"
import -window root "$shot"
xdotool mousemove 10 10
wait $show
echo "The show ended with exit code $? when the pointer moved."
echo "Screenshot: $shot"
