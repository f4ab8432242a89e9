#!/usr/bin/env bash
# Fault scenarios against the built programs: disk full during a recording,
# an image export, a log, a conversion, a Save Wave and the settings save;
# read-only and vanished output folders; SIGKILL during a recording and
# during the settings save; a working folder that cannot be used at start;
# sound devices failing mid-stream (simulated, and a real sound server
# killed while recording). Each scenario checks that
# the program refuses with its own message (or carries on), that no file is
# left half written under its name, and that a recording is a valid WAV of
# what was written. "Bytes lost" counts audio that reached the recording
# file but that its header does not declare (a reader would never see it),
# audio the program reported as recorded that the file does not hold, and
# audio a killed recorder had received more than half a second before the
# kill that its file does not declare.
#
# A small file system is a size-limited tmpfs when this runs as root and
# may mount; otherwise the file size limit (ulimit -f) injects the write
# failure. A read-only folder is a read-only bind mount as root, else a
# folder without write permission. A scenario the machine cannot stage is
# skipped; when every one is, the exit status is 77.
#
# Ends with exactly one line: faults: T scenarios, F failures, L bytes lost
# Exit status 0 when F and L are 0.
# Usage: tools/faults.sh [BIN_DIR]   (default build/sanitize/bin)
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$here/build/sanitize/bin}" && pwd) || { echo "faults: no folder ${1:-}" >&2; exit 2; }
cli=$bin/sonavue-cli
saver=$bin/settings_saver
for program in "$cli" "$saver"; do
  [[ -x $program ]] || { echo "faults: $program is not built" >&2; exit 2; }
