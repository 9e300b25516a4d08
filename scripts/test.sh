#!/usr/bin/env bash
# Sets up, builds and runs every test (unit, widget, end-to-end, CUPS and Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build
ctest --output-on-failure -j "$(nproc)"
