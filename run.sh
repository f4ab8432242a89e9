#!/usr/bin/env bash
# Builds a release build of Sonavue (installing what it needs) and starts it
# with the arguments given.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DSONAVUE_TESTS=OFF -DSONAVUE_BENCHMARKS=OFF >/dev/null
cmake --build build/release -j2 --target sonavue sonavue-help
exec build/release/bin/sonavue "$@"
