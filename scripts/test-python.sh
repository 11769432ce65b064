#!/usr/bin/env bash
# Installs the Python package offline into a fresh virtual environment made with Debian's python3,
# which sees the Debian packages pybind11, pytest and hypothesis, and runs its pytest suite there.
# The example client's test talks to the debug build's catalogue server when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

venv=build/python-venv
rm -rf "$venv"
/usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/python3" -m pip install --quiet --no-index --no-build-isolation ./python

server=build/debug/examples/sockets/catalogue_server
if [ -x "$server" ]; then
    export CMDS_CATALOGUE_SERVER="$PWD/$server"
fi
"$venv/bin/python3" -m pytest -q -p no:cacheprovider python/tests
