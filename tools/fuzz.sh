#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS seconds
# from the seed corpus in fuzz/corpus/. Prints one line per target and a
# summary; exits 0 only when no target crashed.
#   --build DIR   build (and keep the working corpus) in DIR, default build/fuzz
#   --no-install  install nothing; exit 77 (skipped) when clang is missing.
#                 The test run uses this: test.sh has installed what it needs.
# Usage: tools/fuzz.sh [--build DIR] [--no-install] SECONDS [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/fuzz
install=1
while [[ $# -gt 0 && "$1" == --* ]]; do
  case "$1" in
    --build) build=${2:?}; shift 2 ;;
    --no-install) install=0; shift ;;
    *) echo "usage: tools/fuzz.sh [--build DIR] [--no-install] SECONDS [TARGET...]" >&2; exit 2 ;;
  esac
done
seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [[ "$seconds" -lt 1 ]]; then
  echo "usage: tools/fuzz.sh [--build DIR] [--no-install] SECONDS [TARGET...]" >&2
  exit 2
fi
shift || true

if [[ $install -eq 1 ]]; then
  scripts/install-deps.sh --fuzz
elif ! command -v clang++-14 >/dev/null || ! command -v clang-14 >/dev/null; then
  echo "fuzz: clang-14 is not installed; skipped" >&2
  exit 77
fi
if [[ ! -f $build/build.ninja ]]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSONAVUE_SANITIZE=ON -DSONAVUE_FUZZ=ON -DSONAVUE_TESTS=OFF -DSONAVUE_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link -fsanitize-coverage-ignorelist=$PWD/fuzz/coverage-ignore.txt" >/dev/null
fi
targets=(wave_header_analyze wave_header_scan wave_convert_8bit wave_convert_float ultrasound_rate
         settings_record snapshot_files calibration_record cli_options number_text)
if [[ $# -gt 0 ]]; then targets=("$@"); fi
cmake --build $build -j2 --target "${targets[@]/#/fuzz_}" >/dev/null

# Files a target writes stay in the build folder too.
mkdir -p "$build/tmp"
export TMPDIR=$(cd "$build/tmp" && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
total_runs=0
total_crashes=0
for target in "${targets[@]}"; do
  work=$build/corpus/$target
  artifacts=$build/artifacts/$target
  mkdir -p "$work" "$artifacts"
  [[ -d fuzz/corpus/$target ]] && cp -n fuzz/corpus/$target/* "$work"/ 2>/dev/null || true
  log=$build/$target.log
  status=0
  "$build/bin/fuzz_$target" "$work" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" -max_len=20000 -timeout=10 -rss_limit_mb=2048 -close_fd_mask=2 >"$log" 2>&1 || status=$?
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' | tail -n 1)
  runs=${runs:-0}
  crashes=$(find "$artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  if [[ $status -ne 0 && $crashes -eq 0 ]]; then crashes=1; fi
  echo "$target: $runs executions, $crashes crashes"
  total_runs=$((total_runs + runs))
  total_crashes=$((total_crashes + crashes))
  if [[ $crashes -ne 0 ]]; then tail -n 40 "$log" >&2; fi
done
echo "fuzz: ${#targets[@]} targets, $total_runs executions, $total_crashes crashes"
[[ $total_crashes -eq 0 ]]
