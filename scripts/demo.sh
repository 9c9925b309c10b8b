#!/usr/bin/env bash
# Sets up, builds Tabrix and runs the demo tables in examples/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build=$(pwd)/${TABRIX_BUILD_DIR:-build}
"$build/tabrix" -s || true
