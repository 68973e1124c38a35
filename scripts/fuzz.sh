#!/usr/bin/env bash
# Builds one libFuzzer target with clang and runs it.
# Usage: scripts/fuzz.sh NAME [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
GAUGE_WITH_CLANG=1 bash scripts/install-deps.sh
name=$1; seconds=${2:-60}
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGAUGE_FUZZ=ON \
  -DGAUGE_SANITIZE=ON -DGAUGE_TESTS=OFF -DGAUGE_GUI=OFF >/dev/null
cmake --build "$build" --target "fuzz_$name"
corpus="$build/corpus/$name"
mkdir -p "$corpus"
seeds="fuzz/seeds/$name"
[ -d "$seeds" ] || seeds=
"$build/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 "$corpus" $seeds
