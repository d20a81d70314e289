#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, one at a time, inside whatever
# display it is started with. One wineserver stays up for the whole run:
# without it every test pays Wine's start-up again (seconds, not
# milliseconds).
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
wineserver -p >/dev/null 2>&1 &
# Start the prefix's own services now, outside ctest: started by the first
# test instead, they would inherit its output pipes and ctest would wait on
# them for ever.
wineboot >/dev/null 2>&1
cd "$1"
ctest --output-on-failure -j1
status=$?
wineserver -k
wineserver -w
exit $status
