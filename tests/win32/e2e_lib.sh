# Plaidwick.scr's side of the end-to-end scripts: a private X display, a Wine
# prefix of the script's own (so scripts run side by side share no registry),
# and the real registry through Wine's reg command. tests/e2e/lib.sh is the
# same for the Linux program.

E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_KEY='HKCU\Software\Plaidwick ScreenSaver'
. "$E2E_HERE/../e2e/common.sh"
E2E_BUILD=windows E2E_RUNNER=("$E2E_HERE/wine-run.sh")

# Runs a Windows program (or a Wine tool such as reg) in this script's prefix.
wine_run() { "${E2E_RUNNER[@]}" "$@"; }

# $1: a name for this script's prefix.
e2e_setup() {
  export PLAIDWICK_WINEPREFIX="${PLAIDWICK_WINEPREFIX:-${TMPDIR:-/tmp}/plaidwick-wine-$(id -u)}-$1"
  export WINEPREFIX="$PLAIDWICK_WINEPREFIX" WINEDEBUG=-all
  e2e_start
  # Makes the prefix on first use (the runner initialises it under its lock).
  wine_run reg query 'HKCU\Software' >/dev/null 2>&1 || fail "Wine does not run"
}

store_clear() { wine_run reg delete "$E2E_KEY" /f >/dev/null 2>&1; }

# store_set NAME TEXT [NAME TEXT...]: string values, as a user or an installer would write them.
# A reg add right after a show has ended failed once on a loaded machine
# (Wine's output was not kept): it is tried again after a second, and a second
# failure shows what reg printed.
store_set() {
  while [ $# -ge 2 ]; do
    wine_run reg add "$E2E_KEY" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1 || {
      sleep 1
      wine_run reg add "$E2E_KEY" /v "$1" /t REG_SZ /d "$2" /f >"$E2E_DIR/reg.out" 2>&1
    } || { cat "$E2E_DIR/reg.out"; fail "reg add $1"; }
    shift 2
  done
}

# value_in_listing NAME < LISTING: the data of NAME in a reg query listing,
# empty or not; fails when the listing has no such value.
value_in_listing() {
  local line
  line=$(tr -d '\r' | grep -m1 "^    $1    REG_") || return 1
  sed -e "s/^    $1    REG_[A-Z_]*    //" -e "s/^    $1    REG_[A-Z_]*\$//" <<<"$line"
}

# reg_value KEY NAME: the value's data; fails when there is no such value.
reg_value() { wine_run reg query "$1" /v "$2" 2>/dev/null | value_in_listing "$2"; }

# store_get NAME: the value's text, or "<missing>". The key is listed whole;
# a listing without the key's own line is asked for again (reg can fail to
# reach a wineserver that is just ending), and the retry is reported.
store_get() {
  local listing try
  for try in 1 2 3; do
    listing=$(wine_run reg query "$E2E_KEY" 2>/dev/null)
    grep -qF "HKEY_CURRENT_USER${E2E_KEY#HKCU}" <<<"$listing" && break
    [ $try = 3 ] || echo "store_get: no listing of the key, asking again" >&2
  done
  value_in_listing "$1" <<<"$listing" || echo "<missing>"
}

# What the show stores as its folder: the program's own, as Windows names it.
expected_install_path() {
  echo "$(wine_run winepath -w "$(dirname "$(readlink -f "$program")")" 2>/dev/null | tr -d '\r')\\"
}

# Asks the dialog's window to close: its close box (Wine draws the frame, at
# the window's top right, above the client area open_dialog found), then Alt+F4.
request_close() { xdotool mousemove $((X + WIDTH - border - 12)) $((Y + border + 9)) click 1 sleep 0.3 key alt+F4; }
