#!/usr/bin/env bash
# Every test: sets up, then builds and runs the suite in the debug, ASan+UBSan and TSan builds,
# each of which also replays the fuzz corpus; runs clang-tidy over the library with the debug
# build's compile commands; prints the line and branch coverage of the library
# by the suite and fails below 95 % of its lines; builds the reference documentation, failing on
# any Doxygen warning; and, when clang is there, fuzzes every target for 30 seconds. The debug
# build also installs, exports and packages the library, checks the packages with lintian and
# builds an outside project against each. When the MinGW-w64 cross compiler and Wine are there,
# the Windows build runs its suite under Wine. The Python package is installed offline into a
# fresh environment and tested.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh
for preset in debug asan tsan; do
    echo "=== $preset"
    cmake --workflow --preset "$preset"
done

# Debian installs wine64 outside PATH.
if command -v x86_64-w64-mingw32-g++-posix >/dev/null &&
    { command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ]; }; then
    echo "=== windows (MinGW-w64, tests under Wine)"
    cmake --workflow --preset windows
else
    echo "=== windows: skipped, the MinGW-w64 cross compiler or wine64 is not installed"
fi

echo "=== clang-tidy"
scripts/tidy.sh

echo "=== Python package, installed offline into a fresh environment"
scripts/test-python.sh

echo "=== coverage"
# Counters left by an earlier run would add to this one's.
if [ -d build/coverage ]; then
    find build/coverage -name '*.gcda' -delete
fi
cmake --workflow --preset coverage
gcovr --root . --filter 'cmds/' --filter 'tessel/' \
    --exclude-unreachable-branches --exclude-throw-branches --print-summary \
    --fail-under-line 95 build/coverage

echo "=== reference documentation (any Doxygen warning fails)"
cmake --preset docs >/dev/null
cmake --build --preset docs

if command -v clang++ >/dev/null; then
    echo "=== fuzz, 30 seconds per target"
    scripts/fuzz-soak.sh 30
else
    echo "=== fuzz: skipped, clang++ is not installed"
fi
