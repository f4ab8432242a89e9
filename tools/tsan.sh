#!/usr/bin/env bash
# Builds the tests of the thread-shared pieces (the input queue, the worker
# pool) with ThreadSanitizer in build/tsan (only those targets) and runs
# them. Exits 0 only when every test passes and no data race is reported.
# Extra arguments go to the tests (e.g. --gtest_filter=...).
# Usage: tools/tsan.sh [TEST ARGUMENTS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/tsan
if [[ ! -f $build/build.ninja ]]; then
  cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONAVUE_TSAN=ON \
    -DSONAVUE_BENCHMARKS=OFF >/dev/null
fi
cmake --build $build -j2 --target input_queue_tests worker_pool_tests >/dev/null

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
result=0
for test in input_queue_tests worker_pool_tests; do
  log=$build/$test.log
  status=0
  "$build/bin/$test" "$@" >"$log" 2>&1 || status=$?
  # Some kernels place memory where ThreadSanitizer cannot shadow it; without
  # address-space randomisation it can.
  if [[ $status -ne 0 ]] && grep -q "unexpected memory mapping" "$log" && command -v setarch >/dev/null; then
    status=0
    setarch "$(uname -m)" -R "$build/bin/$test" "$@" >"$log" 2>&1 || status=$?
  fi
  cat "$log"
  if grep -q "WARNING: ThreadSanitizer" "$log"; then
    echo "tsan: data race reported in $test" >&2
    status=1
  fi
  [[ $status -eq 0 ]] || result=$status
done
exit $result
