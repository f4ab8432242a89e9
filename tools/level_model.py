#!/usr/bin/env python3
"""An independent model of Sonavue's level analysis, for cross-checking.

It computes, for a WAV file, the level codes that an Analyze File analysis
gives every pixel column: samples in the 16-bit scale, a Hann window of the
length the frequency resolution sets, centred in the frame, the magnitude
spectrum, and one level code (quarter decibels per hertz) per display row on
the linear, logarithmic or one-third-octave scale, with averaging off.

It is deliberately written apart from the C++ code: the transform is numpy's
double-precision FFT, not the program's single-precision one, and only the
steps the analysis rules fix in single precision (the window duration, the
window correction, the row and hop steps) are carried in numpy.float32.
Small rounding differences therefore remain; comparisons allow one code.

Usage: level_model.py FILE [--rows R] [--low HZ] [--high HZ]
       [--scale linear|log|oct3] [--step MS] [--resolution HZ] [--fft N]
       [--channel left|right] [--gain DB]
prints "column,r0,r1,..." and one line of codes per column.
"""
import argparse
import math
import struct
import sys

import numpy as np

F32 = np.float32
LOWEST_BAND_EDGE_HZ = np.float32(14.2544)  # 16 Hz x 2^(-1/6), the lower edge of the 16 Hz third-octave band
TWO_PI_WINDOW = 6.28318530718  # the window's 2*pi, as the rules give it
FFT_SIZES = (512, 1024, 2048, 4096, 8192, 16384)


def round_half_away(x):
    """Rounds half away from zero (scalars or arrays); returns integers."""
    a = np.asarray(x, dtype=np.float64)
    r = np.sign(a) * np.floor(np.abs(a) + 0.5)
    return r.astype(np.int64) if r.ndim else int(r)


def round_half_up(x):
    return int(math.floor(x + 0.5))


class Wave:
    """The fields of a WAV file the analysis needs and its samples, interleaved."""

    def __init__(self, rate, channels, bits, samples):
        self.rate = rate
        self.channels = channels
        self.bits = bits
        self.samples = samples  # int64 array, interleaved, as stored


def read_wav(path):
    """Reads a plain or extensible PCM file of 16 or 24 bits."""
    with open(path, "rb") as f:
        data = f.read()
    if data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError("not a RIFF/WAVE file")
    pos = 12
    fmt = None
    body = None
    while pos + 8 <= len(data):
        ident = data[pos:pos + 4]
        length = struct.unpack_from("<I", data, pos + 4)[0]
        if ident.lower() == b"fmt ":
            fmt = data[pos + 8:pos + 8 + length]
        elif ident.lower() == b"data":
            body = data[pos + 8:pos + 8 + length]
            break
        pos += 8 + length
    if fmt is None or body is None:
        raise ValueError("no fmt or data chunk")
    tag, channels, rate = struct.unpack_from("<HHI", fmt, 0)
    bits = struct.unpack_from("<H", fmt, 14)[0]
    if tag not in (1, 0xFFFE) or bits not in (16, 24):
        raise ValueError("only 16-bit and 24-bit integer PCM is modelled")
    if bits == 16:
        count = len(body) // 2
        samples = np.frombuffer(body[:count * 2], dtype="<i2").astype(np.int64)
    else:
        count = len(body) // 3
        raw = np.frombuffer(body[:count * 3], dtype=np.uint8).reshape(count, 3).astype(np.int64)
        value = raw[:, 0] | (raw[:, 1] << 8) | (raw[:, 2] << 16)
        samples = np.where(value >= 1 << 23, value - (1 << 24), value)
    return Wave(rate, channels, bits, samples)


def to_numbers(samples, bits, gain_db):
    """Samples in the scale of 16-bit samples, after the gain setting.

    16-bit samples are limited to +-32767; 24-bit samples are divided by 256
    and not limited."""
    gain = 10.0 ** (-gain_db / 20.0)
    if bits == 16:
        return np.clip(samples * gain, -32767.0, 32767.0)
    return samples / 256.0 * gain


def window_length(fs, resolution_hz):
    """Window length in samples: fs x T / 1000 truncated, T = 1000 / R ms in single precision."""
    duration_ms = F32(1000.0) / F32(resolution_hz)
    return int(np.trunc(F32(F32(fs) * duration_ms) / F32(1000.0)))


