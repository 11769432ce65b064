#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, only those that are missing.
set -euo pipefail

# clang's libFuzzer runtime (libclang-rt-dev) is only recommended by clang, so it is named here.
# dpkg-dev, file and lintian make and check the Debian packages; the windows preset needs the
# MinGW-w64 cross compiler, Wine and GoogleTest's sources; the Python package pybind11, pytest
# and hypothesis.
packages=(cmake ninja-build g++ clang libclang-rt-dev clang-format clang-tidy libgtest-dev
    libssl-dev pkg-config libcli11-dev nlohmann-json3-dev libbenchmark-dev rapidjson-dev gcovr
    libasio-dev doxygen dpkg-dev file lintian g++-mingw-w64-x86-64-posix wine64 googletest
    libsimdjson-dev python3-matplotlib python3-dev python3-venv python3-pip python3-setuptools
    python3-wheel python3-pybind11 pybind11-dev python3-pytest python3-hypothesis)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
