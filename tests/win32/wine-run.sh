#!/bin/sh
# Runs a Windows program of the build under Wine and exits with its exit code.
#
# Prefix: $PLAIDWICK_WINEPREFIX when set, otherwise a private one under
# ${TMPDIR:-/tmp}; a new prefix is initialised once (wineboot -i) under a lock
# so that tests started in parallel do not race.
# Display: $DISPLAY when set; otherwise a private Xvfb started for this
# command and stopped after it (runs on a private display are serialised, so
# that Wine's desktop process never outlives its display while another run
# needs it).
set -u

# PLAIDWICK_DPI: a screen resolution (dots per inch) other than 96, in a
# prefix of its own.
prefix=${PLAIDWICK_WINEPREFIX:-${TMPDIR:-/tmp}/plaidwick-wine-$(id -u)}${PLAIDWICK_DPI:+-dpi$PLAIDWICK_DPI}
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX="$prefix"
export WINEDEBUG=-all

lock="$prefix.lock"
exec 9>"$lock"

# reg_add KEY NAME TYPE DATA: a registry value set while the prefix is made.
reg_add() { wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1 9>&-; }

initialise_prefix() {
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        # No offer to install Mono or Gecko while the prefix is made.
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 9>&-
        # Wine's own fonts (Tahoma behind the GUI font, Marlett for frame
        # buttons, the System font) give Windows-like text metrics; without
        # them Wine falls back to a wider Linux font.
        if [ -d /usr/share/wine/fonts ]; then
            cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null
        fi
        # Windows draws the GUI font as (Microsoft) Sans Serif, Wine as
        # Tahoma, which is wider: "Delay (s): 30" would not fit its label.
        reg_add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' 'MS Shell Dlg' REG_SZ 'MS Sans Serif'
        # Xvfb runs no window manager: let Wine draw captions and borders,
        # and not wait (2 s per window) for a manager to withdraw a window.
        for setting in Decorated Managed; do
            reg_add 'HKCU\Software\Wine\X11 Driver' $setting REG_SZ N
        done
        if [ -n "${PLAIDWICK_DPI:-}" ]; then
            reg_add 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$PLAIDWICK_DPI"
        fi
        wineserver -w 9>&-
    fi
    flock -u 9
}

xvfb_pid=
stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=
    fi
}

start_private_display() {
    # Xvfb picks a free display and writes its number to fd 3.
    displayfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 9>&- &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
    number=$(head -n1 "$displayfile")
    rm -f "$displayfile"
    if [ -z "$number" ]; then
        echo "wine-run.sh: Xvfb did not start" >&2
        stop_xvfb
        exit 125
    fi
    export DISPLAY=":$number"
}

trap stop_xvfb EXIT INT TERM

initialise_prefix
if [ -z "${DISPLAY:-}" ]; then
    flock 9
    start_private_display
    wine "$@" 9>&-
    status=$?
    # Let Wine's own processes end while their display still exists.
    wineserver -w 9>&-
    stop_xvfb
    exit $status
fi
wine "$@" 9>&-
exit $?
