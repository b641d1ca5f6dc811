# The Linux program's side of the end-to-end scripts: a private X display and
# a private settings file. tests/win32/e2e_lib.sh is the same for Plaidwick.scr
# under Wine.

. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
E2E_BUILD=linux E2E_RUNNER=()

# $1: a name for the run (unused here: every run has a settings folder of its own).
e2e_setup() { e2e_start && export XDG_CONFIG_HOME="$E2E_DIR/config"; }

settings_file() { echo "$XDG_CONFIG_HOME/plaidwick/settings.ini"; }

store_clear() { rm -rf "$XDG_CONFIG_HOME"; }

# store_set NAME TEXT [NAME TEXT...]: lines of the settings file, as a user would write them.
store_set() {
  local file
  file=$(settings_file)
  mkdir -p "${file%/*}"
  [ -f "$file" ] || echo '[Software\Plaidwick ScreenSaver]' >"$file"
  while [ $# -ge 2 ]; do
    sed -i "/^$1=/d" "$file" && echo "$1=$2" >>"$file"
    shift 2
  done
}

# store_get NAME: the value's text (its first line's), or "<missing>".
store_get() { sed -n "/^$1=/{s///p;q};\$q1" "$(settings_file)" 2>/dev/null || echo "<missing>"; }

# What the show stores as its folder: the program's own.
expected_install_path() { echo "$(cd "$(dirname "$program")" && pwd -P)/"; }

# Asks the dialog's window to close, as a window manager's close box does.
request_close() { "$E2E_CLOSE_REQUEST" "$1"; }
