#!/usr/bin/env bash
# Builds the Windows editor and runs its view benchmark under Wine on a
# virtual screen: generated files of 10,000 to 1,000,000 chunks, opened,
# edited, searched and switched between the tree and the list. Prints a
# Markdown table (milliseconds).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j2 --target editor_bench >/dev/null
source scripts/wine-env.sh
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
xvfb-run -a -s "-screen 0 1280x1024x24" wine build/windows/bench/editor_bench.exe
wineserver -w
