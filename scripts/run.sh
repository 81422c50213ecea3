#!/usr/bin/env bash
# Installs what is missing, builds the three programs (the tests are built by
# scripts/test.sh), and runs a whole order against the local server simulator
# in a scratch working directory.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)" --target webaccess webaccess-batch webaccess-sim
exec bash scripts/demo.sh "$@"
