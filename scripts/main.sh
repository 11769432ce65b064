#!/usr/bin/env bash
# The main job: sets up, builds the release preset and decodes the shipped exchange with the
# cmds tool, one JSON line per command.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
build/release/tools/cmds decode examples/exchange.txt
