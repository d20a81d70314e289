#!/usr/bin/env bash
# Builds the programs and runs the main job: for now, dtbtool lists the
# project's sample file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j2 --target dtbtool >/dev/null
build/release/src/tool/dtbtool list samples/sample.dtb
