# Shared helpers of the end-to-end scripts: a private X display, a private
# settings store, and waiting on the real program.

e2e_setup() {
  E2E_DIR=$(mktemp -d)
  export XDG_CONFIG_HOME="$E2E_DIR/config"
  E2E_PIDS=()
  trap e2e_cleanup EXIT
  local displayfile="$E2E_DIR/display"
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-800x600}x24" -nolisten tcp 3>"$displayfile" 2>/dev/null &
  E2E_PIDS+=($!)
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
  [ -s "$displayfile" ] || fail "Xvfb did not start"
  export DISPLAY=":$(cat "$displayfile")"
}

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$E2E_DIR"
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
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

# Waits up to $2 seconds for process $1, a child of this shell, to end; sets
# $exit_code to its exit code, or to "running" when it has not ended.
wait_exit() {
  local pid=$1 tries=$(($2 * 20))
  while kill -0 "$pid" 2>/dev/null && [ $tries -gt 0 ]; do
    sleep 0.05
    tries=$((tries - 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    exit_code=running
    return
  fi
  wait "$pid"
  exit_code=$?
}

# Waits (up to 30 s, for a loaded machine) for a window with this exact
# title; prints its id.
wait_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
}

# The colour of one screen pixel as "r,g,b".
pixel_at() {
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}
