#!/usr/bin/env python3
"""Compares the music a show recorded through SDL's disk audio driver with a
reference, allowing the one step by which SDL's converters round differently.

usage: audio_match.py seconds RECORDING
       audio_match.py compare RECORDING REFERENCE MIN_SECONDS

A recording is the disk driver's file: 16-bit stereo at 44,100 Hz, both
channels carrying the show's mono stream. A reference is either another such
recording or a mono 16-bit 44,100 Hz WAV (the offline renderer's mix).

`seconds` prints how many seconds of music follow the recording's lead-in, the
silence the device writes before the show's first sound (0 when none yet).
`compare` lines both up at their first sound and requires silence before it in
both, and from there on, over the length both have and at least MIN_SECONDS,
no sample more than one step from the reference.
"""
import sys
import wave
from array import array

RATE = 44100
# The first sound of either show starts far above this (the music sets in at
# full strength); below it, a converter's rounding cannot move the onset.
ONSET = 64


def recording(path):
    """The mono stream of a disk recording (both channels must agree)."""
    data = open(path, "rb").read()
    frames = array("h", data[: len(data) // 4 * 4])
    left, right = frames[0::2], frames[1::2]
    if left != right:
        at = next(i for i in range(len(left)) if left[i] != right[i])
        sys.exit(f"FAIL: {path}: the channels differ from sample {at} on")
    return left


def reference(path):
    if not path.endswith(".wav"):
        return recording(path)
    with wave.open(path) as w:
        if (w.getnchannels(), w.getsampwidth(), w.getframerate()) != (1, 2, RATE):
            sys.exit(f"FAIL: {path} is not mono 16-bit {RATE} Hz")
        return array("h", w.readframes(w.getnframes()))


def onset(samples):
    return next((i for i, v in enumerate(samples) if abs(v) >= ONSET), None)


def seconds(path):
    rec = recording(path)
    start = onset(rec)
    print(0 if start is None else f"{(len(rec) - start) / RATE:.2f}")


def compare(rec_path, ref_path, min_seconds):
    rec, ref = recording(rec_path), reference(ref_path)
    a, b = onset(rec), onset(ref)
    if a is None or b is None:
        sys.exit(f"FAIL: no sound in {rec_path if a is None else ref_path}")
    for path, samples, start in ((rec_path, rec, a), (ref_path, ref, b)):
        loud = next((i for i in range(start) if abs(samples[i]) > 1), None)
        if loud is not None:
            sys.exit(f"FAIL: {path}: sound at sample {loud}, before the onset at {start}")
    n = min(len(rec) - a, len(ref) - b)
    print(f"onset at sample {a} (reference {b}); compared {n / RATE:.2f} s of music")
    if n < min_seconds * RATE:
        sys.exit(f"FAIL: only {n / RATE:.2f} s of music to compare, {min_seconds} s needed")
    got, want = rec[a:a + n], ref[b:b + n]
    steps = [0, 0]
    for i in range(n):
        d = abs(got[i] - want[i])
        if d > 1:
            sys.exit(f"FAIL: sample {i} from the onset is {got[i]}, the reference {want[i]}")
        steps[d] += 1
    print(f"{steps[0]} samples equal, {steps[1]} one step apart")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "seconds":
        seconds(sys.argv[2])
    elif len(sys.argv) == 5 and sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3], float(sys.argv[4]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
