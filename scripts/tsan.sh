#!/usr/bin/env bash
# Builds the Qt and simulator test programs with ThreadSanitizer and runs them (the link suite
# is where the worker threads live). Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh

build=${QV_TSAN_BUILD_DIR:-build/tsan}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQV_TSAN=ON -DQV_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target qt_tests sim_tests core_tests

export QT_QPA_PLATFORM=offscreen
# Debian's Qt and GLib are not built with ThreadSanitizer, so their own cross-thread hand-offs
# look like races; tests/tsan.supp silences reports whose frames are all inside those libraries.
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -E '^(fuzz_|netns_)' "$@"
