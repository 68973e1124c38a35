#!/usr/bin/env bash
# Builds the programs and runs the main job on the built-in demo gauge:
# downloads every batch into ./demo-data, keeping the gauge's folders, and
# prints the statistics summary of each batch file.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGAUGE_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cli="$build/cli/dalvo7-cli"

"$cli" about
echo
echo "== The demo gauge"
"$cli" --port demo tree
echo

# A fresh folder each run, so the files carry their plain names.
rm -rf demo-data
mkdir -p demo-data
echo "== Downloading every batch into ./demo-data"
mapfile -t files < <("$cli" --port demo download --all --mirror --to demo-data)
printf '%s\n' "${files[@]}"
for file in "${files[@]}"; do
  echo
  echo "== $file"
  "$cli" batch show "$file"
done
