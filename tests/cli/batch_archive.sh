#!/usr/bin/env bash
# An archive analysed the ways docs/archives.md describes, on this machine:
# sonavue-cli batch with --jobs 2, a rerun with --skip-existing after an
# image was lost, and the same files through GNU Parallel, one file per
# command sized against the same reference file. Every way makes the same
# images. Exits 77 (skipped) when GNU Parallel is not installed.
# Usage: batch_archive.sh SONAVUE_CLI
set -euo pipefail

cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Four short mono files, each a tone of its own length and pitch.
python3 - "$work" <<'PY'
import math, struct, sys, wave
for i in range(4):
    with wave.open(f"{sys.argv[1]}/rec{i}.wav", "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(48000)
        n = 48000 * (3 + i) // 3
        f = 1500.0 + 1200.0 * i
        w.writeframes(b"".join(struct.pack("<h", int(round(8000 * math.sin(2 * math.pi * f * t / 48000))))
                               for t in range(n)))
PY
files=("$work"/rec*.wav)
options=(--format png --legend --width 1200 --window 800x600)

fail() { echo "FAIL: $*" >&2; exit 1; }

"$cli" batch "${files[@]}" --out "$work/jobs" "${options[@]}" --jobs 2 || fail "batch --jobs 2"
for f in "${files[@]}"; do
  image="$work/jobs/$(basename "${f%.wav}").png"
  [[ -s $image ]] || fail "no image $image"
  [[ $(head -c 4 "$image" | od -An -c | tr -d ' ') == '211PNG' ]] || fail "$image is no PNG file"
done

# A resumed run writes only the image that is missing.
keep=$(stat -c '%i %Y %s' "$work/jobs/rec0.png" "$work/jobs/rec2.png" "$work/jobs/rec3.png")
cp "$work/jobs/rec1.png" "$work/rec1.before"
rm "$work/jobs/rec1.png"
log=$("$cli" batch "${files[@]}" --out "$work/jobs" "${options[@]}" --jobs 2 --skip-existing 2>&1) ||
  fail "batch --skip-existing: $log"
[[ $(grep -c ': skipped' <<<"$log") -eq 3 ]] || fail "three files should be skipped: $log"
[[ $(stat -c '%i %Y %s' "$work/jobs/rec0.png" "$work/jobs/rec2.png" "$work/jobs/rec3.png") == "$keep" ]] ||
  fail "an existing image was written again"
cmp "$work/jobs/rec1.png" "$work/rec1.before" || fail "the rewritten image differs"

if ! command -v parallel >/dev/null 2>&1; then
  echo "GNU Parallel is not installed: its part is skipped"
  exit 77
fi
parallel --will-cite -j2 "$cli" batch {} --reference "${files[0]}" --out "$work/parallel" "${options[@]}" \
  ::: "${files[@]}" || fail "GNU Parallel run"
for f in "${files[@]}"; do
  name=$(basename "${f%.wav}").png
  cmp "$work/jobs/$name" "$work/parallel/$name" || fail "$name differs between --jobs and GNU Parallel"
done
echo "ok: ${#files[@]} images alike from --jobs 2, --skip-existing and GNU Parallel"
