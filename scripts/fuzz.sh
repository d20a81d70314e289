#!/bin/bash
# Builds the libFuzzer targets with clang and runs each for SECONDS seconds
# (default 300), one after the other. The corpora live in build/fuzz/corpus
# and grow from run to run; they start from the sample file. Crash inputs are
# left in build/fuzz/crashes. Exits non-zero when a target found a crash.
set -euo pipefail

seconds="${1:-300}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DDTB_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target fuzz_read_document fuzz_text_convert

# Files up to 24 KiB reach the chunks longer than one read block.
declare -A max_len=([fuzz_read_document]=24576 [fuzz_text_convert]=4096)

status=0
for target in fuzz_read_document fuzz_text_convert; do
  corpus="$build/corpus/$target"
  crashes="$build/crashes/$target"
  mkdir -p "$corpus" "$crashes"
  cp -n "$root/samples/sample.dtb" "$corpus/sample.dtb"
  if [ "$target" = fuzz_text_convert ]; then
    # One text of each reading, and a long one: the Data box takes 2047 characters.
    printf '0x1F' >"$corpus/seed-hex"
    printf '01 02 0A FF' >"$corpus/seed-bytes"
    printf ' -2147483649' >"$corpus/seed-decimal"
    printf '1.5e-3' >"$corpus/seed-float"
    { printf '0.'; for _ in $(seq 60); do printf '1234567890'; done; printf 'e+300'; } >"$corpus/seed-long"
  fi
  echo "== $target for ${seconds}s"
  if ! "$build/tests/fuzz/$target" "$corpus" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" \
      2>"$build/$target.log"; then
    echo "$target: crash found, see $build/$target.log and $crashes" >&2
    status=1
  fi
  grep -E '^(#[0-9]+.*DONE|stat::)' "$build/$target.log" || true
done
exit $status
