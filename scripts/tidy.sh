#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over the library's sources (cmds/ and tessel/),
# or over the files named, with the compile commands of a build folder: TIDY_BUILD_DIR, default
# build/debug (made by the debug preset). Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TIDY_BUILD_DIR:-build/debug}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: $build/compile_commands.json is missing; configure that build first" >&2
    exit 2
fi
if [ $# -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(git ls-files -- 'cmds/*.cpp' 'tessel/*.cpp')
fi
run-clang-tidy -p "$build" -quiet -j "$(nproc)" "${files[@]}"
