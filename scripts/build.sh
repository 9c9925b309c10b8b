#!/usr/bin/env bash
# Configures and builds Tabrix into a build folder (default: build).
#   TABRIX_BUILD_DIR  the build folder
#   TABRIX_SANITIZE   1 builds with AddressSanitizer and UndefinedBehaviorSanitizer
#   TABRIX_TESTS      0: the tests are not needed (a new build folder then builds only the
#                     program and the tools, without GoogleTest)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${TABRIX_BUILD_DIR:-build}
tests=ON
# Without the tests, unless the folder already builds them: switching them off there
# would leave stale test programs for ctest to run.
if [ "${TABRIX_TESTS:-1}" = 0 ] && ! grep -qs '^TABRIX_TESTS:BOOL=ON' "$dir/CMakeCache.txt"; then
  tests=OFF
fi
if [ "$tests" = ON ]; then bash scripts/setup.sh --tests; else bash scripts/setup.sh; fi
sanitize=OFF
[ "${TABRIX_SANITIZE:-0}" = 1 ] && sanitize=ON
cmake -S . -B "$dir" -DTABRIX_SANITIZE=$sanitize -DTABRIX_WERROR=ON -DTABRIX_TESTS=$tests >/dev/null
cmake --build "$dir" -j "$(nproc)"
