#!/usr/bin/env bash
# Times `sonavue-cli levels` side by side with the FFTW floor (a minimal
# sonogram in C, shared/perf/sonogram_fftw.c) on the benchmark signals and
# prints medians and ratios of wall time, processor time and peak memory.
# Runs are interleaved (floor, levels, floor, levels, …) so that a busy
# machine slows both alike.
#
# Usage: bench/levels_vs_floor.sh PATH/TO/sonavue-cli [RUNS]
# Environment: SONV_BENCH_DIR (signals, default /tmp/sonv_bench),
#   SONV_PERF_DIR (the folder with sonogram_fftw.c and make_signals.sh,
#   default ../shared/perf beside the repository), SONV_FLOOR (the floor's
#   binary, default /tmp/sonogram_fftw, built when missing; needs libfftw3-dev).
set -euo pipefail
cli="${1:?usage: $0 PATH/TO/sonavue-cli [RUNS]}"
runs="${2:-5}"
here="$(cd "$(dirname "$0")" && pwd)"
perf="${SONV_PERF_DIR:-$here/../../shared/perf}"
signals="${SONV_BENCH_DIR:-/tmp/sonv_bench}"
floor="${SONV_FLOOR:-/tmp/sonogram_fftw}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if [[ ! -x $floor ]]; then
  cc -O3 -march=native -ffast-math -o "$floor" "$perf/sonogram_fftw.c" -lfftw3f -lm
fi
SONV_BENCH_DIR="$signals" bash "$perf/make_signals.sh" >/dev/null
wisdom="$work/fftwf.wisdom"
"$floor" "$signals/d_44k1_mono_3600s.wav" -n 1024 -hopms 10 -w "$wisdom" -o /dev/null >/dev/null 2>&1

# measure NAME COMMAND…: appends "wall cpu peakKB" of one run to $work/NAME.
measure() {
  local name="$1"; shift
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
    cat "$work/err" >&2; echo "failed: $*" >&2; exit 1; }
  awk '{ printf "%s %.3f %s\n", $1, $2 + $3, $4 }' "$work/time" >>"$work/$name"
}
# median NAME FIELD
median() {
  awk -v f="$2" '{ print $f }' "$work/$1" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
report() {  # report LABEL FLOOR OURS
  local fw fc fm ow oc om
  fw=$(median "$2" 1); fc=$(median "$2" 2); fm=$(median "$2" 3)
  ow=$(median "$3" 1); oc=$(median "$3" 2); om=$(median "$3" 3)
  awk -v l="$1" -v fw="$fw" -v fc="$fc" -v fm="$fm" -v ow="$ow" -v oc="$oc" -v om="$om" 'BEGIN {
    printf "%-34s floor %7.2f s wall %6.2f s cpu %7.0f MB | levels %7.2f s wall %6.2f s cpu %7.0f MB | ratio wall %.2f cpu %.2f\n",
      l, fw, fc, fm / 1024, ow, oc, om / 1024, ow / fw, oc / fc }'
}

hour="$signals/d_44k1_mono_3600s.wav"
stereo="$signals/b_48k_stereo_600s.wav"
common=(--fft 1024 --step 10 --rows 512)
for ((i = 0; i < runs; ++i)); do
  measure floor_hour "$floor" "$hour" -n 1024 -hopms 10 -w "$wisdom" -o /dev/null
  measure npy_hour "$cli" levels "$hour" "${common[@]}" --format npy --output "$work/out.npy"
  measure floor_stereo "$floor" "$stereo" -n 1024 -hopms 10 -w "$wisdom" -o /dev/null
  measure npy_stereo_left "$cli" levels "$stereo" "${common[@]}" --format npy --output "$work/out.npy"
  # Both channels, as the floor computes them: one run per channel.
  measure npy_stereo_both bash -c "'$cli' levels '$stereo' ${common[*]} --format npy --output '$work/l.npy' &&
                                   '$cli' levels '$stereo' ${common[*]} --channel right --format npy --output '$work/r.npy'"
  measure csv_hour "$cli" levels "$hour" "${common[@]}" --format csv --output "$work/out.csv"
done
echo "medians of $runs interleaved runs; $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg)"
report "levels npy, 1 h 44.1 kHz mono" floor_hour npy_hour
report "levels npy, 10 min 48 kHz stereo L" floor_stereo npy_stereo_left
report "levels npy, 10 min stereo L+R" floor_stereo npy_stereo_both
report "levels csv, 1 h 44.1 kHz mono" floor_hour csv_hour
