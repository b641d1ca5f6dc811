#!/usr/bin/env bash
# PlaidwickSetup.exe in a Wine prefix made for the run: a silent install with
# /ACTIVATE puts the files and registry entries in place; the installed
# screensaver runs its dialog, whose Help opens the installed help file, and
# its show; a silent uninstall takes back all it made, gives back the
# screensaver it replaced and keeps the settings.
# Usage: e2e_installer.sh PlaidwickSetup.exe Plaidwick.scr Plaidwick.chm VERSION
set -uo pipefail
. "$(dirname "$0")/e2e_lib.sh"
setup=$1 version=$4
export PLAIDWICK_WINEPREFIX="$(mktemp -d)/prefix"
E2E_SCREEN=1024x768 e2e_setup installer
trap 'e2e_cleanup; rm -rf "${PLAIDWICK_WINEPREFIX%/*}"' EXIT
system="$WINEPREFIX/drive_c/windows/system32" folder="$WINEPREFIX/drive_c/Program Files/Plaidwick ScreenSaver"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Plaidwick ScreenSaver'
desktop_key='HKCU\Control Panel\Desktop'
program='C:\windows\system32\Plaidwick.scr'

note "a silent install with /ACTIVATE"
store_set "Tartan Zoom" 3
wine_run reg add "$desktop_key" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
wine_run "$setup" /S /ACTIVATE || fail "the installer failed"
cmp -s "$2" "$system/Plaidwick.scr" && cmp -s "$3" "$system/Plaidwick.chm" && [ -f "$folder/Uninstall.exe" ] ||
  fail "Plaidwick.scr, Plaidwick.chm or the uninstaller is missing"
for entry in "DisplayName=Plaidwick ScreenSaver" "DisplayVersion=$version" "DisplayIcon=$program,0" \
  "Publisher=The Plaidwick weavers" "UninstallString=\"C:\\Program Files\\Plaidwick ScreenSaver\\Uninstall.exe\""; do
  [ "$(reg_value "$uninstall_key" "${entry%%=*}")" = "${entry#*=}" ] || fail "the uninstall entry has no $entry"
done
size=$(($(reg_value "$uninstall_key" EstimatedSize)))
[ $((size * 1024)) -ge $(($(stat -c %s "$2") + $(stat -c %s "$3"))) ] || fail "an estimated size of $size KB"
[ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = "$program" ] || fail "Plaidwick is not the current screensaver"

note "the installed screensaver: its dialog's Help opens the installed help file; the show"
open_dialog
click 345 280
viewer=$(wait_window "Plaidwick ScreenSaver Help") || fail "no HTML Help window for the installed help file"
xdotool windowmove "$viewer" 700 650 sleep 0.5  # off the dialog's buttons
button Cancel
[ "$(store_get "Install Path")" = 'C:\windows\system32\' ] || fail "Install Path is $(store_get "Install Path")"
xdotool mousemove 512 384
run_program "$program" /s
poll 20 eval '[ "$(screen_colours)" -gt 2 ]' || fail "no tartan on the screen"
xdotool mousemove 10 10
expect_exit "$E2E_LAST_PID" 10 0 "the show after a pointer move"

note "a silent uninstall takes back every file and entry, gives back the screensaver, keeps the settings"
wine_run "C:\\Program Files\\Plaidwick ScreenSaver\\Uninstall.exe" /S || fail "the uninstaller failed"
# The uninstaller runs on from a copy of itself and deletes the original last.
poll 20 eval '[ ! -e "$folder" ]'
[ ! -e "$folder" ] && [ ! -e "$system/Plaidwick.scr" ] && [ ! -e "$system/Plaidwick.chm" ] || fail "files are left"
wine_run reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall entry is left"
[ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr' ] || fail "the screensaver is not given back"
[ "$(store_get "Tartan Zoom")" = 3 ] || fail "the settings are gone"
echo "installer: all checks passed"
