#!/usr/bin/env python3
"""Feeds damaged and hostile sound files to sonavue-cli info, levels and
analyze, and fails when any run crashes, hangs or reports a sanitizer error
instead of answering with the program's own message.

The files are made afresh from a seed each run: valid WAV files of every
kind the program reads, then cut, bit-flipped, given impossible header
fields, chunks that point past the end, the magic numbers of the other
formats followed by noise, an empty file, a folder and a named pipe.

Usage: tools/hostile.py CLI [--count N] [--seed S] [--keep DIR]
"""

import argparse
import os
import random
import struct
import subprocess
import sys
import tempfile


def wav(channels, rate, bits, frames, tag=1, extensible=False, rng=None):
    rng = rng or random.Random(0)
    width = bits // 8
    if tag == 3:
        data = b"".join(struct.pack("<f", rng.uniform(-1, 1)) for _ in range(frames * channels))
    elif bits == 8:
        data = bytes(rng.randrange(256) for _ in range(frames * channels))
    else:
        data = bytes(rng.randrange(256) for _ in range(frames * channels * width))
    block = channels * width
    if extensible:
        fmt = struct.pack("<HHIIHHHHI16s", 0xFFFE, channels, rate, rate * block, block, bits, 22, bits, 0,
                          struct.pack("<H", tag) + b"\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71")
    else:
        fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * block, block, bits)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def bases(rng):
    return [
        wav(1, 48000, 16, 24000, rng=rng),
        wav(2, 44100, 16, 8000, rng=rng),
        wav(1, 22050, 8, 8000, rng=rng),
        wav(2, 96000, 24, 9600, extensible=True, rng=rng),
        wav(1, 48000, 32, 4800, tag=3, rng=rng),
        wav(1, 384000, 16, 38400, rng=rng),
    ]


def fmt_offset(data):
    return data.find(b"fmt ")


def mutate(data, rng):
    data = bytearray(data)
    kind = rng.randrange(12)
    f = fmt_offset(data)
    if kind == 0:  # cut anywhere
        return bytes(data[: rng.randrange(len(data))])
    if kind == 1:  # flip bytes in the header
        for _ in range(rng.randrange(1, 8)):
            data[rng.randrange(min(80, len(data)))] = rng.randrange(256)
        return bytes(data)
    if kind == 2 and f >= 0:  # impossible format fields
        field, size = rng.choice([(10, 2), (12, 4), (16, 4), (20, 2), (22, 2)])
        value = rng.choice([0, 1, 3, 7, 0xFF, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF, 33, 64, 65535])
        data[f + field: f + field + size] = (value & ((1 << (8 * size)) - 1)).to_bytes(size, "little")
        return bytes(data)
    if kind == 3:  # a data length past the end, or zero
        d = data.find(b"data")
        if d >= 0:
            data[d + 4: d + 8] = struct.pack("<I", rng.choice([0, 1, 0x7FFFFFFF, 0xFFFFFFFF, len(data) * 3]))
        return bytes(data)
    if kind == 4 and f >= 0:  # a fmt chunk of a hostile length
        data[f + 4: f + 8] = struct.pack("<I", rng.choice([0, 1, 15, 17, 0xFFFFFFF0, 0xFFFFFFFF]))
        return bytes(data)
    if kind == 5:  # a chunk before the data that claims to run past the end
        d = data.find(b"data")
        if d >= 0:
            junk = b"LIST" + struct.pack("<I", rng.choice([0xFFFFFFFF, 0x7FFFFFFF, 1])) + b"INFO"
            data[d:d] = junk
        return bytes(data)
    if kind == 6:  # the RIFF length small or huge
        data[4:8] = struct.pack("<I", rng.choice([0, 4, 0xFFFFFFFF]))
        return bytes(data)
    if kind == 7:  # noise behind the magic of each format
        magic = rng.choice([b"RIFF\x00\x00\x00\x00WAVE", b"fLaC", b"OggS", b"ID3\x03\x00", b"\xff\xfb\x90\x00",
                            b"FORM\x00\x00\x00\x00AIFF", b"RIFX", b"RF64"])
        return magic + bytes(rng.randrange(256) for _ in range(rng.choice([0, 3, 100, 5000])))
    if kind == 8:  # two fmt chunks, the second one wrong
        if f >= 0:
            second = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 0, 0, 0, 0, 0)
            data[f:f] = second
        return bytes(data)
    if kind == 9:  # the data chunk before the fmt chunk
        d = data.find(b"data")
        if f >= 0 and d > f:
            fmt = data[f:d]
            rest = data[d:]
            return bytes(data[:f] + rest + fmt)
        return bytes(data)
    if kind == 10:  # odd-sized trailing bytes and a part frame
        return bytes(data + bytes(rng.randrange(256) for _ in range(rng.randrange(1, 5))))
    # random bytes over the whole file
    for _ in range(rng.randrange(1, 40)):
        data[rng.randrange(len(data))] = rng.randrange(256)
    return bytes(data)


def run(cli, args, timeout):
    try:
        p = subprocess.run([cli] + args, capture_output=True, timeout=timeout,
                           env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    except subprocess.TimeoutExpired:
        return "hung", b""
    err = p.stderr
    if p.returncode < 0 or p.returncode >= 124:
        return "exit %d" % p.returncode, err
    if b"Sanitizer" in err or b"runtime error" in err:
        return "sanitizer", err
    if p.returncode != 0 and not err.strip():
        return "failed without a message", err
    return None, err


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--count", type=int, default=40)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--keep")
    parser.add_argument("--timeout", type=float, default=60.0)
    a = parser.parse_args()
    rng = random.Random(a.seed)
    folder = a.keep or tempfile.mkdtemp(prefix="sonavue-hostile-")
    os.makedirs(folder, exist_ok=True)
    files = []
    originals = bases(rng)
    for n in range(a.count):
        ext = rng.choice([".wav", ".wav", ".wav", ".flac", ".mp3", ".ogg", ".aiff"])
        path = os.path.join(folder, "h%03d%s" % (n, ext))
        with open(path, "wb") as out:
            out.write(mutate(rng.choice(originals), rng))
        files.append(path)
    empty = os.path.join(folder, "empty.wav")
    open(empty, "wb").close()
    files.append(empty)
    os.makedirs(os.path.join(folder, "folder.wav"), exist_ok=True)
    files.append(os.path.join(folder, "folder.wav"))
    pipe = os.path.join(folder, "pipe.wav")
    if not os.path.exists(pipe):
        os.mkfifo(pipe)
    files.append(pipe)

    failures = 0
    runs = 0
    for path in files:
        image = os.path.join(folder, "out.bmp")
        for args in (["info", path], ["levels", path, "--rows", "32"], ["analyze", path, "-o", image]):
            runs += 1
            what, err = run(a.cli, args, a.timeout)
            if what:
                failures += 1
                sys.stderr.write("%s: %s\n%s\n" % (what, " ".join(args), err.decode(errors="replace")[-2000:]))
    print("hostile: %d files, %d runs, %d failures" % (len(files), runs, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
