#!/usr/bin/env bash
# demo32 -window -nosound -debug: Backspace steps through all 29 song positions,
# and each screenshot shows the kind of picture its scene draws.
# The probe library holds the silent song clock (its timer callback never runs),
# so the song position is exactly the number of Backspaces the program has
# received, each from the first row of its pattern. Every screenshot is taken
# once FRAMES frames of its position have been shown: the scene has replaced
# what the previous one left behind.
# With DEMO32_SHOTS=DIR the screenshots are kept there (as PNG files too).
. "$(dirname "$0")/lib.sh"
FRAMES=30
start_xvfb
enter_workdir
shots=${DEMO32_SHOTS:-$WORK/shots}
mkdir -p "$shots"
SHOW_PROBE_CLOCK_CALLS=0 start_app "$DEMO32" -window -nosound -debug
focus_window "zyrkon malvestra 2"
for p in $(seq 0 28); do
  [ "$p" -eq 0 ] || key BackSpace
  wait_frames "$FRAMES" backspace "$p" || fail "demo32 ended at position $p"
  xwd -id "$WINDOW_ID" -silent >"$shots/pos_$(printf %02d "$p").xwd" || fail "screenshot $p"
done
[ "$(probe_value timer_calls)" -eq 0 ] || fail "the song clock was not held"
key Escape
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS"

if [ -n "${DEMO32_SHOTS:-}" ]; then
  for f in "$shots"/pos_*.xwd; do convert "xwd:$f" "${f%.xwd}.png" || fail "convert $f"; done
fi
python3 - "$shots" <<'PY' || fail "a position does not show its scene"
import struct, sys
d = sys.argv[1]

# The window's pixels, one per pixel of the 320x240 surface: the window shows
# it enlarged by a whole factor with sharp pixels, so the centre of each block.
def surface_pixels(path):
    b = open(path, "rb").read()
    (header_size, _, pixmap_format, _, width, height, _, byte_order, _, _, _, bits_per_pixel,
     bytes_per_line, _, red_mask, green_mask, blue_mask, _, _, colours) = struct.unpack(">20I", b[:80])
    assert pixmap_format == 2 and bits_per_pixel == 32 and byte_order == 0, "not a 32-bit ZPixmap"
    assert (red_mask, green_mask, blue_mask) == (0xFF0000, 0xFF00, 0xFF), "not RGB"
    scale = width // 320
    assert scale >= 1 and (width, height) == (320 * scale, 240 * scale), (width, height)
    data = header_size + 12 * colours
    px = []
    for y in range(240):
        row = data + (scale * y + scale // 2) * bytes_per_line
        for x in range(320):
            v = struct.unpack_from("<I", b, row + 4 * (scale * x + scale // 2))[0]
            px.append((v >> 16 & 255, v >> 8 & 255, v & 255))
    return px

def stats(p):
    px = surface_pixels(f"{d}/pos_{p:02d}.xwd")
    n = len(px)
    frac = lambda f: sum(1 for q in px if f(*q)) / n
    return {
        "green": frac(lambda r, g, bl: g > 150 and r < 100),
        "red": frac(lambda r, g, bl: r > 150 and g < 80 and bl < 80),
        "warm": frac(lambda r, g, bl: r > 80 and g > 60),
        "white": frac(lambda r, g, bl: r > 200 and g > 200 and bl > 200),
        "blue": frac(lambda r, g, bl: bl > 60 and r < 40 and g < 40),
    }
bad = []
for p in range(29):
    s = stats(p)
    if p in (0, 1, 2, 3, 20, 21, 22, 23, 24, 25, 26):  # XOR textures and the lens: blue
        ok = s["blue"] > 0.2 and s["green"] < 0.02
    elif p in (6, 7, 8, 9, 10, 11):  # the green polygon
        ok = s["green"] > 0.05
    elif p in (12, 13, 14, 15):  # plasma: full colour
        ok = s["warm"] > 0.2
    elif p in (16, 17, 18, 19):  # the twister over darkened trails (the scroll text starts blank)
        ok = s["blue"] > 0.2 and s["green"] < 0.02
    elif p in (5, 27):  # text boxes, credits
        ok = s["white"] > 0.003
    else:  # 4 and 28 draw over what was there
        ok = True
    print(p, {k: round(v, 4) for k, v in s.items()}, "ok" if ok else "WRONG")
    if not ok:
        bad.append(p)
sys.exit(1 if bad else 0)
PY
echo "PASS"
