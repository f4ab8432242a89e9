#!/usr/bin/env bash
# A real sound card without hardware: a PulseAudio server with a null sink,
# a 1 kHz tone played into it, and sonavue-cli listening to the sink's
# monitor through PortAudio's default input. Exits 77 (skipped) where no
# server can run here.
# Usage: real_device_test.sh SONAVUE_CLI
set -u
cli=$1
source "$(dirname "$0")/pulse_env.sh"

# Ten seconds of a 1 kHz tone at half scale, played in a loop meanwhile.
python3 - "$work/tone.wav" <<'PY'
import math, struct, sys
rate = 48000
data = b"".join(struct.pack("<h", int(16384 * math.sin(2 * math.pi * 1000 * i / rate))) for i in range(rate * 10))
fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
body = b"WAVE" + b"fmt " + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", len(data)) + data
open(sys.argv[1], "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY
paplay "$work/tone.wav" &
background+=($!)
sleep 0.5

out=$(ASAN_OPTIONS=detect_leaks=0 "$cli" listen 5 2>"$work/cli.err")
status=$?
echo "$out"
if [[ $status -ne 0 ]]; then
  quiet_errors "$work/cli.err"
  grep -q "Cannot Open Audio Device" "$work/cli.err" && skip "PortAudio found no input device on the server"
  echo "FAILED: sonavue-cli listen exited $status"
  exit 1
fi
peak=$(sed -n 's/^peak_hz=//p' <<<"$out")
level=$(sed -n 's/^level_db=//p' <<<"$out")
python3 - "$peak" "$level" <<'PY'
import sys
peak, level = float(sys.argv[1]), float(sys.argv[2])
ok = abs(peak - 1000.0) <= 6.0 and level > 60.0
print(("PASSED" if ok else "FAILED") + f": peak {peak} Hz, level {level} dB")
sys.exit(0 if ok else 1)
PY
