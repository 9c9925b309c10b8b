#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
dir=${TABRIX_BUILD_DIR:-build}
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
