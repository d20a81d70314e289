#!/bin/bash
# Times dtbtool find and replace over 10,000 files of about 10 KB each (a
# node with 250 named records of values and texts), as a modder's batch
# over a game's data folder would run. Release build.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
work="$build/replace-bench"
CC=gcc CXX=g++ cmake -S "$root" -B "$build" -DDTB_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target dtbtool >/dev/null
tool="$build/src/tool/dtbtool"
rm -rf "$work" && mkdir -p "$work/files"

python3 - >"$work/one.json" <<'PY'
records = []
for k in range(250):
    records.append('{"type": 17, "number": %d, "children": [{"type": 5, "value": "record%d"}, '
                   '{"type": 0, "value": %d}, {"type": 32, "value": "biome_lava"}]}' % (k, k, k % 7))
print('{"key": 305441741, "header": "00 01 00 00 00 00 00", "chunks": [{"type": 16, "number": 0, "children": [%s]}]}'
      % ", ".join(records))
PY
"$tool" import "$work/one.json" "$work/one.dtb"
python3 -c "
import shutil, sys
for k in range(10000): shutil.copyfile(sys.argv[1], '%s/f%05d.dtb' % (sys.argv[2], k))
" "$work/one.dtb" "$work/files"
echo "10,000 files of $(stat -c %s "$work/one.dtb") bytes"

timed() {
  local name=$1; shift
  /usr/bin/time -f "%e" -o "$work/time.txt" "$tool" "$@" >"$work/out.txt" || true
  echo "$name: $(cat "$work/time.txt") s, $(wc -l <"$work/out.txt") lines"
}
timed "find (2,500,000 matches)" find "$work"/files/*.dtb --text lava
timed "replace (2,500,000 texts)" replace "$work"/files/*.dtb --text lava --with magma
timed "replace back" replace "$work"/files/*.dtb --regex "magma" --with lava
