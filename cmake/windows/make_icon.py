#!/usr/bin/env python3
"""Draws a program's icon and writes it as a Windows .ico file.

usage: make_icon.py demo32|demo8|demo-capture OUTPUT.ico

The pictures are computed here, like everything the shows show: demo32 gets
an XOR texture in the colours of its titles, demo8 two interfering ring sets,
demo-capture the XOR texture seen through a strip of film. Each icon holds
16, 24, 32 and 48 pixel images as 32-bit bitmaps and a 256 pixel one as PNG,
the sizes Windows picks from for lists, the taskbar and large tiles.
"""
import struct
import sys
import zlib

SIZES = [16, 24, 32, 48, 256]


def xor_texture(x, y, n):
    # Two tiles across, as the texture repeats on the screen.
    v = ((x * 512 // n) ^ (y * 512 // n)) & 255
    return (v, (v * 3 // 4) ^ 64, 255 - v // 2)


def rings(x, y, n):
    def ring(cx, cy):
        d2 = (x - cx * n) ** 2 + (y - cy * n) ** 2
        return int(d2 ** 0.5 * 9 / n) & 1
    v = ring(0.3, 0.35) ^ ring(0.7, 0.6)
    return (40, 200, 230) if v else (90, 20, 120)


def film(x, y, n):
    edge = max(2, n // 6)
    if x < edge or x >= n - edge:
        hole = (y * 8 // n) % 2 == 0 and edge // 4 <= x % (n - edge) < edge - edge // 4
        return (200, 200, 200) if hole else (20, 20, 20)
    return xor_texture(x, y, n)


PICTURES = {"demo32": xor_texture, "demo8": rings, "demo-capture": film}


def pixels(picture, n):
    """Rows top to bottom of (r, g, b)."""
    return [[picture(x, y, n) for x in range(n)] for y in range(n)]


def bitmap(rows):
    """An icon image as a 32-bit DIB: header, BGRA rows bottom-up, AND mask."""
    n = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, 255)) for row in reversed(rows) for r, g, b in row)
    mask = bytes(((n + 31) // 32) * 4 * n)  # all opaque; the alpha channel rules
    return header + colour + mask


def png(rows):
    n = len(rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    program, output = sys.argv[1:3]
    picture = PICTURES[program]
    images = [png(pixels(picture, n)) if n == 256 else bitmap(pixels(picture, n)) for n in SIZES]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = len(data) + 16 * len(images)
    for n, image in zip(SIZES, images):
        # A width or height of 256 is written as 0.
        data += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(output, "wb") as f:
        f.write(data + b"".join(images))


if __name__ == "__main__":
    main()
