#!/usr/bin/env bash
# A real sound device that goes away while the program uses it: sonavue-cli
# record runs on the private PulseAudio server's null sink while a tone
# plays into it, and the server is killed once the first input buffer has
# reached the file. The recorder must end by itself with its own message
# and exit status 1, and leave a valid WAV (header lengths matching its
# data) that holds at least that first buffer of the tone. Then, with the
# server started again, sonavue-cli play of a long file must end the same
# way when the server is killed mid-play.
# Exits 77 (skipped) where no server can run here.
# Usage: real_device_lost_test.sh SONAVUE_CLI [SIGNAL]   (SIGNAL: KILL, the
# default, or TERM for an orderly server exit)
set -u
cli=$1
signal=${2:-KILL}
source "$(dirname "$0")/pulse_env.sh"
python=/usr/bin/python3
$python -c "import numpy" 2>/dev/null || skip "python3-numpy is not installed"

# 60 s of a 1 kHz tone at -10 dBFS, played into the sink while the recorder runs.
$python - "$work/tone.wav" <<'PY'
import sys, wave
import numpy as np
rate = 48000
x = 10362 * np.sin(2 * np.pi * 1000 * np.arange(rate * 60) / rate)
w = wave.open(sys.argv[1], "wb")
w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
w.writeframes(np.round(x).astype("<i2").tobytes())
w.close()
PY
paplay "$work/tone.wav" &
background+=($!)

out=$work/lost.wav
"$cli" record "$out" >"$work/record.out" 2>"$work/record.err" &
recorder=$!
background+=($recorder)
# The first input buffer (4 s at 48 kHz, 16-bit mono: 384000 bytes) has
# reached the file.
for _ in $(seq 300); do
  [[ $(stat -c %s "$out" 2>/dev/null || echo 0) -ge 384068 ]] && break
  kill -0 "$recorder" 2>/dev/null || break
  sleep 0.1
done
if [[ $(stat -c %s "$out" 2>/dev/null || echo 0) -lt 384068 ]]; then
  kill "$recorder" 2>/dev/null
  quiet_errors "$work/record.err"
  grep -q "Cannot Open Audio Device" "$work/record.err" && skip "PortAudio found no input device on the server"
  echo "FAILED: the recorder did not record a first buffer"
  exit 1
fi
sleep 1.3

# The sound server goes away: the daemon this test started, named by its
# pid file.
kill_server() {
  local server
  server=$(cat "$PULSE_RUNTIME_PATH/pid" 2>/dev/null)
  [[ -n $server ]] && kill -0 "$server" 2>/dev/null || skip "the sound server's process cannot be found"
  kill "-$signal" "$server"
}
kill_server

# ends_by_itself WHAT PID ERR MESSAGE: the program WHAT (process PID,
# standard error in ERR) ends by itself within 20 s of the loss, with exit
# status 1 and MESSAGE. Counts what is wrong in failures.
failures=0
ends_by_itself() {
  local what=$1 pid=$2 err=$3 message=$4 status=
  for _ in $(seq 200); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      status=$?
      break
    fi
    sleep 0.1
  done
  if [[ -z $status ]]; then
    echo "FAILED: the $what still runs 20 s after the sound server went away"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    failures=$((failures + 1))
  elif [[ $status -ne 1 ]]; then
    echo "FAILED: $what exit status $status, expected 1"
    failures=$((failures + 1))
  fi
  grep -q "$message" "$err" || {
    echo "FAILED: the $what gave no message; it said:"
    quiet_errors "$err"
    failures=$((failures + 1))
  }
  quiet_errors "$err" | sed 's/^/  | /'
}
ends_by_itself recorder "$recorder" "$work/record.err" "Audio Input Device Failed"
cat "$work/record.out"

# The file: a complete WAV whose header matches its data, holding the tone.
$python - "$out" <<'PY' || failures=$((failures + 1))
import struct, sys
import numpy as np
data = open(sys.argv[1], "rb").read()
if len(data) < 68 or data[:4] != b"RIFF" or data[8:12] != b"WAVE":
    print("FAILED: not a RIFF WAVE file"); sys.exit(1)
riff = struct.unpack_from("<I", data, 4)[0]
fmt_len = struct.unpack_from("<I", data, 16)[0]
channels, rate = struct.unpack_from("<HI", data, 22)
align, bits = struct.unpack_from("<HH", data, 32)
at = 20 + fmt_len
if data[at:at + 4] != b"data":
    print("FAILED: no data chunk after fmt"); sys.exit(1)
length = struct.unpack_from("<I", data, at + 4)[0]
held = len(data) - at - 8
problems = []
if length != held: problems.append("data length %d for %d bytes held" % (length, held))
if riff != len(data) - 8: problems.append("RIFF length %d for a file of %d bytes" % (riff, len(data)))
if length % align: problems.append("a part sample frame")
if length < 384000: problems.append("only %d data bytes, less than the first buffer" % length)
if problems:
    print("FAILED:", "; ".join(problems)); sys.exit(1)
x = np.frombuffer(data[at + 8:at + 8 + length], "<i2").astype(float)
# The tone is there: its level within 1 dB of -10 dBFS over the first buffer.
first = x[48000:192000]
level = 20 * np.log10(np.sqrt(np.mean(first ** 2)) / 32768 * np.sqrt(2))
print("lost-device recording: %.3f s, tone at %.2f dBFS" % (length / align / rate, level))
if abs(level + 10) > 1:
    print("FAILED: the tone is at %.2f dBFS, not -10" % level); sys.exit(1)
PY

# The output: PLAY of 30 s through a new server (its own runtime folder,
# beside what is left of the first), which is killed 3 s in.
export PULSE_RUNTIME_PATH=$work/runtime/pulse2
start_sound_server
"$cli" play "$work/tone.wav" >"$work/play.out" 2>"$work/play.err" &
player=$!
background+=($player)
sleep 3
kill_server
ends_by_itself player "$player" "$work/play.err" "Audio Output Device Failed"

if [[ $failures -ne 0 ]]; then exit 1; fi
echo "PASSED"
