#!/usr/bin/env bash
# The whole night: the soak test for 250 minutes of virtual time (past the
# live scan's four-hour limit) and the input storm for 10,000 events, on a
# built test tree (default build/sanitize, so under AddressSanitizer and
# UndefinedBehaviorSanitizer). Every test run makes a short night and a
# short storm; this is the long form.
#   tools/soak.sh [BUILD_DIR] [STORM_SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/sanitize}
seed=${2:-1}
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cmake --build "$build" --target stress_tests >/dev/null
SONAVUE_SOAK_MINUTES=250 "$build/bin/stress_tests" --gtest_filter='SoakTest.*'
SONAVUE_STORM_EVENTS=10000 SONAVUE_STORM_SEED=$seed "$build/bin/stress_tests" --gtest_filter='StormTest.*'
