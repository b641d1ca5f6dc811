#!/usr/bin/env bash
# Runs a command on a private virtual X display (an Xvfb of its own, 1280x1024
# unless E2E_SCREEN says otherwise) and exits with the command's exit code.
# Usage: tests/with-display.sh COMMAND [ARGUMENT...]
set -u
. "$(dirname "$0")/e2e/common.sh"
[ $# -gt 0 ] || fail "usage: $0 COMMAND [ARGUMENT...]"
E2E_SCREEN=${E2E_SCREEN:-1280x1024} e2e_start
"$@"
