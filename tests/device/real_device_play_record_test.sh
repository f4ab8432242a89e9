#!/usr/bin/env bash
# Playback and recording through a real sound card without hardware: a
# private PulseAudio server with a null sink. sonavue-cli play plays a file
# the project has never seen (a random chirp with noise) through the
# window's own player while the sink's monitor is recorded; the recording
# must hold the file (cross-correlation, level within 0.1 dB). Then
# sonavue-cli record --trigger must capture a tone burst played into the
# sink: it starts at the burst and its header lengths match its data.
# Exits 77 (skipped) where no server can run here.
# Usage: real_device_play_record_test.sh SONAVUE_CLI
set -u
cli=$1
source "$(dirname "$0")/pulse_env.sh"
here=$(cd "$(dirname "$0")/../.." && pwd)
python=/usr/bin/python3
$python -c "import numpy" 2>/dev/null || skip "python3-numpy is not installed"
command -v parecord >/dev/null || skip "parecord (pulseaudio-utils) is not installed"
failures=0

$python - "$work/never-seen.wav" "$work/burst.wav" <<'PY'
import sys, wave
import numpy as np
rate = 48000
rng = np.random.default_rng()
t = np.arange(rate * 3) / rate
f0, f1 = rng.uniform(200, 2000), rng.uniform(2000, 9000)
x = 7000 * np.sin(2 * np.pi * (f0 + (f1 - f0) * t / 6) * t) + 1500 * rng.standard_normal(len(t))
def write(path, samples):
    w = wave.open(path, "wb")
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
    w.writeframes(np.clip(np.round(samples), -32767, 32767).astype("<i2").tobytes())
    w.close()
write(sys.argv[1], x)
# 2 s of faint noise, a 1.5 s 1 kHz burst at -10 dBFS, 4 s of faint noise.
quiet = lambda s: 30 * rng.standard_normal(int(rate * s))
burst = 10362 * np.sin(2 * np.pi * 1000 * np.arange(int(rate * 1.5)) / rate)
write(sys.argv[2], np.concatenate([quiet(2), burst, quiet(4)]))
PY

# 1. PLAY through the window's player, heard at the sink's monitor.
parecord --device=sonavue_null.monitor --rate=48000 --channels=1 --format=s16le --file-format=wav \
  "$work/heard.wav" &
recorder=$!
background+=($recorder)
wait_for_recorders 1 || skip "parecord did not start recording"
sleep 0.5
out=$("$cli" play "$work/never-seen.wav" 2>"$work/play.err")
status=$?
sleep 0.5
kill -INT "$recorder"; wait "$recorder" 2>/dev/null
echo "$out"
if [[ $status -ne 0 ]]; then
  quiet_errors "$work/play.err"
  grep -q "Drag Select a Smaller Time Segment" "$work/play.err" && skip "PortAudio found no output device on the server"
  echo "FAILED: sonavue-cli play exited $status"
  failures=$((failures + 1))
else
  # The player stops 0.1 s before the end; compare what it played.
  $python "$here/tools/compare_recording.py" "$work/never-seen.wav" "$work/heard.wav" --min-seconds 2 ||
    failures=$((failures + 1))
fi

# 2. A triggered recording of a burst played into the sink.
"$cli" record "$work/triggered.wav" --trigger -30 --seconds 9 >"$work/record.out" 2>"$work/record.err" &
recorder=$!
background+=($recorder)
wait_for_recorders 1 || { echo "FAILED: sonavue-cli record never opened the input"; exit 1; }
sleep 1
paplay "$work/burst.wav"
wait "$recorder"
status=$?
cat "$work/record.out"
if [[ $status -ne 0 || ! -s "$work/triggered.wav" ]]; then
  quiet_errors "$work/record.err"
  echo "FAILED: sonavue-cli record exited $status"
  failures=$((failures + 1))
else
  $python - "$work/triggered.wav" <<'PY' || failures=$((failures + 1))
import struct, sys
import numpy as np
data = open(sys.argv[1], "rb").read()
riff, = struct.unpack_from("<I", data, 4)
rate, = struct.unpack_from("<I", data, 24)
data_len, = struct.unpack_from("<I", data, 64)
x = np.frombuffer(data[68:], dtype="<i2").astype(float)
ok_header = riff == len(data) - 8 and data_len == len(data) - 68
seconds = len(x) / rate
# The recording starts at the burst: its first 50 ms are already loud.
head_rms = np.sqrt(np.mean(x[: rate // 20] ** 2)) if len(x) else 0
# It ends about 2 s after the burst (the trigger's hold), so it lasts
# roughly the burst plus the hold.
ok_length = 2.5 <= seconds <= 4.5
ok_start = head_rms > 2000
print(f"{'PASSED' if ok_header and ok_length and ok_start else 'FAILED'}: triggered recording "
      f"{seconds:.3f} s, header lengths {'match' if ok_header else 'do not match'} the data, "
      f"first 50 ms at RMS {head_rms:.0f}")
sys.exit(0 if ok_header and ok_length and ok_start else 1)
PY
fi
[[ $failures -eq 0 ]] && echo "PASSED: play and triggered record through the sound server" || exit 1
