#!/usr/bin/env python3
"""Compares `sonavue-cli levels` with the independent model in level_model.py.

Generates a few WAV files (tones over quiet noise, white noise, chirps; mono
16-bit and 24-bit, stereo), runs both on each file and scale, and reports per
scale the share of level codes within one code (a quarter decibel) of the
model, the share that match exactly and the largest difference.

Usage: compare_levels.py --cli PATH [--threshold PERCENT] [--keep DIR]
Exit status: 0 when every scale reaches the threshold (99.5 % by default),
1 otherwise, 2 when a run fails.
"""
import argparse
import csv
import io
import math
import os
import struct
import subprocess
import sys
import tempfile

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import level_model  # noqa: E402

SECONDS = 1.5


def write_wav(path, rate, bits, channels):
    """Writes channels (a list of float arrays in -1 ... 1) as integer PCM."""
    full = 32767 if bits == 16 else 8388607
    data = np.stack([np.clip(np.round(c * full), -full - 1, full) for c in channels], axis=1)
    data = data.astype(np.int64).reshape(-1)
    if bits == 16:
        body = data.astype("<i2").tobytes()
    else:
        u = (data & 0xFFFFFF).astype(np.uint32)
        body = np.stack([u & 0xFF, (u >> 8) & 0xFF, (u >> 16) & 0xFF], axis=1).astype(np.uint8).tobytes()
    block = len(channels) * bits // 8
    fmt = struct.pack("<HHIIHH", 1, len(channels), rate, rate * block, block, bits)
    riff = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(body)) + body
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(riff)) + riff)


def tones(rate, rng):
    t = np.arange(int(rate * SECONDS)) / rate
    v = (0.5 * np.sin(2 * np.pi * 440.0 * t) + 0.1 * np.sin(2 * np.pi * 3000.0 * t + 1.0)
         + 0.01 * np.sin(2 * np.pi * 12345.6 * t + 2.0))
    return v + rng.normal(0.0, 3e-4, t.size)


def noise(rate, rng):
    return rng.normal(0.0, 0.1, int(rate * SECONDS))


def linear_chirp(rate, rng, f1, f2):
    t = np.arange(int(rate * SECONDS)) / rate
    phase = 2 * np.pi * (f1 * t + (f2 - f1) * t * t / (2 * SECONDS))
    return 0.4 * np.sin(phase) + rng.normal(0.0, 1e-4, t.size)


def log_chirp(rate, rng, f1, f2):
    t = np.arange(int(rate * SECONDS)) / rate
    k = math.log(f2 / f1) / SECONDS
    phase = 2 * np.pi * f1 * (np.exp(k * t) - 1.0) / k
    return 0.3 * np.sin(phase) + rng.normal(0.0, 1e-4, t.size)


def make_files(folder):
    """The test files: name -> (path, channel count)."""
    rng = np.random.default_rng(12)
    files = {
        "tones-mono16-48k": (48000, 16, [tones(48000, rng)]),
        "noise-mono24-44k1": (44100, 24, [noise(44100, rng)]),
        "chirp-stereo16-48k": (48000, 16, [linear_chirp(48000, rng, 100.0, 20000.0),
                                          log_chirp(48000, rng, 50.0, 16000.0)]),
        "tones-stereo24-32k": (32000, 24, [tones(32000, rng), noise(32000, rng)]),
    }
    out = {}
    for name, (rate, bits, channels) in files.items():
        path = os.path.join(folder, name + ".wav")
        write_wav(path, rate, bits, channels)
        out[name] = (path, len(channels))
    return out


def cases(files):
    """(file name, channel, scale, extra options) of every comparison."""
    for name, (_, channels) in files.items():
        for channel in ("left", "right")[:channels]:
            yield name, channel, "linear", {}
            yield name, channel, "log", {"low": 50}
            yield name, channel, "oct3", {"low": 50}
    # Exact ratios of rate and resolution (whole window lengths).
    for resolution in (60, 75, 120):
        yield "tones-mono16-48k", "left", "linear", {"resolution": resolution, "rows": 200}
        yield "chirp-stereo16-48k", "right", "log", {"resolution": resolution, "low": 100}
        yield "chirp-stereo16-48k", "left", "oct3", {"resolution": resolution, "low": 100}


def run_cli(cli, path, channel, scale, options):
    args = [cli, "levels", path, "--scale", scale, "--channel", channel]
    for key, value in options.items():
        args += ["--" + key, str(value)]
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    done = subprocess.run(args, capture_output=True, text=True, env=env)
    if done.returncode != 0:
        raise RuntimeError("%s failed: %s" % (" ".join(args), done.stderr.strip()))
    rows = list(csv.reader(io.StringIO(done.stdout)))
    header = rows[0]
    first_code = header.index("r0")
    return np.array([[int(x) for x in row[first_code:]] for row in rows[1:]], dtype=np.int64)


def main(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--cli", required=True)
    p.add_argument("--threshold", type=float, default=99.5)
    p.add_argument("--keep", help="write the WAV files into this folder and keep them")
    p.add_argument("--verbose", action="store_true", help="one line per comparison")
    a = p.parse_args(argv)

    with tempfile.TemporaryDirectory() as scratch:
        folder = a.keep or scratch
        os.makedirs(folder, exist_ok=True)
        files = make_files(folder)
        totals = {}
        for name, channel, scale, options in cases(files):
            path = files[name][0]
            try:
                got = run_cli(a.cli, path, channel, scale, options)
            except RuntimeError as error:
                print(error, file=sys.stderr)
                return 2
            want = level_model.analyse(path, scale, options.get("rows", 400), options.get("low"),
                                       options.get("high"), 10.0, options.get("resolution"), None,
                                       0 if channel == "left" else 1)
            if got.shape != want.shape:
                print("%s %s %s %s: shape %s, model %s" % (name, channel, scale, options, got.shape,
                                                           want.shape), file=sys.stderr)
                return 2
            diff = np.abs(got - want)
            t = totals.setdefault(scale, [0, 0, 0, 0])
            t[0] += diff.size
            t[1] += int((diff <= 1).sum())
            t[2] += int((diff == 0).sum())
            t[3] = max(t[3], int(diff.max()))
            if a.verbose:
                print("%-20s %-5s %-6s %-28s within 1: %7.3f %%  exact: %7.3f %%  max %d"
                      % (name, channel, scale, options, 100.0 * (diff <= 1).mean(),
                         100.0 * (diff == 0).mean(), diff.max()))

    print("%-7s %9s %10s %9s %9s" % ("scale", "codes", "within 1", "exact", "max diff"))
    ok = True
    for scale in ("linear", "log", "oct3"):
        count, within, exact, largest = totals[scale]
        share = 100.0 * within / count
        ok = ok and share >= a.threshold
        print("%-7s %9d %9.3f%% %8.3f%% %9d" % (scale, count, share, 100.0 * exact / count, largest))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
