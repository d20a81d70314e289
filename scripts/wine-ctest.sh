#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, one at a time, inside whatever
# display it is started with, in one Wine session.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
wine_session_start
cd "$1"
ctest --output-on-failure -j1
status=$?
wine_session_end
exit $status
