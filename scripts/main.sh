#!/usr/bin/env bash
# The main job: sets up, builds the release preset and runs the exchange example.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
build/release/examples/exchange
