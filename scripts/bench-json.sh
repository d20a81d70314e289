#!/bin/bash
# Times dtbtool import and export on a file of 1,000,000 chunks (one root
# node with 24,390 items; an item is a named node with eight values and a
# list of thirty texts) and on a chain of 30,000 named nodes, each inside
# the last, and prints each step's seconds and peak memory, the latter also
# as a multiple of the DTB file's size. Each import of the large file is
# followed by Python's json.load of the same JSON (parsing alone, timed
# inside Python), the yardstick its time is given against. Release build.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
work="$build/json-bench"
CC=gcc CXX=g++ cmake -S "$root" -B "$build" -DDTB_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target dtbtool >/dev/null
mkdir -p "$work"
tool="$build/src/tool/dtbtool"

python3 - >"$work/made.json" <<'PY'
items = 1000000 // 41
out = ['{"key": 305441741, "header": "00 01 00 00 00 00 00", "chunks": [',
       '{"type": 16, "number": 0, "children": [']
for item in range(items):
    values = ", ".join('{"type": %d, "value": %d}' % (k % 2, k) for k in range(8))
    texts = ", ".join('{"type": %d, "value": "%s"}' % (32 if k % 3 else 2, "some text" if k % 5 else "Another Text")
                      for k in range(30))
    out.append('%s{"type": 17, "number": %d, "children": [{"type": 5, "value": "item%d"}, %s, '
               '{"type": 19, "number": 0, "children": [%s]}]}' % ("," if item else "", item, item, values, texts))
out.append("]}]}")
print("\n".join(out))
PY

python3 - >"$work/chain.json" <<'PY'
depth = 30000
out = ['{"key": 1, "header": "00 01 00 00 00 00 00", "chunks": [']
for level in range(depth):
    out.append('{"type": 16, "number": %d, "children": [{"type": 5, "value": "level %d"},' % (level, level))
out.append('{"type": 0, "value": 1}' + "]}" * depth + "]}")
print("\n".join(out))
PY

step() {
  local name=$1 dtb=$2; shift 2
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$tool" "$@"
  read -r seconds kib <"$work/time.txt"
  local size
  size=$(stat -c %s "$dtb")
  awk -v n="$name" -v s="$seconds" -v k="$kib" -v b="$size" \
    'BEGIN { printf "%s: %.2f s, peak %.0f MiB (%.1f times the DTB file)\n", n, s, k / 1024, k * 1024 / b }'
}
# json.load of a file, in seconds, beside the import just timed.
yardstick() {
  python3 -c 'import json, sys, time
with open(sys.argv[1]) as f:
    t = time.perf_counter(); json.load(f); print("%.3f" % (time.perf_counter() - t))' "$1"
}
against_json_load() {
  local seconds load
  read -r seconds _ <"$work/time.txt"
  load=$(yardstick "$1")
  awk -v s="$seconds" -v l="$load" 'BEGIN { printf "  json.load of the same file: %.2f s; import / json.load = %.2f\n", l, s / l }'
}
step "import" "$work/made.dtb" import "$work/made.json" "$work/made.dtb"
against_json_load "$work/made.json"
step "export" "$work/made.dtb" export "$work/made.dtb" "$work/exported.json"
step "import of the export" "$work/again.dtb" import "$work/exported.json" "$work/again.dtb"
against_json_load "$work/exported.json"
cmp "$work/made.dtb" "$work/again.dtb" && echo "round trip: the same bytes"
echo "DTB file: $(stat -c %s "$work/made.dtb") bytes; exported JSON: $(stat -c %s "$work/exported.json") bytes"
step "chain of 30,000 levels, import" "$work/chain.dtb" import "$work/chain.json" "$work/chain.dtb"
step "chain of 30,000 levels, export" "$work/chain.dtb" export "$work/chain.dtb" "$work/chain-exported.json"
"$tool" import "$work/chain-exported.json" "$work/chain-again.dtb"
cmp "$work/chain.dtb" "$work/chain-again.dtb" && echo "chain round trip: the same bytes"