done
command -v python3 >/dev/null || { echo "faults: python3 is needed" >&2; exit 77; }

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
root=$(mktemp -d "${TMPDIR:-/tmp}/sonavue-faults.XXXXXX")
mounts=()
cleanup() {
  local m
  for ((m = ${#mounts[@]} - 1; m >= 0; m--)); do umount -l "${mounts[$m]}" 2>/dev/null; done
  chmod -R u+w "$root" 2>/dev/null
  rm -rf "$root"
}
trap cleanup EXIT
# The programs' own folders (settings, working folder) stay inside $root.
export HOME=$root/home XDG_CACHE_HOME=$root/home/.cache XDG_CONFIG_HOME=$root/home/.config
export XDG_RUNTIME_DIR=$root/runtime TMPDIR=$root/tmp
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"

# SONAVUE_FAULTS_NO_MOUNT=1 takes the way of a machine that cannot mount.
can_mount=0
if [[ $(id -u) -eq 0 && -z ${SONAVUE_FAULTS_NO_MOUNT:-} ]]; then
  mkdir -p "$root/probe"
  if mount -t tmpfs -o size=64k tmpfs "$root/probe" 2>/dev/null; then
    can_mount=1
    umount "$root/probe"
  fi
fi

scenarios=0
failures=0
lost=0
skipped=0
current=""
failed_now=0
begin() { current=$1; failed_now=0; scenarios=$((scenarios + 1)); }
fail() { echo "FAIL $current: $*" >&2; failed_now=1; }
end() {
  if [[ -n ${SONAVUE_FAULTS_VERBOSE:-} && -s $root/err.txt ]]; then sed 's/^/     | /' "$root/err.txt"; : >"$root/err.txt"; fi
  if [[ $failed_now -ne 0 ]]; then failures=$((failures + 1)); else echo "ok   $current"; fi
}
skip() { echo "skip $current: $*"; scenarios=$((scenarios - 1)); skipped=$((skipped + 1)); }

# small_fs DIR KB: a file system of KB kilobytes at DIR. Without mounting,
# DIR is an ordinary folder and limited_run applies the size as ulimit -f.
limit_kb=0
small_fs() {
  mkdir -p "$1"
  if [[ $can_mount -eq 1 ]]; then
    mount -t tmpfs -o "size=${2}k" tmpfs "$1" && mounts+=("$1")
    limit_kb=0
  else
    limit_kb=$2
  fi
}
# Runs a command with the file size limit of the last small_fs (if any);
# SIGXFSZ is ignored so that a write past it fails as on a full disk.
limited_run() {
  if [[ $limit_kb -gt 0 ]]; then
    (trap '' XFSZ; ulimit -f "$limit_kb"; exec "$@")
  else
    "$@"
  fi
}
# readonly_dir DIR: a folder nobody may write into. False when this
# machine cannot make one (root without mount).
readonly_dir() {
  mkdir -p "$1"
  if [[ $can_mount -eq 1 ]]; then
    mount --bind "$1" "$1" && mounts+=("$1") && mount -o remount,bind,ro "$1"
  elif [[ $(id -u) -ne 0 ]]; then
    chmod -R a-w "$1"
  else
    return 1
  fi
}
# Fills the file system of DIR to the last byte.
fill_fs() {
  dd if=/dev/zero of="$1/filler" bs=4k 2>/dev/null
  dd if=/dev/zero of="$1/filler2" bs=1 2>/dev/null
  return 0
}
# Whether FOLDER holds exactly the names given (sorted), nothing else.
holds_only() {
  local folder=$1
  shift
  local have want
  have=$(cd "$folder" && ls -A | sort | tr '\n' ' ')
  want=$(printf '%s\n' "$@" | sed '/^$/d' | sort | tr '\n' ' ')
  [[ "$have" == "$want" ]] || { fail "$folder holds [$have], expected [$want]"; return 1; }
}

# A WAV's check: prints "ok DECLARED UNDECLARED" or "bad REASON".
wav_check() {
  python3 - "$1" <<'PY'
import struct, sys
path = sys.argv[1]
try:
    data = open(path, "rb").read()
except OSError as e:
    print("bad unreadable", e); sys.exit()
if len(data) < 12 or data[:4] != b"RIFF" or data[8:12] != b"WAVE":
    print("bad not a RIFF WAVE file"); sys.exit()
riff = struct.unpack_from("<I", data, 4)[0]
pos, fmt, start, declared = 12, None, None, None
while pos + 8 <= len(data):
    cid, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
    if cid == b"fmt ":
        fmt = struct.unpack_from("<HHIIHH", data, pos + 8)
    if cid == b"data":
        start, declared = pos + 8, size
        break
    pos += 8 + size + (size & 1)
if fmt is None or start is None:
    print("bad no fmt or data chunk"); sys.exit()
align = fmt[4]
held = len(data) - start
if declared > held:
    print("bad header declares %d data bytes, the file holds %d" % (declared, held)); sys.exit()
if align == 0 or declared % align != 0:
    print("bad data length %d is not whole frames of %d" % (declared, align)); sys.exit()
if riff != start - 8 + declared:
    print("bad RIFF length %d, expected %d" % (riff, start - 8 + declared)); sys.exit()
# Bytes past the declared data are audio a reader never sees (a part frame
# is not audio and not counted).
undeclared = held - declared
if undeclared < align:
    undeclared = 0
print("ok", declared, undeclared)
PY
}
# Checks a recording: valid, at least MIN data bytes; adds undeclared audio
# to the bytes lost, and audio the program reported but the file lacks.
check_recording() {
  local file=$1 min=$2 reported=${3:-}
  local result
  result=$(wav_check "$file")
  set -- $result
  if [[ $1 != ok ]]; then fail "$file: ${result#bad }"; return; fi
  local declared=$2 undeclared=$3
  if [[ $undeclared -gt 0 ]]; then
    fail "$file: $undeclared bytes of audio past the declared data"
    lost=$((lost + undeclared))
  fi
  if [[ $declared -lt $min ]]; then fail "$file: only $declared data bytes, expected at least $min"; fi
  if [[ -n $reported ]]; then
    local size
    size=$(stat -c %s "$file")
    if [[ $reported -gt $size ]]; then
      fail "$file: reported $reported bytes, the file holds $size"
      lost=$((lost + reported - size))
    fi
  fi
  echo "     $file: $declared data bytes"
}
# The bytes= of the recorder's line for FILE in OUTPUT, if any.
reported_bytes() { sed -nE "s#^recording=$2 seconds=[0-9.]+ bytes=([0-9]+)\$#\\1#p" "$1" | tail -n 1; }

# The input of the analysis scenarios: a short 8 kHz tone.
python3 - "$root/in.wav" <<'PY'
import math, struct, sys
rate, n = 8000, 8000
samples = b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * 1000 * i / rate))) for i in range(n))
head = b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
open(sys.argv[1], "wb").write(head + b"data" + struct.pack("<I", len(samples)) + samples)
PY
in=$root/in.wav
# A second of 48 kHz mono float samples: 192000 bytes once converted.
python3 - "$root/float.wav" <<'PY'
import math, struct, sys
rate = 48000
samples = b"".join(struct.pack("<f", 0.3 * math.sin(2 * math.pi * 1000 * i / rate)) for i in range(rate))
head = b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 3, 1, rate, rate * 4, 4, 32)
open(sys.argv[1], "wb").write(head + b"data" + struct.pack("<I", len(samples)) + samples)
PY
analyze=("$cli" analyze "$in" --window 400x300)
tone=tone:1000:8000

