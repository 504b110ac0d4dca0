#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer (clang,
# so the fuzz targets build in the same tree) and runs every test, fuzzers included; then the
# ThreadSanitizer build and its tests (scripts/tsan.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
./scripts/package-check.sh

build=${QV_TEST_BUILD_DIR:-build/test}
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQV_SANITIZE=ON -DQV_FUZZ=ON -DQV_BUILD_TESTS=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"

./scripts/tsan.sh "$@"
