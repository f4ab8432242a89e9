#!/usr/bin/env bash
# Builds Sonavue with AddressSanitizer and UndefinedBehaviorSanitizer
# (installing what it needs), builds the Release configuration with every
# warning an error (the optimiser finds warnings a Debug build does not;
# tests and benchmarks included), and runs every test of the sanitizer
# build through CTest on the offscreen Qt platform. Exits with CTest's
# status, or at the first build that fails.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --tests
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSONAVUE_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j2
cmake -S . -B build/release-werror -G Ninja -DCMAKE_BUILD_TYPE=Release -DSONAVUE_WERROR=ON >/dev/null
cmake --build build/release-werror -j2
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build/sanitize
exec ctest --output-on-failure -j2 "$@"
