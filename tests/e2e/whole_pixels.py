#!/usr/bin/env python3
"""Where and how a screenshot of a full-screen show holds the show's frame.

usage: whole_pixels.py SCREEN FRAME MODE [SCALE]

SCREEN is a screenshot of the whole screen, FRAME the 320x240 frame that was
on it (any picture file ImageMagick reads). MODE says what is expected:

  whole SCALE   the frame enlarged SCALE times, centred (offsets rounded
                down): every frame pixel a SCALE x SCALE square of exactly its
                colour, and every screen pixel around the picture black
  fill          the frame stretched to the screen's height, centred, with
                sharp pixels (each screen pixel the colour of the frame pixel
                under its centre, or of a neighbour where rounding differs),
                black beside it
  linear SCALE  placed as for whole, but smoothed: every screen pixel (of
                every fifth row) within the colours of the frame pixels around
                it, and a tenth or more of them not the colour of the frame
                pixel under them

Prints the box of the screen's non-black pixels and the verdict; exits 1 with
the first differences when the screenshot is not what MODE expects.
"""
import subprocess
import sys


def rgb(path):
    size = subprocess.run(["identify", "-format", "%w %h\n", path], capture_output=True,
                          check=True, text=True).stdout.split()
    w, h = int(size[0]), int(size[1])
    data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True,
                          check=True).stdout
    assert len(data) == w * h * 3, (path, len(data))
    return w, h, data


def pixel(data, w, x, y):
    i = (y * w + x) * 3
    return data[i:i + 3]


def non_black_box(w, h, data):
    black = b"\0\0\0"
    xs, ys = [], []
    for y in range(h):
        row = data[y * w * 3:(y + 1) * w * 3]
        if row.strip(b"\0"):
            ys.append(y)
            for x in range(w):
                if row[3 * x:3 * x + 3] != black:
                    xs.append(x)
                    break
            for x in range(w - 1, -1, -1):
                if row[3 * x:3 * x + 3] != black:
                    xs.append(x)
                    break
    if not ys:
        return None
    return min(xs), min(ys), max(xs) + 1 - min(xs), max(ys) + 1 - min(ys)


def main():
    screen_path, frame_path, mode = sys.argv[1:4]
    sw, sh, screen = rgb(screen_path)
    fw, fh, frame = rgb(frame_path)
    assert (fw, fh) == (320, 240), (fw, fh)

    if mode == "fill":
        # What SDL 2's renderer does with a logical size that is not a whole
        # multiple of the screen: the screen's height, the width to match.
        vh = sh
        vw = int(320 * sh / 240)
        vx, vy = (sw - vw) // 2, 0
    else:
        k = int(sys.argv[4])
        vw, vh = 320 * k, 240 * k
        vx, vy = (sw - vw) // 2, (sh - vh) // 2

    box = non_black_box(sw, sh, screen)
    print(f"screen {sw}x{sh}: non-black pixels within {box[2]}x{box[3]} at ({box[0]},{box[1]})"
          if box else f"screen {sw}x{sh}: all black")
    print(f"expected: {mode} picture {vw}x{vh} at ({vx},{vy})")

    bad = []

    def wrong(x, y, what):
        if len(bad) < 10:
            bad.append(f"({x},{y}) {pixel(screen, sw, x, y).hex()}: {what}")
        else:
            bad.append(None)

    # The frame pixel under the centre of each screen column and row.
    if mode == "fill":
        us = [min(int((x + 0.5) * 320 / vw), 319) for x in range(vw)]
        vs = [min(int((y + 0.5) * 240 / vh), 239) for y in range(vh)]
    else:
        us = [x // k for x in range(vw)]
        vs = [y // k for y in range(vh)]
    black_row = bytes(3 * sw)
    smoothed = 0
    # The linear filter is checked on every fifth row: each costs a lot here.
    rows = range(0, vh, 5) if mode == "linear" else range(vh)
    for y in range(sh):
        got_row = screen[y * sw * 3:(y + 1) * sw * 3]
        if not vy <= y < vy + vh:
            if got_row != black_row:
                wrong(next(x for x in range(sw) if pixel(screen, sw, x, y) != b"\0\0\0"), y,
                      "not black outside the picture")
            continue
        if got_row[:3 * vx] != bytes(3 * vx) or got_row[3 * (vx + vw):] != bytes(3 * (sw - vx - vw)):
            x = next(x for x in list(range(vx)) + list(range(vx + vw, sw))
                     if pixel(screen, sw, x, y) != b"\0\0\0")
            wrong(x, y, "not black beside the picture")
        v = vs[y - vy]
        frame_row = frame[v * fw * 3:(v + 1) * fw * 3]
        want_row = b"".join(frame_row[3 * u:3 * u + 3] for u in us)
        inside = got_row[3 * vx:3 * (vx + vw)]
        if mode == "whole" or (mode == "fill" and inside == want_row):
            if inside != want_row:
                x = next(x for x in range(vw) if inside[3 * x:3 * x + 3] != want_row[3 * x:3 * x + 3])
                wrong(vx + x, y, f"frame pixel ({us[x]},{v}) is {want_row[3 * x:3 * x + 3].hex()}")
            continue
        if mode == "linear" and (y - vy) not in rows:
            continue
        for x in range(vw):
            got = inside[3 * x:3 * x + 3]
            u = us[x]
            near = [pixel(frame, fw, a, b) for a in range(max(u - 1, 0), min(u + 2, 320))
                    for b in range(max(v - 1, 0), min(v + 2, 240))]
            if mode == "fill":
                if got not in near:
                    wrong(vx + x, y, f"no frame pixel around ({u},{v}) has that colour")
                continue
            if any(not min(n[c] for n in near) - 1 <= got[c] <= max(n[c] for n in near) + 1
                   for c in range(3)):
                wrong(vx + x, y, f"outside the colours around frame pixel ({u},{v})")
            smoothed += got != want_row[3 * x:3 * x + 3]
    if mode == "linear" and smoothed < vw * len(rows) // 10:
        bad.append(f"only {smoothed} of {vw * len(rows)} pixels differ from the frame pixel under them")
    if bad:
        shown = [b for b in bad if b is not None]
        print(f"WRONG: {len(bad)} differences, the first:", *shown, sep="\n  ")
        return 1
    print(f"ok: {mode} picture {vw}x{vh} at ({vx},{vy})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