# ---- recordings ----------------------------------------------------------

begin record_disk_full
dir=$root/record-full
small_fs "$dir" 200
status=0
SONAVUE_SIMULATED_INPUT=$tone limited_run "$cli" record "$dir/rec.wav" --seconds 8 \
  >"$root/out.txt" 2>"$root/err.txt" || status=$?
[[ $status -eq 1 ]] || fail "exit status $status, expected 1"
grep -q "Cannot write the recording file" "$root/err.txt" || fail "no message: $(cat "$root/err.txt")"
[[ -f $dir/rec.wav ]] && check_recording "$dir/rec.wav" 44100 "$(reported_bytes "$root/out.txt" "$dir/rec.wav")" \
  || fail "no recording file"
end

begin record_killed
dir=$root/record-kill
mkdir -p "$dir"
# The recorder presses SAVE as its input starts, which creates the file:
# from the moment the file appears, the input reaches the program at 96000
# bytes a second. It is killed at a random moment 0.8 to 3.6 s into the
# first input buffer of 4 s or into the second, and the file must then
# declare all the audio that arrived up to half a second before the kill
# (the moments are taken on this side, so that the recorder gets the
# benefit of any doubt). What it lacks counts as bytes lost.
ms_now() { echo $(($(date +%s%N) / 1000000)); }
SONAVUE_SIMULATED_INPUT=$tone "$cli" record "$dir/rec.wav" >/dev/null 2>"$root/err.txt" &
pid=$!
appeared=""
for _ in $(seq 3000); do
  if [[ -e $dir/rec.wav ]]; then appeared=$(ms_now); break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.01
done
if [[ -z $appeared ]]; then
  { kill -KILL "$pid"; wait "$pid"; } 2>/dev/null
  fail "no recording file"
else
  wait_ms=$(((RANDOM % 2) * 4000 + 800 + RANDOM % 2800))
  sleep "$((wait_ms / 1000)).$(printf %03d $((wait_ms % 1000)))"
  killed=$(ms_now)
  { kill -KILL "$pid"; wait "$pid"; } 2>/dev/null
  kill_margin_ms=500
  due=$(((killed - appeared - kill_margin_ms) * 96))
  ((due < 0)) && due=0
  due=$((due - due % 2))
  check_recording "$dir/rec.wav" 0
  read -r verdict declared _ <<<"$(wav_check "$dir/rec.wav")"
  if [[ $verdict == ok ]]; then
    echo "     killed $((killed - appeared)) ms after the file appeared; it holds $((declared / 96)) ms"
    if [[ $declared -lt $due ]]; then
      fail "the file holds $declared data bytes; $due had arrived ${kill_margin_ms} ms before the kill"
      lost=$((lost + due - declared))
    fi
  fi
fi
holds_only "$dir" rec.wav
end

# ---- image exports and logs ------------------------------------------------

