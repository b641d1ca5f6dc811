#!/usr/bin/env bash
# The Debian package, built from the install rules and unpacked into a
# scratch root: exactly the expected files, a display-mode link and desktop
# entry that reach the program, a man page that formats cleanly, the
# libraries' packages as dependencies, and no lintian errors.
# Usage: package_test.sh BUILD_DIR
set -uo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$scratch/cpack.log")"
deb=$(ls "$scratch"/out/plaidwick_*_amd64.deb 2>/dev/null)
[ -f "$deb" ] || fail "no plaidwick_<version>_amd64.deb"
root="$scratch/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"

expected=$(printf '%s\n' usr/bin/plaidwick usr/libexec/xscreensaver/plaidwick usr/share/{applications/plaidwick.desktop,\
doc/plaidwick/{changelog.gz,copyright},icons/hicolor/{16x16,32x32}/apps/plaidwick.png,man/man6/plaidwick.6.gz,\
plaidwick/Plaidwick.chm,xscreensaver/config/plaidwick.xml} | sort)
got=$(cd "$root" && find . -not -type d | sed 's|^\./||' | sort)
[ "$got" = "$expected" ] || fail "the package holds:
$got"
[ "$(readlink -f "$root/usr/libexec/xscreensaver/plaidwick")" = "$root/usr/bin/plaidwick" ] ||
  fail "the display mode does not lead to the program"
grep -qx 'Exec=plaidwick /c' "$root/usr/share/applications/plaidwick.desktop" || fail "the desktop entry does not open the dialog"
python3 -c 'import sys, xml.etree.ElementTree as T
assert T.parse(sys.argv[1]).find("command").get("arg") == "--root"' "$root/usr/share/xscreensaver/config/plaidwick.xml" ||
  fail "plaidwick.xml does not run --root"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man6/plaidwick.6.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the man page: $warnings"

# The installed program finds its help file: the first run stores the
# package's help folder as Install Path (host mode without a display stops
# right after reading the settings).
XDG_CONFIG_HOME="$scratch/config" DISPLAY= "$root/usr/bin/plaidwick" --root || fail "the installed program failed"
stored=$(sed -n 's/^Install Path=//p' "$scratch/config/plaidwick/settings.ini")
[ "$stored" = "$root/usr/share/plaidwick/" ] || fail "the installed program stores Install Path \"$stored\""

depends=$(dpkg-deb -f "$deb" Depends)
for library in libgtk-3-0 libc6 libx11-6; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
if command -v lintian >/dev/null; then
  runner=()
  [ "$(id -u)" = 0 ] && runner=(runuser -u nobody --) && chmod 755 "$scratch" "$scratch/out"
  "${runner[@]}" lintian "$deb" >"$scratch/lintian.log" 2>&1
  ! grep -q '^E:' "$scratch/lintian.log" || fail "lintian: $(grep '^E:' "$scratch/lintian.log")"
fi
echo "package: all checks passed"
