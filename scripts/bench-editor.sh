#!/usr/bin/env bash
# Builds the Windows editor and runs its view benchmark under Wine on a
# virtual screen: generated files of 10,000 to 1,000,000 chunks, opened,
# edited, searched and switched between the tree and the list. Prints a
# Markdown table (milliseconds). An argument runs only the files whose
# name holds it ("chain", "nested", "flat").
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/windows --no-warn-unused-cli \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j2 --target editor_bench >/dev/null
source scripts/wine-env.sh
# Wine starts its desktop with the first program of a session, so the whole
# session runs inside the virtual screen; and the prefix is made ready
# before the timed program starts, so that one pays for nothing else.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source scripts/wine-env.sh
  wine_session_start
  wine build/windows/bench/editor_bench.exe "$@"
  status=$?
  wine_session_end
  exit $status' bash "$@"
