#!/bin/sh
# Runs a Windows program of the build under Wine and exits with its exit code.
#
# Prefix: $PLAIDWICK_WINEPREFIX when set, otherwise a private one under
# ${TMPDIR:-/tmp}; a new prefix is initialised once (wineboot -i) under a lock
# so that tests started in parallel do not race.
# Display: $DISPLAY when set; otherwise a private Xvfb (tests/with-display.sh)
# for this command, stopped after Wine's processes end (runs on a private
# display are serialised, so that Wine's desktop process never outlives its
# display while another run needs it).
set -u

# PLAIDWICK_DPI: a screen resolution (dots per inch) other than 96, in a
# prefix of its own.
prefix=${PLAIDWICK_WINEPREFIX:-${TMPDIR:-/tmp}/plaidwick-wine-$(id -u)}${PLAIDWICK_DPI:+-dpi$PLAIDWICK_DPI}
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX="$prefix" WINEDEBUG=-all
exec 9>"$prefix.lock"

# reg_add KEY NAME TYPE DATA: a registry value set while the prefix is made.
reg_add() { wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1 9>&-; }

flock 9
if [ ! -f "$prefix/system.reg" ]; then
    # No offer to install Mono or Gecko while the prefix is made.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 9>&-
    # Wine's own fonts (Tahoma behind the GUI font, Marlett for frame
    # buttons, the System font) give Windows-like text metrics; without
    # them Wine falls back to a wider Linux font.
    cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null
    # Windows draws the GUI font as (Microsoft) Sans Serif, Wine as
    # Tahoma, which is wider: "Delay (s): 30" would not fit its label.
    reg_add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' 'MS Shell Dlg' REG_SZ 'MS Sans Serif'
    # Xvfb runs no window manager: let Wine draw captions and borders,
    # and not wait (2 s per window) for a manager to withdraw a window.
    for setting in Decorated Managed; do
        reg_add 'HKCU\Software\Wine\X11 Driver' $setting REG_SZ N
    done
    [ -n "${PLAIDWICK_DPI:-}" ] && reg_add 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$PLAIDWICK_DPI"
    wineserver -w 9>&-
fi
flock -u 9

[ -n "${DISPLAY:-}" ] && exec wine "$@" 9>&-
flock 9
"$(dirname "$0")/../with-display.sh" sh -c 'wine "$@"; status=$?; wineserver -w; exit $status' wine "$@" 9>&-
