#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, one at a time, inside whatever
# display it is started with. One wineserver stays up for the whole run:
# without it every test pays Wine's start-up again (seconds, not
# milliseconds).
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
wineserver -p >/dev/null 2>&1 &
cd "$1"
ctest --output-on-failure -j1
status=$?
wineserver -k
wineserver -w
exit $status
