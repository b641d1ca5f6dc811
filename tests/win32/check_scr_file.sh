#!/bin/sh
# Plaidwick.scr is one self-contained GUI program: it imports only DLLs that
# come with Windows (no C++ runtime, no threads library of the toolchain); a
# Release build carries no symbols.
# Usage: check_scr_file.sh PLAIDWICK.SCR BUILD-TYPE
set -u
scr=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
headers=$("$objdump" -p "$scr") || { echo "FAIL: $objdump cannot read $scr"; exit 1; }
echo "$headers" | grep -q 'Subsystem[[:space:]]*00000002' || { echo "FAIL: not a GUI-subsystem program"; exit 1; }
status=0
[ "$2" != Release ] || "$objdump" -t "$scr" | grep -qx 'no symbols' || { echo "FAIL: a release with symbols"; status=1; }
for dll in $(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    case $(echo "$dll" | tr 'A-Z' 'a-z') in
        kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|comctl32.dll|msvcrt.dll) echo "imports $dll" ;;
        *) echo "FAIL: imports $dll, which Windows does not provide"; status=1 ;;
    esac
done
exit $status
