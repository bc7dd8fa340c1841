#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build -DDEMO_WERROR=ON >/dev/null
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
