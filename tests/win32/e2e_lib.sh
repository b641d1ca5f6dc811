# Shared helpers of the Windows end-to-end scripts: a private X display, a
# Wine prefix of the script's own (so scripts run side by side do not share
# a registry), the real registry through Wine's reg command, and waiting on
# the real program.

E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_RUNNER="$E2E_HERE/wine-run.sh"
E2E_KEY='HKCU\Software\Plaidwick ScreenSaver'
. "$E2E_HERE/../e2e/common.sh"

note() { echo "-- $*"; }

# $1: a name for this script's prefix.
e2e_setup() {
  E2E_DIR=$(mktemp -d)
  E2E_PIDS=()
  E2E_XVFB=
  trap e2e_cleanup EXIT
  local base=${PLAIDWICK_WINEPREFIX:-${TMPDIR:-/tmp}/plaidwick-wine-$(id -u)}
  export PLAIDWICK_WINEPREFIX="$base-$1"
  export WINEPREFIX="$PLAIDWICK_WINEPREFIX"
  export WINEDEBUG=-all
  E2E_SCREEN=${E2E_SCREEN:-1024x768} start_display
  # Makes the prefix on first use (the runner initialises it under its lock).
  "$E2E_RUNNER" reg query 'HKCU\Software' >/dev/null 2>&1 || fail "Wine does not run"
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

# Runs a Windows program (or a Wine tool such as reg) in this script's prefix.
wine_run() { "$E2E_RUNNER" "$@"; }

reg_clear() { wine_run reg delete "$E2E_KEY" /f >/dev/null 2>&1; }

# reg_set NAME TEXT: a string value, as a user or an installer would write it.
reg_set() { wine_run reg add "$E2E_KEY" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1 || fail "reg add $1"; }

# reg_get NAME: the value's text, or "<missing>".
reg_get() {
  local line
  line=$(wine_run reg query "$E2E_KEY" /v "$1" 2>/dev/null | tr -d '\r' | grep -F "    $1    ")
  if [ -z "$line" ]; then
    echo "<missing>"
    return
  fi
  echo "$line" | sed -e "s/^    $1    REG_SZ    //" -e "s/^    $1    REG_SZ$//"
}

# Starts the program in the background; its runner's pid goes to E2E_LAST_PID.
start_program() {
  wine_run "$@" >"$E2E_DIR/program.out" 2>&1 &
  E2E_LAST_PID=$!
  E2E_PIDS+=("$E2E_LAST_PID")
}