def hann_window(n, fs, resolution_hz):
    """A Hann window of even length 2h centred on index n/2, zero elsewhere."""
    length = min(window_length(fs, resolution_hz), n)
    half = length // 2
    table = np.zeros(n)
    i = np.arange(-half, half)
    table[n // 2 + i] = 0.5 * np.cos(TWO_PI_WINDOW * i / (2 * half)) + 0.5
    return table


def magnitude_spectra(frames, window):
    """Magnitude spectra of the rows of frames: n/2 values each.

    Element 0 is the signed DC term, the last element the signed term at
    fs/2 (in place of the magnitude of bin n/2 - 1), all divided by n."""
    n = frames.shape[1]
    work = (frames * window).astype(np.float32).astype(np.float64)
    spectrum = np.fft.rfft(work, axis=1)
    a = np.abs(spectrum[:, :n // 2]) / n
    a[:, 0] = spectrum[:, 0].real / n
    a[:, n // 2 - 1] = spectrum[:, n // 2].real / n
    return a


def level_codes(power, n, fs, resolution_hz):
    """Quarter-dB codes of power measures; 0 where the power is 0 or less."""
    correction_db = F32(10.0 * math.log10(F32(F32(resolution_hz) * n / F32(fs))))
    p = np.asarray(power, dtype=np.float64)
    codes = np.zeros(p.shape, dtype=np.int64)
    positive = p > 0
    raw = 40.0 * np.log10(n * p[positive] / fs) + 4.0 * float(correction_db)
    codes[positive] = np.clip(round_half_away(raw), -32768, 32767)
    return codes


def linear_rows(v, n, fs, low_hz, high_hz, rows, resolution_hz):
    """Codes of rows spaced linearly: the mean power of each row's bins."""
    first_bin = low_hz / (fs / n)
    step = float(F32(n * (high_hz - low_hz) / (fs * rows)))
    width = round_half_away(step)
    last = n // 2 - 1
    out = np.zeros((v.shape[0], rows), dtype=np.int64)
    for m in range(rows):
        start = round_half_away(first_bin + m * step)
        if width > 1:
            bins = np.minimum(start + np.arange(width), last)
            power = np.mean(v[:, bins] ** 2, axis=1)
        else:
            power = v[:, min(start, last)] ** 2
        out[:, m] = level_codes(power, n, fs, resolution_hz)
    return out


def fine_bands(n, fs, bands_per_octave):
    """First bin and bin count of each fine band l = 0 ... M, in single precision."""
    step = F32(F32(math.log10(2.0)) / F32(bands_per_octave))
    log_f0 = F32(math.log10(LOWEST_BAND_EDGE_HZ))
    count_m = round_half_up(float(F32(F32(F32(math.log10(F32(fs) / F32(2.0))) - log_f0) / step)))
    edges = [F32(F32(n) * F32(10.0 ** float(F32(log_f0 + F32(l) * step)))) / F32(fs)
             for l in range(count_m + 1)]
    first = [round_half_up(float(e)) for e in edges]
    count = [0] * (count_m + 1)
    for l in range(1, count_m + 1):
        count[l - 1] = round_half_up(float(max(F32(0.0), F32(edges[l] - edges[l - 1] - F32(1.0))))) + 1
    count[count_m] = count[count_m - 1]
    return first, count, step, count_m


def band_rows(v, n, fs, low_hz, high_hz, rows, resolution_hz, scale):
    """Codes of rows spaced logarithmically, taken from the fine bands.

    The log scale takes the largest power of a band's bins, the third-octave
    scale their sum."""
    bands_per_octave = 30 if scale == "log" else 3
    first, count, step, count_m = fine_bands(n, fs, bands_per_octave)
    last = n // 2 - 1
    band_codes = np.zeros((v.shape[0], count_m + 1), dtype=np.int64)
    for l in range(count_m + 1):
        if count[l] < 1:
            continue
        bins = np.minimum(first[l] + np.arange(count[l]), last)
        powers = v[:, bins] ** 2
        power = powers.max(axis=1) if scale == "log" else powers.sum(axis=1)
        band_codes[:, l] = level_codes(power, n, fs, resolution_hz)

    log_low = F32(math.log10(low_hz))
    delta = F32((F32(math.log10(high_hz)) - log_low) / F32(rows - 1))
    f0 = LOWEST_BAND_EDGE_HZ

    def band_of_row(m):
        f = F32(10.0 ** float(F32(log_low + F32(m) * delta)))
        e = int(np.trunc(F32(F32(math.log10(F32(f / f0))) / step)))
        return max(0, min(count_m - 1, e))

    out = np.zeros((v.shape[0], rows), dtype=np.int64)
    for m in range(rows):
        e = band_of_row(m)
        f = band_of_row(m + 1)
        if f - e > 1:
            out[:, m] = band_codes[:, e:f + 1].max(axis=1)
        else:
            out[:, m] = band_codes[:, e]
    return out


def automatic_resolution(low_hz, high_hz, fs, step_ms, rows, scale):
    """The resolution a sonogram chooses by itself."""
    if scale in ("log", "oct3"):
        return 20.0
    r = max(1000.0 / (12.0 * step_ms), (high_hz - low_hz) / min(rows, 500))
    return min(r, fs * 10.0 / 512.0)


def fft_size_for(fs, resolution_hz):
    """The smallest FFT size whose bin width b satisfies b <= R <= 5 b."""
    r = min(max(resolution_hz, fs / 16384.0), 5.0 * fs / 512.0)
    for n in FFT_SIZES:
        b = fs / n
        if b <= r <= 5.0 * b:
            return n
    return FFT_SIZES[-1]


def analyse(path, scale="linear", rows=400, low_hz=None, high_hz=None, step_ms=10.0,
            resolution_hz=None, fft_size=None, channel=0, gain_db=0):
    """Level codes of every column, shape (columns, rows)."""
    wave = read_wav(path)
    fs = wave.rate
    channels = wave.channels
    if channel >= channels:
        channel = 0
    # A file analysis draws a sonogram, which has no one-third-octave scale:
    # Oct/3 analyses as Log, 30 bands per octave. A logarithmic scale has no
    # row for 0 Hz, so its band starts at 20 Hz unless told otherwise.
    if scale == "oct3":
        scale = "log"
    low = (0.0 if scale == "linear" else 20.0) if low_hz is None else float(low_hz)
    high = fs / 2.0 if high_hz is None else float(high_hz)
    r = automatic_resolution(low, high, fs, step_ms, rows, scale) if resolution_hz is None else resolution_hz
    r = float(F32(r))
    n = fft_size_for(fs, r) if fft_size is None else fft_size

    numbers = to_numbers(wave.samples, wave.bits, gain_db)
    total = numbers.shape[0]
    hop = F32(F32(channels) * F32(step_ms) * F32(fs) / F32(1000.0))
    columns = round_half_away((total - n * channels) / float(hop))
    if columns <= 0:
        raise ValueError("Time Scale Too Small")
    starts = round_half_away(np.arange(columns, dtype=np.float32) * hop)
    starts -= starts % channels
    index = starts[:, None] + channel + channels * np.arange(n)[None, :]
    frames = numbers[index].astype(np.float32)

    v = magnitude_spectra(frames, hann_window(n, fs, r))
    if scale == "linear":
        return linear_rows(v, n, fs, low, high, rows, r)
    return band_rows(v, n, fs, low, high, rows, r, scale)


def main(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("file")
    p.add_argument("--rows", type=int, default=400)
    p.add_argument("--low", type=float)
    p.add_argument("--high", type=float)
    p.add_argument("--scale", choices=("linear", "log", "oct3"), default="linear")
    p.add_argument("--step", type=float, default=10.0)
    p.add_argument("--resolution", type=float)
    p.add_argument("--fft", type=int)
    p.add_argument("--channel", choices=("left", "right"), default="left")
    p.add_argument("--gain", type=int, default=0)
    a = p.parse_args(argv)
    codes = analyse(a.file, a.scale, a.rows, a.low, a.high, a.step, a.resolution, a.fft,
                    0 if a.channel == "left" else 1, a.gain)
    out = sys.stdout
    out.write("column," + ",".join("r%d" % r for r in range(a.rows)) + "\n")
    for i, line in enumerate(codes):
        out.write("%d,%s\n" % (i, ",".join(str(int(c)) for c in line)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
