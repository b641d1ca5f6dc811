#!/usr/bin/env bash
# What a held picture costs, and how fast the show starts and ends: the real
# program on a private 1920x1080 Xvfb, a tartan held for a delay of 60 s.
# Prints the launch to the first picture, the processor time and wake-ups
# (system calls that wait) over SECONDS of holding, the resident memory, and
# the time from a pointer move to the end of the process; for the Linux
# program the same for host mode (--root, ended by SIGTERM).
# Usage: bench/hold.sh SIDE PROGRAM SHOW_TIMING [SECONDS]
#   SIDE: tests/e2e/lib.sh (build/linux/plaidwick) or tests/win32/e2e_lib.sh
#   (build/windows/Plaidwick.scr); SHOW_TIMING: build/linux/bench/show_timing
set -uo pipefail
. "$1"
program=$2 timing=$3 seconds=${4:-30}
E2E_SCREEN=1920x1080 e2e_setup hold
store_clear
store_set "Tartan Order" 0 "Tartan Info" 1 "Tartan Zoom" 1 "Tartan Delay" 60
runner=()
[ "$E2E_BUILD" = windows ] && runner=("$E2E_HERE/wine-run.sh")

# measure WHAT [--signal] ARGUMENTS...: one run of the program, measured.
measure() {
  local what=$1 out="$E2E_DIR/timing" pid ticks hz=$(getconf CLK_TCK)
  shift
  local flags=()
  [ "$1" = --signal ] && { flags=(--signal); shift; }
  "$timing" --hold $((seconds + 2)) "${flags[@]}" "${runner[@]}" "$program" "$@" >"$out" &
  local timer=$!
  for _ in $(seq 300); do grep -q first "$out" && break; sleep 0.1; done
  sleep 1
  pid=$(pgrep -f -n "$(basename "$program") $*")
  [ -n "$pid" ] || fail "$what: the program's process was not found"
  # Under Wine the server works for the program too: its time is counted apart.
  local server server_ticks=0
  server=$([ "$E2E_BUILD" = windows ] && pgrep -n wineserver)
  cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
  ticks=$(cpu "$pid")
  [ -n "$server" ] && server_ticks=$(cpu "$server")
  timeout -s INT "$seconds" strace -f -c -p "$pid" -o "$E2E_DIR/calls" 2>/dev/null
  ticks=$(($(cpu "$pid") - ticks))
  [ -n "$server" ] && server_ticks=$(($(cpu "$server") - server_ticks))
  echo "== $what"
  sed -n 1p "$out"
  awk -v t="$ticks" -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "processor time over %d s held: %d ticks = %.2f%% of one core\n", s, t, 100 * t / hz / s }'
  [ -n "$server" ] && awk -v t="$server_ticks" -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "wineserver meanwhile: %d ticks = %.2f%% of one core\n", t, 100 * t / hz / s }'
  awk -v s="$seconds" '$NF ~ /^(poll|ppoll|select|pselect6|epoll_wait|epoll_pwait|futex|nanosleep|clock_nanosleep)$/ \
      { n += $4; names = names " " $NF } END { printf "waiting system calls over %d s:%s: %d (%.1f a second)\n", s, names, n, n / s }' \
    "$E2E_DIR/calls"
  echo "resident memory: $(awk '/^VmRSS/ {print $2, $3}' "/proc/$pid/status")"
  wait "$timer"
  sed -n 2p "$out"
}

measure "the show (/s)" /s
[ "$E2E_BUILD" = linux ] && measure "host mode (--root)" --signal --root
exit 0
