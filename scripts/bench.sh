#!/usr/bin/env bash
# Builds the benchmarks optimised and prints Google Benchmark's JSON on standard output.
# Ratios to the baselines measured in the same run go to standard error.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh >&2

build=${QV_BENCH_BUILD_DIR:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF \
  -DQV_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target quorvalin_bench >&2

out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$build/bench/quorvalin_bench" --benchmark_format=json "$@" >"$out"
cat "$out"
python3 scripts/bench_ratios.py "$out" >&2
