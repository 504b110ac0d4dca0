#!/usr/bin/env bash
# Builds everything with ThreadSanitizer and runs the tests (the link workers are threads; the
# end-to-end tests run the real program). Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache shares objects between clones of the project in other folders (CI clones afresh);
# debug info then names paths relative to the build folder.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}

./scripts/setup.sh

build=${QV_TSAN_BUILD_DIR:-build/tsan}
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQV_TSAN=ON -DQV_BUILD_TESTS=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
# tests/tsan.supp says why Debian's Qt, GLib and libproxy are treated as uninstrumented.
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp}
# The network-namespace tests run in the ASan+UBSan suite; their code has no thread of its own.
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -E '^netns_' "$@"
