#!/usr/bin/env python3
"""Synthesises examples/dawn-chorus.wav: five seconds at 48 kHz, 16-bit mono.

A steady 1 kHz tone, a rising and falling whistle, a train of short downward
chirps like a small songbird's and a trill, over quiet noise. Deterministic:
the same bytes on every run.
"""
import math
import random
import struct
import sys

RATE = 48000
SECONDS = 5.0


def envelope(t, start, length, attack=0.005):
    """A raised-cosine burst: 0 outside [start, start + length]."""
    if t < start or t > start + length:
        return 0.0
    x = t - start
    if x < attack:
        return 0.5 - 0.5 * math.cos(math.pi * x / attack)
    if x > length - attack:
        return 0.5 - 0.5 * math.cos(math.pi * (length - x) / attack)
    return 1.0


def main(path):
    rng = random.Random(16)
    n = int(RATE * SECONDS)
    phase = {"whistle": 0.0, "chirp": 0.0, "trill": 0.0}
    out = bytearray()
    for i in range(n):
        t = i / RATE
        v = 0.0
        # A steady tone a sonogram shows as one line.
        v += 0.10 * math.sin(2 * math.pi * 1000.0 * t) * envelope(t, 0.2, 4.6, 0.05)
        # A whistle rising from 2 kHz to 4 kHz and back.
        f = 3000.0 - 1000.0 * math.cos(2 * math.pi * (t - 0.5) / 1.5)
        phase["whistle"] += 2 * math.pi * f / RATE
        v += 0.25 * math.sin(phase["whistle"]) * envelope(t, 0.5, 1.5, 0.05)
        # Eight short chirps falling from 7 kHz to 4 kHz.
        k = int((t - 2.2) / 0.18)
        if 0 <= k < 8:
            local = t - 2.2 - k * 0.18
            f = 7000.0 - 3000.0 * local / 0.09
            phase["chirp"] += 2 * math.pi * f / RATE
            v += 0.30 * math.sin(phase["chirp"]) * envelope(local, 0.0, 0.09, 0.004)
        # A trill: 5.5 kHz warbling at 25 Hz.
        f = 5500.0 + 400.0 * math.sin(2 * math.pi * 25.0 * t)
        phase["trill"] += 2 * math.pi * f / RATE
        v += 0.20 * math.sin(phase["trill"]) * envelope(t, 3.8, 1.0, 0.02)
        # Quiet background noise.
        v += rng.gauss(0.0, 0.004)
        s = max(-32767, min(32767, int(round(v * 32767))))
        out += struct.pack("<h", s)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(out)) + out
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "examples/dawn-chorus.wav")
