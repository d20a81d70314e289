#!/usr/bin/env bash
# Find All and Replace All in files through the editor's dialog under Wine,
# against dtbtool find and replace on the same 10,000 files of 13 KB that
# bench-replace.sh makes: its Windows build under Wine (1,000 files a run,
# as a Windows command line cannot hold 10,000 names) and its Linux build.
# Each runs in turn, ROUNDS times (default 1). Prints one line a run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
rounds=${ROUNDS:-1}
cmake -S . -B build/windows --no-warn-unused-cli \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j2 --target editor_bench dtbtool >/dev/null
work="$root/build/bench/replace-bench"
[ -d "$work/files" ] || bash scripts/bench-replace.sh >/dev/null
tool="$root/build/bench/src/tool/dtbtool"
files="$work/files"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source scripts/wine-env.sh
  wine_session_start
  files=$1 tool=$2 rounds=$3
  winfolder=$(winepath -w "$files")
  timed() {
    local name=$1; shift
    local start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    echo "$name: $(echo "$(date +%s.%N) - $start" | bc | xargs printf "%.2f") s"
  }
  for round in $(seq "$rounds"); do
    echo "round $round"
    wine build/windows/bench/editor_bench.exe files "$winfolder"
    exe=$PWD/build/windows/src/tool/dtbtool.exe
    batches() { (cd "$files" && ls | grep "\.dtb$" | xargs -n 1000 wine "$exe" "$@"); }
    timed "dtbtool.exe find (Wine)" batches find --text lava
    timed "dtbtool.exe replace (Wine)" batches replace --text lava --with magma
    timed "dtbtool.exe replace back (Wine)" batches replace --text magma --with lava
    timed "dtbtool find" "$tool" find "$files"/*.dtb --text lava
    timed "dtbtool replace" "$tool" replace "$files"/*.dtb --text lava --with magma
    timed "dtbtool replace back" "$tool" replace "$files"/*.dtb --text magma --with lava
  done
  wine_session_end' bash "$files" "$tool" "$rounds"
