#!/usr/bin/env bash
# Builds the project with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test. Usage: ./test.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps.sh

build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGAUGE_SANITIZE=ON -DGAUGE_TESTS=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
