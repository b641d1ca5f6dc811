#!/usr/bin/env bash
# Builds both presets (and the sanitizer configuration) and runs every test.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh || exit 1

status=0
run() {
  echo "== $*"
  "$@" || status=1
}

for preset in linux linux-sanitize windows; do
  run cmake --preset "$preset" >/dev/null
  run cmake --build --preset "$preset"
done

# The parsers and the rest of the core under AddressSanitizer and UBSan.
run ctest --preset linux-sanitize -L unit
run ctest --preset windows
# The full Linux run comes last, so its summary closes the output.
run ctest --preset linux
exit $status
