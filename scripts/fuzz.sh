#!/bin/bash
# Builds the libFuzzer target with clang and runs it for SECONDS seconds
# (default 300). The corpus lives in build/fuzz/corpus and grows from run to
# run; it starts from the sample file. Crash inputs are left in
# build/fuzz/crashes. Exits non-zero when the run found a crash.
set -euo pipefail

seconds="${1:-300}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/fuzz"
target=fuzz_read_document

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DDTB_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target "$target"

corpus="$build/corpus/$target"
crashes="$build/crashes/$target"
mkdir -p "$corpus" "$crashes"
cp -n "$root/samples/sample.dtb" "$corpus/sample.dtb"
echo "== $target for ${seconds}s"
# Files up to 24 KiB reach the chunks longer than one read block.
status=0
"$build/tests/fuzz/$target" "$corpus" -max_total_time="$seconds" -max_len=24576 \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" \
  2>"$build/$target.log" || status=1
grep -E '^(#[0-9]+.*DONE|stat::)' "$build/$target.log" || true
[ "$status" = 0 ] || echo "$target: crash found, see $build/$target.log and $crashes" >&2
exit $status
