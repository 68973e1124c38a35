#!/usr/bin/env bash
# Builds the programs and runs the main job: the command line on the
# built-in demo gauge.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGAUGE_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"

for edition in dalvo7 kavra7; do
  "$build/cli/$edition-cli" about
done