# disk_full NAME KB OLD COMMAND...: COMMAND writes into a file system of KB
# kilobytes at $root/NAME that fills on the way. It must exit 1 with a
# message, leave the earlier file OLD (when named) exactly as it was, and
# leave nothing else behind.
disk_full() {
  local name=$1 kb=$2 old=$3 status=0
  shift 3
  begin "$name"
  small_fs "$root/$name" "$kb"
  [[ -z $old ]] || printf 'earlier %s' "$old" >"$root/$name/$old"
  limited_run "$@" >/dev/null 2>"$root/err.txt" || status=$?
  [[ $status -eq 1 ]] || fail "exit status $status, expected 1"
  [[ -s $root/err.txt ]] || fail "no message"
  if [[ -n $old ]]; then
    [[ "$(cat "$root/$name/$old")" == "earlier $old" ]] || fail "the earlier $old was changed"
  fi
  holds_only "$root/$name" $old
  end
}
disk_full image_disk_full 64 out.bmp "${analyze[@]}" -o "$root/image_disk_full/out.bmp"
disk_full image_jpeg_disk_full 16 "" "${analyze[@]}" -o "$root/image_jpeg_disk_full/out.jpg" --width 4000
disk_full log_disk_full 16 spectrum.txt \
  "$cli" levels "$in" --log-spectrum "$root/log_disk_full/spectrum.txt" --step 5
disk_full analyze_log_disk_full 16 "" \
  "${analyze[@]}" -o "$root/alog.bmp" --log-spectrum "$root/analyze_log_disk_full/spectrum.txt" --step 5

begin conversion_disk_full
# A float file is converted into a 16-bit working file before analysis;
# the working folder's file system fills on the way.
dir=$root/convert-full
small_fs "$dir" 64
chmod 700 "$dir"
status=0
XDG_RUNTIME_DIR=$dir limited_run "$cli" levels "$root/float.wav" >/dev/null 2>"$root/err.txt" || status=$?
[[ $status -eq 1 ]] || fail "exit status $status, expected 1"
[[ -s $root/err.txt ]] || fail "no message"
if [[ -d $dir/sonavue ]]; then holds_only "$dir/sonavue"; fi
end

# ---- output folders that cannot be written --------------------------------

# Each kind of output: what writes it (write_output KIND PATH) and the
# program's message when its folder cannot be written.
write_output() {
  case $1 in
    record) SONAVUE_SIMULATED_INPUT=$tone "$cli" record "$2" --seconds 2 ;;
    image) "${analyze[@]}" -o "$2" ;;
    log) "$cli" levels "$in" --log-spectrum "$2" ;;
  esac
}
declare -A output_name=([record]=rec.wav [image]=out.bmp [log]=spectrum.txt)
declare -A output_message=([record]="Cannot create the recording file" [image]="Cannot Open File"
                           [log]="Cannot Open File")
# refused KIND PATH: writing KIND to PATH exits 1 with the kind's message.
refused() {
  local status=0
  write_output "$1" "$2" >/dev/null 2>"$root/err.txt" || status=$?
  [[ $status -eq 1 ]] || fail "exit status $status, expected 1"
  grep -q "${output_message[$1]}" "$root/err.txt" || fail "no message: $(cat "$root/err.txt")"
}
for kind in record image log; do
  begin "${kind}_readonly_folder"
  dir=$root/$kind-ro
  if readonly_dir "$dir"; then
    refused "$kind" "$dir/${output_name[$kind]}"
    holds_only "$dir"
    end
  else
    skip "no read-only folder can be made here"
  fi

  begin "${kind}_vanished_folder"
  refused "$kind" "$root/gone/${output_name[$kind]}"
  [[ ! -e $root/gone ]] || fail "the vanished folder was made"
  end
done

# ---- the settings file -----------------------------------------------------

begin settings_disk_full
dir=$root/settings-full
small_fs "$dir" 64
limit_kb=0
"$saver" save "$dir" 5 || fail "the first save failed"
if [[ $can_mount -eq 1 ]]; then
  fill_fs "$dir"
  "$saver" save "$dir" 9
else
  (trap '' XFSZ; ulimit -f 4; exec "$saver" save "$dir" 9)
fi
rm -f "$dir/filler" "$dir/filler2"
[[ "$("$saver" load "$dir")" == "gain=5" ]] || fail "the settings are not the old ones: $("$saver" load "$dir")"
holds_only "$dir" sonv16.ini
end

