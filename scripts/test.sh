#!/usr/bin/env bash
# Installs what is missing; builds the Debian package with GCC and Debian's flags, its tests in
# the same tree, checks the package and runs every test on those very programs; then builds with
# AddressSanitizer and UndefinedBehaviorSanitizer (clang, so the fuzz targets build in the same
# tree) and runs every test, fuzzers included; then the ThreadSanitizer build and its tests
# (scripts/tsan.sh). Each part prints how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache shares objects between clones of the project in other folders (CI clones afresh);
# debug info then names paths relative to the build folder.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}

./scripts/setup.sh
started=$SECONDS

# What ships is what is tested: the package's own build tree, optimised by GCC.
package_build=${QV_PACKAGE_BUILD_DIR:-build/package}
QV_PACKAGE_TESTS=ON ./scripts/package-check.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir "$package_build" --output-on-failure -j "$(nproc)" "$@"
echo "test: package build (GCC, as shipped) passed in $((SECONDS - started)) s"

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
echo "test: sanitizer build passed; $((SECONDS - started)) s so far"

# ctest's summary of the ThreadSanitizer run closes the output.
./scripts/tsan.sh "$@"
