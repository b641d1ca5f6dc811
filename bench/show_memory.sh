#!/usr/bin/env bash
# Peak memory of a real show at zoom 10 with no delay, which passes through
# the whole catalogue every few seconds: resident memory in the first and in
# the second half of the run, each against the size of one screen buffer.
# Usage: show_memory.sh PLAIDWICK [SECONDS]
set -uo pipefail
here=$(cd "$(dirname "$0")/../tests/e2e" && pwd)
. "$here/lib.sh"
program=$1
seconds=${2:-20}
E2E_SCREEN=1920x1080
e2e_setup
# Baseline: the same program holding its first picture at zoom 1.
store_set "Tartan Order" 0 "Tartan Info" 1 "Tartan Zoom" 1 "Tartan Delay" 60
xdotool mousemove 100 100
"$program" /s >/dev/null 2>&1 &
show=$!
E2E_PIDS+=($show)
sleep 2
base=$(awk '/^VmRSS/ {print $2}' /proc/$show/status)
xdotool mousemove 10 10
wait_exit "$show" 5

store_set "Tartan Zoom" 10 "Tartan Delay" 0
xdotool mousemove 100 100
"$program" /s >/dev/null 2>&1 &
show=$!
E2E_PIDS+=($show)

half=$((seconds * 5))
first=0
second=0
for i in $(seq $((seconds * 10))); do
  sleep 0.1
  rss=$(awk '/^VmRSS/ {print $2}' /proc/$show/status 2>/dev/null) || break
  if [ "$i" -le "$half" ]; then
    [ "$rss" -gt "$first" ] && first=$rss
  else
    [ "$rss" -gt "$second" ] && second=$rss
  fi
done
hwm=$(awk '/^VmHWM/ {print $2}' /proc/$show/status)
xdotool mousemove 10 10
wait_exit "$show" 5

screen_kib=$((1920 * 1080 * 4 / 1024))
awk -v a="$first" -v b="$second" -v h="$hwm" -v s="$screen_kib" -v z="$base" 'BEGIN {
  printf "one screen buffer: %d KiB; baseline (one picture at zoom 1): %d KiB\n", s, z
  printf "peak above baseline, first half:  %d KiB = %.2f screen buffers\n", a - z, (a - z) / s
  printf "peak above baseline, second half: %d KiB = %.2f screen buffers\n", b - z, (b - z) / s
  printf "high-water mark above baseline: %.2f screen buffers; second half / first half: %.2f\n", (h - z) / s, b / a
}'
echo "show exit code after the pointer moved: $exit_code"
