#!/usr/bin/env bash
# Configures and builds Tabrix into a build folder (default: build).
#   TABRIX_BUILD_DIR  the build folder
#   TABRIX_SANITIZE   1 builds with AddressSanitizer and UndefinedBehaviorSanitizer
#   TABRIX_TESTS      0 builds only the program and the tools (no GoogleTest needed)
set -euo pipefail
cd "$(dirname "$0")/.."
tests=ON
[ "${TABRIX_TESTS:-1}" = 0 ] && tests=OFF
if [ "$tests" = ON ]; then bash scripts/setup.sh --tests; else bash scripts/setup.sh; fi
dir=${TABRIX_BUILD_DIR:-build}
sanitize=OFF
[ "${TABRIX_SANITIZE:-0}" = 1 ] && sanitize=ON
cmake -S . -B "$dir" -DTABRIX_SANITIZE=$sanitize -DTABRIX_WERROR=ON -DTABRIX_TESTS=$tests >/dev/null
cmake --build "$dir" -j "$(nproc)"
