#!/usr/bin/env bash
# Makes sure the Debian packages that build and test Plaidwick are present.
# As root, missing ones are installed; otherwise the missing list is printed.
# "scripts/setup.sh show" asks only for what building and running the Linux
# show needs (scripts/run-show.sh).
set -euo pipefail

# The Linux program, and the virtual display and screenshot for a machine without one.
show=(
  cmake make g++ pkg-config python3 libgtk-3-dev fonts-dejavu-core
  xvfb xauth xdotool x11-utils imagemagick
)
# The tests, the Windows build under Wine and its installer, the help file and its viewer.
tests=(
  googletest
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  x11-apps xscreensaver strace lintian
  fp-utils libchm-bin xchm nsis
  clang libclang-rt-14-dev
)
packages=("${show[@]}")
[ "${1:-}" = show ] || packages+=("${tests[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages (install them as root): ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
