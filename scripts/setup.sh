#!/usr/bin/env bash
# Makes sure the Debian packages that build and test Plaidwick are present.
# As root, missing ones are installed; otherwise the missing list is printed.
set -euo pipefail

packages=(
  cmake make g++ pkg-config python3 googletest
  libgtk-3-dev fonts-dejavu-core
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb xauth xdotool x11-utils x11-apps imagemagick
  xscreensaver strace
  clang libclang-rt-14-dev
)
# The help viewer is optional: Help does nothing without it.
optional=(xchm)

missing=()
for p in "${packages[@]}" "${optional[@]}"; do
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
