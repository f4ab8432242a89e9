#!/usr/bin/env bash
# Runs every performance measurement of docs/performance.md against a
# Release build: levels against the FFTW floor (ratios), Analyze File of the
# 10-minute stereo signal in a 1200-pixel plot, the live scan's budget, and
# the per-frame micro-benchmarks.
# Usage: bench/performance.sh [BUILD_DIR (default build/release)] [RUNS (default 5)]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"
runs="${2:-5}"
echo "== levels against the FFTW floor"
bench/levels_vs_floor.sh "$build/bin/sonavue-cli" "$runs"
echo "== Analyze File, 10 min 48 kHz stereo, 1200-pixel plot (target < 1.5 s)"
QT_QPA_PLATFORM=offscreen "$build/bin/bench_analyze" --benchmark_filter=Stereo10min 2>/dev/null |
  grep -E "Stereo10min.*(median|mean)"
echo "== Scan Input, N = 16384, 30 s (target < 1 % repeated, < 25 % of one core)"
QT_QPA_PLATFORM=offscreen "$build/bin/bench_scan" 30 2>/dev/null | grep "^scan:"
echo "== per frame"
"$build/bin/bench_fft" 2>/dev/null | grep -E "^BM_"