begin settings_readonly_folder
dir=$root/settings-ro
mkdir -p "$dir"
"$saver" save "$dir" 5 || fail "the first save failed"
if readonly_dir "$dir"; then
  "$saver" save "$dir" 9
  [[ "$("$saver" load "$dir")" == "gain=5" ]] || fail "the settings are not the old ones"
  holds_only "$dir" sonv16.ini
  end
else
  skip "no read-only folder can be made here"
fi

begin settings_killed
dir=$root/settings-kill
mkdir -p "$dir"
for round in 1 2 3 4 5 6 7 8 9 10; do
  "$saver" loop "$dir" >"$root/loop.txt" &
  pid=$!
  for _ in $(seq 100); do [[ -s $root/loop.txt ]] && break; sleep 0.05; done
  sleep "0.0$((RANDOM % 10))"
  { kill -KILL "$pid"; wait "$pid"; } 2>/dev/null
  size=$(stat -c %s "$dir/sonv16.ini" 2>/dev/null || echo 0)
  loaded=$("$saver" load "$dir")
  if [[ $size -ne 17476 || ( $loaded != gain=7 && $loaded != gain=-7 ) ]]; then
    fail "round $round: a file of $size bytes that loads as $loaded"
    break
  fi
done
end

# ---- the working folder ----------------------------------------------------

begin working_folder_not_writable
dir=$root/working-ro
mkdir -p "$dir/cache" "$dir/runtime" "$dir/tmp"
chmod 700 "$dir/runtime"
if readonly_dir "$dir"; then
  status=0
  XDG_RUNTIME_DIR=$dir/runtime XDG_CACHE_HOME=$dir/cache TMPDIR=$dir/tmp \
    "$cli" levels "$in" >/dev/null 2>"$root/err.txt" || status=$?
  [[ $status -eq 1 ]] || fail "exit status $status, expected 1"
  grep -q "write temporary files" "$root/err.txt" || fail "no message: $(cat "$root/err.txt")"
  status=0
  XDG_RUNTIME_DIR=$dir/runtime XDG_CACHE_HOME=$dir/cache TMPDIR=$dir/tmp SONAVUE_SIMULATED_INPUT=$tone \
    "$cli" record "$root/never.wav" --seconds 1 >/dev/null 2>"$root/err.txt" || status=$?
  [[ $status -eq 1 ]] || fail "record: exit status $status, expected 1"
  grep -q "write temporary files" "$root/err.txt" || fail "record: no message: $(cat "$root/err.txt")"
  [[ ! -e $root/never.wav ]] || fail "record made a file without a working folder"
  end
else
  skip "no read-only folder can be made here"
fi

begin working_folder_full
dir=$root/working-full
if [[ $can_mount -eq 1 ]]; then
  small_fs "$dir" 64
  mkdir -p "$dir/cache" "$dir/tmp"
  fill_fs "$dir"
  status=0
  env -u XDG_RUNTIME_DIR XDG_CACHE_HOME=$dir/cache TMPDIR=$dir/tmp \
    "${analyze[@]}" -o "$root/work-full.bmp" >/dev/null 2>"$root/err.txt" || status=$?
  # Either the program works without the space or refuses with its message.
  if [[ $status -eq 0 ]]; then
    [[ -s $root/work-full.bmp ]] || fail "exit 0 without the image"
  elif [[ $status -eq 1 ]]; then
    [[ -s $root/err.txt ]] || fail "exit 1 without a message"
  else
    fail "exit status $status: $(tail -n 5 "$root/err.txt")"
  fi
  end
else
  skip "no small file system can be mounted here"
fi

# ---- Save Wave ---------------------------------------------------------------

