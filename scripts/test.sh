#!/usr/bin/env bash
# Every test: sets up, then builds and runs the suite in the debug, ASan+UBSan and TSan builds.
# The debug build also installs the package and builds an outside project against it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh
for preset in debug asan tsan; do
    echo "=== $preset"
    cmake --workflow --preset "$preset"
done
