#!/usr/bin/env bash
# Builds everything and runs every test suite (core, windows, end to end).
#   scripts/test.sh                      normal build in build/
#   REELKEEPER_SANITIZE=1 scripts/test.sh   AddressSanitizer + UBSan build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh

if [ "${REELKEEPER_SANITIZE:-0}" = 1 ]; then
  dir=build-asan
  options=(-DCMAKE_BUILD_TYPE=Debug -DREELKEEPER_SANITIZE=ON -DREELKEEPER_BUILD_BENCH=OFF)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
  dir=build
  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi

# A compiler cache, where the machine has one, lets several work trees share one build's objects.
if command -v ccache >/dev/null 2>&1; then
  options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 600
