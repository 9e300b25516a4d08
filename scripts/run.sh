#!/usr/bin/env bash
# Sets up, builds and starts Tallyforge.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/src/app/tallyforge "$@"
