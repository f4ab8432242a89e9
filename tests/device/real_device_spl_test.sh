#!/usr/bin/env bash
# The SPL calibration on a real sound card without hardware: through a
# PulseAudio null sink, a 1 kHz tone at −20 dBFS is calibrated to 94 dB SPL
# with sonavue-cli calibrate; the same tone 6 dB lower must then read
# 88 dB SPL within 0.3 dB in sonavue-cli listen. Exits 77 (skipped) where
# no server can run here.
# Usage: real_device_spl_test.sh SONAVUE_CLI
set -u
cli=$1
source "$(dirname "$0")/pulse_env.sh"

# The companion keeps its settings beside itself: a private copy, so that
# the calibration lands in this test's folder and nowhere else.
mkdir -p "$work/bin"
cp "$cli" "$work/bin/sonavue-cli"
cli=$work/bin/sonavue-cli
pactl set-sink-volume sonavue_null 100%
pactl set-source-volume sonavue_null.monitor 100%

# Twenty seconds of a 1 kHz tone, amplitude 32767 × 10^(dB/20).
tone() {
  python3 - "$1" "$2" <<'PY'
import math, struct, sys
path, db = sys.argv[1], float(sys.argv[2])
rate = 48000
amplitude = 32767 * 10 ** (db / 20)
data = b"".join(struct.pack("<h", round(amplitude * math.sin(2 * math.pi * 1000 * i / rate))) for i in range(rate * 20))
fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
body = b"WAVE" + b"fmt " + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", len(data)) + data
open(path, "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY
}
tone "$work/cal.wav" -20
tone "$work/lower.wav" -26

run() {  # run NAME ARGS…: the companion's output, or the test's end
  local name=$1
  shift
  out=$(ASAN_OPTIONS=detect_leaks=0 "$cli" "$@" 2>"$work/$name.err")
  local status=$?
  echo "$out"
  if [[ $status -ne 0 ]]; then
    quiet_errors "$work/$name.err"
    grep -q "Cannot Open Audio Device" "$work/$name.err" && skip "PortAudio found no input device on the server"
    echo "FAILED: sonavue-cli $* exited $status"
    exit 1
  fi
}

paplay "$work/cal.wav" &
player=$!
background+=($player)
sleep 0.7
run calibrate calibrate spl --level 94 --seconds 3
kill "$player" 2>/dev/null
wait "$player" 2>/dev/null
[[ -f "$work/bin/sonv16.ini" ]] || { echo "FAILED: no settings file was written"; exit 1; }

paplay "$work/lower.wav" &
background+=($!)
sleep 0.7
run listen listen 3
spl=$(sed -n 's/^spl_db=//p' <<<"$out")
python3 - "$spl" <<'PY'
import sys
if not sys.argv[1]:
    print("FAILED: listen reported no dB SPL after the calibration")
    sys.exit(1)
spl = float(sys.argv[1])
ok = abs(spl - 88.0) <= 0.3
print(("PASSED" if ok else "FAILED") + f": the tone 6 dB lower reads {spl} dB SPL (88 expected)")
sys.exit(0 if ok else 1)
PY
