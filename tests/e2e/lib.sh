# Helpers of the Linux end-to-end scripts: a private X display and a private
# settings store.

. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

e2e_setup() {
  E2E_DIR=$(mktemp -d)
  export XDG_CONFIG_HOME="$E2E_DIR/config"
  E2E_PIDS=()
  trap e2e_cleanup EXIT
  start_display
}

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}" $E2E_XVFB; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$E2E_DIR"
}

# Writes the settings file as a user would, one "Name=value" line per argument.
store_write() {
  mkdir -p "$XDG_CONFIG_HOME/plaidwick"
  {
    echo '[Software\Plaidwick ScreenSaver]'
    local line
    for line in "$@"; do echo "$line"; done
  } >"$XDG_CONFIG_HOME/plaidwick/settings.ini"
}

# The stored text of one value ("" when absent).
store_value() {
  sed -n "s/^$1=//p" "$XDG_CONFIG_HOME/plaidwick/settings.ini" 2>/dev/null | head -n 1
}
