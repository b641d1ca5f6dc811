# Shared helpers of the Windows end-to-end scripts: a private X display, a Wine
# prefix of the script's own (so scripts run side by side share no registry),
# and the real registry through Wine's reg command.

E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_KEY='HKCU\Software\Plaidwick ScreenSaver'
. "$E2E_HERE/../e2e/common.sh"

note() { echo "-- $*"; }

# Runs a Windows program (or a Wine tool such as reg) in this script's prefix.
wine_run() { "$E2E_HERE/wine-run.sh" "$@"; }

# $1: a name for this script's prefix.
e2e_setup() {
  E2E_DIR=$(mktemp -d)
  E2E_PIDS=()
  E2E_XVFB=
  trap e2e_cleanup EXIT
  export PLAIDWICK_WINEPREFIX="${PLAIDWICK_WINEPREFIX:-${TMPDIR:-/tmp}/plaidwick-wine-$(id -u)}-$1"
  export WINEPREFIX="$PLAIDWICK_WINEPREFIX" WINEDEBUG=-all
  E2E_SCREEN=${E2E_SCREEN:-1024x768} start_display
  # Makes the prefix on first use (the runner initialises it under its lock).
  wine_run reg query 'HKCU\Software' >/dev/null 2>&1 || fail "Wine does not run"
}

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  # Wine's processes of this prefix end while their display still exists.
  timeout 20 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null
  [ -n "$E2E_XVFB" ] && kill "$E2E_XVFB" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$E2E_DIR"
}

reg_clear() { wine_run reg delete "$E2E_KEY" /f >/dev/null 2>&1; }

# reg_set NAME TEXT [NAME TEXT...]: string values, as a user or an installer would write them.
reg_set() {
  while [ $# -ge 2 ]; do
    wine_run reg add "$E2E_KEY" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1 || fail "reg add $1"
    shift 2
  done
}

# reg_get NAME: the value's text, or "<missing>".
reg_get() {
  local line
  line=$(wine_run reg query "$E2E_KEY" /v "$1" 2>/dev/null | tr -d '\r' | grep -F "    $1    ") ||
    { echo "<missing>"; return; }
  echo "$line" | sed -e "s/^    $1    REG_SZ    //" -e "s/^    $1    REG_SZ$//"
}

# expect_stored ORDER INFO ZOOM DELAY: the four numbers in the registry.
expect_stored() {
  local got
  got="$(reg_get "Tartan Order") $(reg_get "Tartan Info") $(reg_get "Tartan Zoom") $(reg_get "Tartan Delay")"
  [ "$got" = "$*" ] || fail "stored order, info, zoom, delay are $got, not $*"
}

# Starts the program in the background; its runner's pid goes to E2E_LAST_PID.
start_program() {
  wine_run "$@" >"$E2E_DIR/program.out" 2>&1 &
  E2E_LAST_PID=$!
  E2E_PIDS+=("$E2E_LAST_PID")
}

# expect_exit PID SECONDS CODE WHAT: process PID ends with CODE ("running": has
# not ended) within SECONDS.
expect_exit() {
  wait_exit "$1" "$2"
  [ "$exit_code" = "$3" ] || fail "$4: expected exit $3, got $exit_code"
}
