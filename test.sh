#!/usr/bin/env bash
# Builds Sonavue with AddressSanitizer and UndefinedBehaviorSanitizer
# (installing what it needs) and runs every test through CTest on the
# offscreen Qt platform. Exits with CTest's status.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --tests
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSONAVUE_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j2
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build/sanitize
exec ctest --output-on-failure -j2 "$@"
