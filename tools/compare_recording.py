#!/usr/bin/python3
"""Compares a recording of a played file with the file itself.

usage: compare_recording.py REFERENCE.wav RECORDING.wav [--min-seconds S]

Finds where the reference lies in the recording by cross-correlation,
then over the overlapping stretch reports the normalised correlation and
the level difference (RMS, dB). Passes (exit 0) when the correlation is at
least 0.99, the level differs by at most 0.1 dB and at least S seconds
overlap (default 1).
"""
import sys
import wave

import numpy as np


def read(path):
    with wave.open(path, "rb") as w:
        rate, channels, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
        raw = w.readframes(w.getnframes())
    if width == 2:
        x = np.frombuffer(raw, dtype="<i2").astype(np.float64)
    elif width == 3:
        b = np.frombuffer(raw, dtype=np.uint8).reshape(-1, 3).astype(np.int32)
        x = ((b[:, 0] | (b[:, 1] << 8) | (b[:, 2] << 16)) << 8 >> 8).astype(np.float64) / 256.0
    else:
        raise SystemExit(f"{path}: {8 * width}-bit samples are not compared")
    return rate, x.reshape(-1, channels)[:, 0]


def main():
    args = sys.argv[1:]
    min_seconds = 1.0
    if "--min-seconds" in args:
        i = args.index("--min-seconds")
        min_seconds = float(args[i + 1])
        del args[i:i + 2]
    ref_rate, ref = read(args[0])
    rec_rate, rec = read(args[1])
    if ref_rate != rec_rate:
        raise SystemExit(f"rates differ: {ref_rate} and {rec_rate}")
    n = 1 << int(np.ceil(np.log2(len(ref) + len(rec))))
    corr = np.fft.irfft(np.fft.rfft(rec, n) * np.conj(np.fft.rfft(ref, n)), n)
    # Lags from -(len(ref) - 1) (the recording began after the reference
    # did) to len(rec) - 1 (it began before).
    lags = np.concatenate([np.arange(len(rec)), np.arange(-(len(ref) - 1), 0)])
    values = np.concatenate([corr[: len(rec)], corr[n - (len(ref) - 1) :]])
    lag = int(lags[int(np.argmax(values))])
    skip_ref, skip_rec = max(0, -lag), max(0, lag)
    length = min(len(ref) - skip_ref, len(rec) - skip_rec)
    a, b = ref[skip_ref : skip_ref + length], rec[skip_rec : skip_rec + length]
    # Leave out the ends, where a player may fade or stop early.
    cut = min(length // 10, ref_rate // 5)
    a, b = a[cut : length - cut], b[cut : length - cut]
    overlap = len(a) / ref_rate
    rho = float(np.dot(a, b) / np.sqrt(np.dot(a, a) * np.dot(b, b)))
    level = 20 * np.log10(np.sqrt(np.mean(b * b)) / np.sqrt(np.mean(a * a)))
    ok = rho >= 0.99 and abs(level) <= 0.1 and overlap >= min_seconds
    print(f"{'PASSED' if ok else 'FAILED'}: lag {lag / ref_rate:.3f} s, overlap {overlap:.2f} s, "
          f"correlation {rho:.5f}, level {level:+.3f} dB")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
