#!/usr/bin/env bash
# Fuzzes one target for a long run and keeps what it reached: starts from the committed corpus
# fuzz/corpus/TARGET, writes new inputs into a scratch corpus, then merges them back minimised
# (-merge=1 adds only inputs that bring new coverage), so that the short runs of the test suite
# start from the depth of the long ones. Prints executions, coverage and any crash files.
# Usage: scripts/fuzz.sh TARGET [SECONDS]     (SECONDS defaults to 240)
# QV_FUZZ_BUILD_DIR picks the build tree (build/fuzz); extra libFuzzer flags go in QV_FUZZ_FLAGS.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: scripts/fuzz.sh TARGET [SECONDS]" >&2
  echo "targets: $(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//' | tr '\n' ' ')" >&2
  exit 2
}
target=${1:-}
seconds=${2:-240}
[ -n "$target" ] && [ -f "fuzz/$target.cpp" ] || usage
[[ "$seconds" =~ ^[0-9]+$ ]] || usage

# The fuzz targets need only the core, so this tree leaves out Qt and the tests; otherwise it
# is configured as scripts/test.sh configures the CI build.
build=${QV_FUZZ_BUILD_DIR:-build/fuzz}
if [ ! -f "$build/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQV_SANITIZE=ON -DQV_FUZZ=ON -DQV_BUILD_QT=OFF -DQV_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$build" --target "$target" >/dev/null

binary="$build/fuzz/$target"
corpus="fuzz/corpus/$target"
runs="$build/fuzz-runs/$target"
scratch="$runs/new"
artifacts="$runs/artifacts/"
rm -rf "$scratch" "$artifacts"
mkdir -p "$scratch" "$artifacts"
log="$runs/run.log"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# New inputs go into the first directory only; the committed corpus is read, not written.
set +e
# shellcheck disable=SC2086
"$binary" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$artifacts" ${QV_FUZZ_FLAGS:-} "$scratch" "$corpus" >"$log" 2>&1
status=$?
set -e

# Only inputs that add coverage to the committed corpus are copied into it.
"$binary" -merge=1 -rss_limit_mb=2048 "$corpus" "$scratch" >"$runs/merge.log" 2>&1

executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
added=$(sed -n 's/^MERGE-OUTER: \([0-9]*\) new files.*/\1/p' "$runs/merge.log" | tail -1)
echo "$target: ${seconds}s, ${executions:-?} executions (${speed:-?}/s), cov ${cov:-?}, ft ${ft:-?}," \
  "${added:-0} inputs merged into $corpus ($(ls "$corpus" | wc -l) files)"

# Slow units are only noted: a loaded machine (or a stopped process) makes any input slow.
slow=$(find "$artifacts" -type f -name 'slow-unit-*' | sort)
[ -n "$slow" ] && echo "$slow" | sed 's/^/  slow unit (run it alone to check): /'
crashes=$(find "$artifacts" -type f ! -name 'slow-unit-*' | sort)
if [ -n "$crashes" ] || [ "$status" -ne 0 ]; then
  echo "$target: the fuzzer stopped with status $status; see $log" >&2
  [ -n "$crashes" ] && echo "$crashes" | sed 's/^/  crash file: /' >&2
  exit 1
fi
