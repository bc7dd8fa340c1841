#!/usr/bin/env python3
"""Checks a grab of a desktop on which a show runs full screen.

usage: fullscreen_check.py aspect|whole WIDTH HEIGHT SHOT.rgb

SHOT.rgb is the desktop as raw 8-bit RGB (ImageMagick: convert SHOT.png
rgb:SHOT.rgb), WIDTH x HEIGHT pixels. The show's 320x240 picture must sit in
the middle of the desktop with black around it:

  aspect  within the largest 4:3 area that fits, centred; its picture spans
          more than half that area's width and height (not a small window
          in the middle) and has 16 colours or more;
  whole   scaled by the largest whole number S that fits, centred (4 on a
          1920x1080 desktop: 1280x960 at 320,60): black outside, and every
          show pixel an S x S block of one colour.

Prints the box the picture occupies; exits 1 with the reason otherwise.
"""
import sys

SHOW_W, SHOW_H = 320, 240


def main():
    mode, width, height, path = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    data = open(path, "rb").read()
    if len(data) != width * height * 3:
        sys.exit(f"{path}: {len(data)} bytes, not {width}x{height} RGB")

    def pixel(x, y):
        at = 3 * (y * width + x)
        return data[at:at + 3]

    if mode == "whole":
        scale = min(width // SHOW_W, height // SHOW_H)
        box_w, box_h = SHOW_W * scale, SHOW_H * scale
    else:
        scale = None
        box_w, box_h = min(width, height * 4 // 3), min(height, width * 3 // 4)
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
    print(f"picture at {x0},{y0}, {x1 - x0}x{y1 - y0}; expected within {left},{top}, {box_w}x{box_h}")
    if x0 < left or y0 < top or x1 > left + box_w or y1 > top + box_h:
        sys.exit("the picture reaches outside the area, or the bars are not black")

    if scale is None:
        colours = {pixel(x, y) for y in range(y0, y1, 3) for x in range(x0, x1, 3)}
        if 2 * (x1 - x0) <= box_w or 2 * (y1 - y0) <= box_h:
            sys.exit("the picture covers too little of the area")
        if len(colours) < 16:
            sys.exit(f"the picture has {len(colours)} colours")
        return

    for sy in range(SHOW_H):
        for sx in range(SHOW_W):
            x, y = left + sx * scale, top + sy * scale
            first = pixel(x, y)
            for dy in range(scale):
                at = 3 * ((y + dy) * width + x)
                if data[at:at + 3 * scale] != first * scale:
                    sys.exit(f"show pixel {sx},{sy} is not one {scale}x{scale} block")


if __name__ == "__main__":
    main()
