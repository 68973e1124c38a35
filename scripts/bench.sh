#!/usr/bin/env bash
# Builds the benchmarks (optimised, no sanitizers) and runs one or all.
# Usage: scripts/bench.sh [NAME [benchmark flags...]]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGAUGE_BENCH=ON -DGAUGE_TESTS=OFF -DGAUGE_GUI=OFF >/dev/null
if [ $# -ge 1 ]; then
  name=$1; shift
  cmake --build "$build" --target "bench_$name"
  "$build/bench/bench_$name" "$@"
else
  cmake --build "$build"
  for b in "$build"/bench/bench_*; do "$b"; done
fi
