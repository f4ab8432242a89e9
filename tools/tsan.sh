#!/usr/bin/env bash
# Builds the threaded code's checks with ThreadSanitizer in build/tsan (only
# the targets they need) and runs them. Exits 0 only when every run passes
# and no data race is reported.
#   default  the tests of the thread-shared pieces (the input queue, the
#            worker pool; extra arguments go to them, e.g.
#            --gtest_filter=...); the tsan_input_queue test runs this
#   --all    also sonavue-cli record on the simulated input for a few
#            seconds: the device's producer thread, the input queue, the
#            GUI thread's waker and the message pump of a live scan, with
#            the recording written as it goes
# Usage: tools/tsan.sh [--all] [TEST ARGUMENTS]
set -euo pipefail
cd "$(dirname "$0")/.."
all=0
if [[ "${1:-}" == "--all" ]]; then
  all=1
  shift
fi
build=build/tsan
if [[ ! -f $build/build.ninja ]]; then
  cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONAVUE_TSAN=ON \
    -DSONAVUE_BENCHMARKS=OFF >/dev/null
fi
tests=(input_queue_tests worker_pool_tests)
targets=("${tests[@]}")
if [[ $all -eq 1 ]]; then targets+=(sonavue-cli); fi
cmake --build $build -j2 --target "${targets[@]}" >/dev/null

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan.supp ${TSAN_OPTIONS:-}"
# Runs a command into log; some kernels place memory where ThreadSanitizer
# cannot shadow it, and without address-space randomisation it can.
run() {
  local log=$1
  shift
  local status=0
  "$@" >"$log" 2>&1 || status=$?
  if [[ $status -ne 0 ]] && grep -q "unexpected memory mapping" "$log" && command -v setarch >/dev/null; then
    status=0
    setarch "$(uname -m)" -R "$@" >"$log" 2>&1 || status=$?
  fi
  cat "$log"
  if grep -q "WARNING: ThreadSanitizer" "$log"; then
    echo "tsan: data race reported in ${log##*/}" >&2
    return 1
  fi
  return $status
}

result=0
for test in "${tests[@]}"; do
  run "$build/$test.log" "$build/bin/$test" "$@" || result=1
done
if [[ $all -eq 1 ]]; then
  work=$(mktemp -d "$build/record.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  SONAVUE_SIMULATED_INPUT=burst:1000:8000:1000:2000 QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" \
    run "$build/record.log" "$build/bin/sonavue-cli" record "$work/rec.wav" --seconds 6 || result=1
  SONAVUE_SIMULATED_INPUT=burst:1000:8000:1000:2000 QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" \
    run "$build/trigger.log" "$build/bin/sonavue-cli" record "$work/trig.wav" --seconds 6 --trigger -40 || result=1
fi
exit $result
