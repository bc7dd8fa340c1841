#!/usr/bin/env python3
"""How faithfully a video keeps the show's pixels: every source pixel of a
frame is an N x N block of the video, and a player shows that block in the
colour its samples decode to. Compares the decoded video, frame by frame,
with the PNG frames of the same stretch.

usage: block_colour.py VIDEO PNG_DIR FIRST_FRAME COUNT [MATRIX]

Prints two shares, over all compared frames:
  chroma  colour samples that differ by more than 8 from the colour of a
          source pixel they cover
  block   source pixels whose block, decoded as a player decodes it, differs
          from the PNG by more than 16 in some channel
and the matrix and range used. The matrix and range are the stream's own tags;
an untagged stream is decoded as BT.709 limited range, which is what players
assume for pictures of this size (MATRIX overrides that assumption).
"""
import json
import subprocess
import sys

MATRICES = {  # Kr, Kb
    "bt709": (0.2126, 0.0722),
    "bt470bg": (0.299, 0.114),
    "smpte170m": (0.299, 0.114),
}


def probe(video):
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
         "stream=width,height,pix_fmt,color_space,color_range", "-of", "json", video],
        capture_output=True, check=True, text=True).stdout
    return json.loads(out)["streams"][0]


def png_rgb(path):
    data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"],
                          capture_output=True, check=True).stdout
    assert len(data) == 320 * 240 * 3, (path, len(data))
    return data


def main():
    video, png_dir, first, count = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    info = probe(video)
    width, height = info["width"], info["height"]
    k = width // 320
    assert (width, height) == (320 * k, 240 * k), (width, height)
    assert info["pix_fmt"] == "yuv420p", info["pix_fmt"]
    matrix = info.get("color_space", "unknown")
    if matrix not in MATRICES:
        matrix = sys.argv[5] if len(sys.argv) > 5 else "bt709"
    full = info.get("color_range") == "pc"
    kr, kb = MATRICES[matrix]
    kg = 1 - kr - kb
    ys, yo, cs = (255.0, 0.0, 255.0) if full else (219.0, 16.0, 224.0)

    frame_bytes = width * height * 3 // 2
    raw = subprocess.run(
        ["ffmpeg", "-v", "error", "-i", video, "-map", "0:v:0", "-fps_mode", "passthrough",
         "-frames:v", str(count), "-f", "rawvideo",
         "-pix_fmt", "yuv420p", "-"], capture_output=True, check=True).stdout
    assert len(raw) == frame_bytes * count, (len(raw), frame_bytes * count)

    cw, ch = width // 2, height // 2
    chroma_off = chroma_total = block_off = block_total = 0
    for f in range(count):
        frame = raw[f * frame_bytes:(f + 1) * frame_bytes]
        plane_y = frame[:width * height]
        plane_u = frame[width * height:width * height + cw * ch]
        plane_v = frame[width * height + cw * ch:]
        rgb = png_rgb(f"{png_dir}/frame_{first + f:05d}.png")

        # The colour samples each source pixel should have.
        want_u = [0.0] * 76800
        want_v = [0.0] * 76800
        for i in range(76800):
            r, g, b = rgb[3 * i] / 255, rgb[3 * i + 1] / 255, rgb[3 * i + 2] / 255
            luma = kr * r + kg * g + kb * b
            want_u[i] = 128 + cs * (b - luma) / (2 * (1 - kb))
            want_v[i] = 128 + cs * (r - luma) / (2 * (1 - kr))

        # Each colour sample against every source pixel under its 2x2 pixels.
        for cy in range(ch):
            sy = sorted({(2 * cy) // k, (2 * cy + 1) // k})
            row = cy * cw
            for cx in range(cw):
                sx = {(2 * cx) // k, (2 * cx + 1) // k}
                u, v = plane_u[row + cx], plane_v[row + cx]
                worst = 0.0
                for y in sy:
                    for x in sx:
                        i = y * 320 + x
                        worst = max(worst, abs(u - want_u[i]), abs(v - want_v[i]))
                chroma_total += 1
                chroma_off += worst > 8

        # Each source pixel's block: mean luma and mean of the samples under it.
        for y in range(240):
            luma_rows = [plane_y[(y * k + j) * width:(y * k + j + 1) * width] for j in range(k)]
            luma_cols = list(map(sum, zip(*luma_rows)))
            c0, c1 = (y * k) // 2, (y * k + k - 1) // 2
            u_rows = [plane_u[c * cw:(c + 1) * cw] for c in range(c0, c1 + 1)]
            v_rows = [plane_v[c * cw:(c + 1) * cw] for c in range(c0, c1 + 1)]
            u_cols = list(map(sum, zip(*u_rows)))
            v_cols = list(map(sum, zip(*v_rows)))
            for x in range(320):
                luma = sum(luma_cols[x * k:(x + 1) * k]) / (k * k)
                a, b2 = (x * k) // 2, (x * k + k - 1) // 2
                n = (b2 - a + 1) * len(u_rows)
                u = sum(u_cols[a:b2 + 1]) / n
                v = sum(v_cols[a:b2 + 1]) / n
                e = (luma - yo) / ys
                pb = (u - 128) / cs
                pr = (v - 128) / cs
                r = e + 2 * (1 - kr) * pr
                b = e + 2 * (1 - kb) * pb
                g = (e - kr * r - kb * b) / kg
                i = 3 * (y * 320 + x)
                worst = max(abs(r * 255 - rgb[i]), abs(g * 255 - rgb[i + 1]),
                            abs(b * 255 - rgb[i + 2]))
                block_total += 1
                block_off += worst > 16

    print(f"chroma {chroma_off / chroma_total:.4f} block {block_off / block_total:.4f} "
          f"matrix {matrix} range {'pc' if full else 'tv'} scale {k}")


main()
