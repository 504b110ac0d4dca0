#!/usr/bin/env bash
# Builds the Debian package (Release, with Debian's build and hardening flags) in its own build
# folder and prints the package's path on the last line. Install it with
#   sudo apt install ./build/package/quorvalin_*.deb
# QV_PACKAGE_TESTS=ON builds the tests in the same tree, with the same compiler and flags, so the
# programs tested are the programs packaged (scripts/test.sh does; the package is the same).
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache shares objects between clones of the project in other folders (CI clones afresh);
# debug info then names paths relative to the build folder.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}

./scripts/setup.sh

build=${QV_PACKAGE_BUILD_DIR:-build/package}
# Given on every configure, so they hold even when the cache is older than a flags change.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
tests=${QV_PACKAGE_TESTS:-OFF}
CC=gcc CXX=g++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS="$tests" \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${launcher[@]}" >/dev/null
# Quiet unless something fails; then the whole log.
log="$build/package.log"
if ! { cmake --build "$build" -j "$(nproc)" && rm -f "$build"/quorvalin_*.deb &&
  (cd "$build" && cpack -G DEB); } >"$log" 2>&1; then
  cat "$log" >&2
  echo "package: failed; the log above is in $log" >&2
  exit 1
fi
ls "$PWD/$build"/quorvalin_*.deb
