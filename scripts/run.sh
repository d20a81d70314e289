#!/usr/bin/env bash
# Builds the Windows editor and starts it under Wine. With a display it runs
# there; without one it opens samples/sample.dtb on a virtual screen and
# saves a screenshot (scripts/run-editor.sh says where).
set -euo pipefail
cd "$(dirname "$0")/.."
exec bash scripts/run-editor.sh "$@"
