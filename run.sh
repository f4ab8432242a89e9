#!/usr/bin/env bash
# Builds a release build of Sonavue (installing what it needs) and starts it
# with the arguments given.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DSONAVUE_TESTS=OFF -DSONAVUE_BENCHMARKS=ON >/dev/null
cmake --build build/release -j2 --target sonavue sonavue-help
if [[ $# -eq 0 ]]; then
  # With nothing to open, show the example recording as a sonogram: way 2
  # (Analyze File, "Scroll 2"), 0 to 10000 Hz, 5 seconds across the window.
  set -- 2 0 10000 5 "$PWD/examples/dawn-chorus.wav"
fi
exec build/release/bin/sonavue "$@"
