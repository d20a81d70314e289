#!/bin/bash
# Builds the benchmarks in Release with g++ and runs them. Any arguments go
# to the benchmark program (for instance --benchmark_filter=Read); without
# them every benchmark runs five times and the mean, median and spread are
# shown. Throughput is printed in binary units (G/s = GiB/s).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"

CC=gcc CXX=g++ cmake -S "$root" -B "$build" -DDTB_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target core_bench

if [ $# -eq 0 ]; then
  set -- --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
fi
"$build/bench/core_bench" "$@"
