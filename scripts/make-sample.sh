#!/usr/bin/env bash
# Regenerates samples/sample.dtb after a change to samples/make_sample.cpp.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j2 --target make_sample >/dev/null
build/release/samples/make_sample samples/sample.dtb
