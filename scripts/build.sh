#!/usr/bin/env bash
# Configures and builds Tabrix into a build folder (default: build).
#   TABRIX_BUILD_DIR  the build folder
#   TABRIX_SANITIZE   1 builds with AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=${TABRIX_BUILD_DIR:-build}
sanitize=OFF
[ "${TABRIX_SANITIZE:-0}" = 1 ] && sanitize=ON
cmake -S . -B "$dir" -DTABRIX_SANITIZE=$sanitize -DTABRIX_WERROR=ON >/dev/null
cmake --build "$dir" -j "$(nproc)"