# The window's Save Wave has no command of the companion: its scenarios are
# test cases of the test programs (built beside sonavue-cli), run one by one.
# gtest_scenario PROGRAM FILTER: the case passes; skipped where the program
# is not built or the case skips itself (it mounts its own small disk).
gtest_scenario() {
  local program=$bin/$1 filter=$2 status=0
  if [[ ! -x $program ]]; then skip "$1 is not built"; return; fi
  "$program" --gtest_filter="$filter" >"$root/gtest.txt" 2>&1 || status=$?
  if grep -q "^\[  SKIPPED \]" "$root/gtest.txt"; then
    skip "$(grep -m1 -A1 "Skipped" "$root/gtest.txt" | tail -n 1)"
    return
  fi
  grep -q "^\[  PASSED  \] 1 test" "$root/gtest.txt" || fail "$(grep -E "Failure|FAILED|Expected|Which is|error" "$root/gtest.txt" | head -n 8)"
  [[ $status -eq 0 ]] || fail "exit status $status"
  end
}

begin save_wave_disk_full
# Save Wave onto a 64 KB disk: the old file stays whole, the user is told,
# nothing else is left there.
gtest_scenario audio_tests "SaveWaveFullDiskTest.AFailedWriteSaysWhyAndLeavesTheOldFile"

# ---- sound devices that fail -------------------------------------------------

# The simulated devices failing mid-stream, in the window's engines: each a
# case of the engine tests (scenario name, then the case).
device_cases=(
  input_fails_mid_scan DeviceFailureTest.AnInputFailingMidScanStopsItAsStopDoesAndSaysWhy
  input_fails_mid_recording DeviceFailureTest.ARecordingKeepsEveryFrameDeliveredBeforeTheFailure
  input_fails_mid_triggered_recording DeviceFailureTest.ATriggeredRecordingEndsWithTheLastFrameDelivered
  output_fails_mid_scan_file OutputFailureTest.AnOutputFailingMidScanFileEndsItAsStopDoes
  output_fails_mid_play OutputFailureTest.AnOutputFailingMidPlayEndsItAsStopDoes
)
for ((i = 0; i < ${#device_cases[@]}; i += 2)); do
  begin "${device_cases[$i]}"
  gtest_scenario engine_tests "${device_cases[$((i + 1))]}"
done

begin record_input_fails
# sonavue-cli record on a simulated input that goes away after 100003
# frames: exit 1 with the message, and the file holds every frame from the
# SAVE at the start to the last one delivered.
dir=$root/record-input-fails
mkdir -p "$dir"
status=0
SONAVUE_SIMULATED_INPUT=$tone SONAVUE_SIMULATED_INPUT_FAIL=100003 "$cli" record "$dir/rec.wav" --seconds 30 \
  >"$root/out.txt" 2>"$root/err.txt" || status=$?
[[ $status -eq 1 ]] || fail "exit status $status, expected 1"
grep -q "Audio Input Device Failed" "$root/err.txt" || fail "no message: $(cat "$root/err.txt")"
if [[ -f $dir/rec.wav ]]; then
  check_recording "$dir/rec.wav" $(((100003 - 48000) * 2)) "$(reported_bytes "$root/out.txt" "$dir/rec.wav")"
  declared=$(wav_check "$dir/rec.wav" | cut -d' ' -f2)
  [[ ${declared:-0} -le $((100003 * 2)) ]] || fail "$declared data bytes, more than the 200006 delivered"
else
  fail "no recording file"
fi
holds_only "$dir" rec.wav
end

begin record_device_lost
# The real sound server killed while sonavue-cli records from it (a private
# PulseAudio server with a null sink; skipped where none can run).
status=0
"$here/tests/device/real_device_lost_test.sh" "$cli" >"$root/lost.txt" 2>&1 || status=$?
if [[ $status -eq 77 ]]; then
  skip "$(grep -m1 SKIPPED "$root/lost.txt")"
else
  [[ $status -eq 0 ]] || fail "$(grep -E "FAILED|\|" "$root/lost.txt" | head -n 6)"
  grep "lost-device recording" "$root/lost.txt" | sed 's/^/     /'
  end
fi

if [[ $scenarios -eq 0 ]]; then
  echo "faults: 0 scenarios, 0 failures, 0 bytes lost"
  exit 77
fi
echo "faults: $scenarios scenarios, $failures failures, $lost bytes lost"
[[ $failures -eq 0 && $lost -eq 0 ]]
