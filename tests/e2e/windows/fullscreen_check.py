#!/usr/bin/env python3
"""Checks a grab of a desktop on which a show runs full screen.

usage: fullscreen_check.py WIDTH HEIGHT SHOT.rgb

SHOT.rgb is the desktop as raw 8-bit RGB (ImageMagick: convert SHOT.png
rgb:SHOT.rgb), WIDTH x HEIGHT pixels. The show's 320x240 picture must be
enlarged by the largest whole number S that fits, centred (4 on a 1920x1080
desktop: 1280x960 at 320,60), with black around it, every show pixel an
S x S square of one colour, and hold 16 colours or more. Whatever the frame
shows, a picture stretched by another factor has squares of two sizes.

Prints where the picture is; exits 1 with the reason otherwise.
"""
import sys

SHOW_W, SHOW_H = 320, 240


def main():
    width, height, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    data = open(path, "rb").read()
    if len(data) != width * height * 3:
        sys.exit(f"{path}: {len(data)} bytes, not {width}x{height} RGB")
    scale = min(width // SHOW_W, height // SHOW_H)
    box_w, box_h = SHOW_W * scale, SHOW_H * scale
    left, top = (width - box_w) // 2, (height - box_h) // 2

    # Where the picture is: the rows with anything but black, and in them the
    # first and last byte that is not 0.
    row_bytes = 3 * width
    rows = [data[y * row_bytes:(y + 1) * row_bytes] for y in range(height)]
    lit = [y for y in range(height) if rows[y].strip(b"\0")]
    if not lit:
        sys.exit("the desktop is black")
    y0, y1 = lit[0], lit[-1] + 1
    x0 = min((row_bytes - len(rows[y].lstrip(b"\0"))) // 3 for y in lit)
    x1 = max((len(rows[y].rstrip(b"\0")) + 2) // 3 for y in lit)
    print(f"picture at {x0},{y0}, {x1 - x0}x{y1 - y0}; expected {left},{top}, {box_w}x{box_h}")
    if x0 < left or y0 < top or x1 > left + box_w or y1 > top + box_h:
        sys.exit("something is not black around the picture")

    colours = set()
    for sy in range(SHOW_H):
        for sx in range(SHOW_W):
            x, y = left + sx * scale, top + sy * scale
            first = rows[y][3 * x:3 * x + 3]
            colours.add(first)
            for dy in range(scale):
                if rows[y + dy][3 * x:3 * (x + scale)] != first * scale:
                    sys.exit(f"show pixel {sx},{sy} is not one {scale}x{scale} square")
    if len(colours) < 16:
        sys.exit(f"the picture has {len(colours)} colours")


if __name__ == "__main__":
    main()
