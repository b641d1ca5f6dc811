# The Linux program's side of the end-to-end scripts: a private X display and
# a private settings file. tests/win32/e2e_lib.sh is the same for Plaidwick.scr
# under Wine.

. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
E2E_BUILD=linux

# $1: a name for the run (unused here: every run has a settings folder of its own).
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

settings_file() { echo "$XDG_CONFIG_HOME/plaidwick/settings.ini"; }

store_clear() { rm -rf "$XDG_CONFIG_HOME"; }

# store_set NAME TEXT [NAME TEXT...]: lines of the settings file, as a user would write them.
store_set() {
  local file
  file=$(settings_file)
  mkdir -p "${file%/*}"
  [ -f "$file" ] || echo '[Software\Plaidwick ScreenSaver]' >"$file"
  while [ $# -ge 2 ]; do
    grep -v "^$1=" "$file" >"$file.new"
    echo "$1=$2" >>"$file.new"
    mv "$file.new" "$file"
    shift 2
  done
}

# store_get NAME: the value's text, or "<missing>".
store_get() {
  local file
  file=$(settings_file)
  grep -q "^$1=" "$file" 2>/dev/null || { echo "<missing>"; return; }
  sed -n "s/^$1=//p" "$file" | head -n 1
}

# Starts the program in the background; its pid goes to E2E_LAST_PID.
run_program() {
  "$@" >/dev/null 2>&1 &
  E2E_LAST_PID=$!
  E2E_PIDS+=("$E2E_LAST_PID")
}

# The process that runs the program started as $1.
program_pid() { echo "$1"; }

# make_tile TOOL: record 0's woven tile as a picture file, named in $tile.
make_tile() {
  tile="$E2E_DIR/tile0.png"
  "$1" tile 0 -o "$tile"
}

# What the show stores as its folder: the program's own.
expected_install_path() { echo "$(cd "$(dirname "$program")" && pwd -P)/"; }

# Asks the dialog's window to close, as a window manager's close box does.
request_close() { "$E2E_CLOSE_REQUEST" "$1"; }
