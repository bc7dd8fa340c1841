#!/usr/bin/env bash
# demo32 -window -nosound runs; Escape writes vintage.bmp and the program ends with 0.
. "$(dirname "$0")/lib.sh"
start_xvfb
enter_workdir
start_app "$DEMO32" -window -nosound
focus_window "zyrkon malvestra 2"
wait_frames 3 || fail "demo32 ended before it showed three frames"
key Escape
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS: $(cat err.txt)"

# Console: the flags line of a windowed surface (non-negative number), then the lock remark.
head -n 1 out.txt | grep -Eq '^vidmode flags \([0-9]+\): SDL_(HW|SW)SURFACE ' || fail "flags line: $(head -n 1 out.txt)"
grep -q 'SDL_FULLSCREEN' out.txt && fail "windowed surface reported as full screen"
second=$(sed -n 2p out.txt | od -An -tx1 | tr -d ' \n')
jipii=$(printf 'jipii ei tarvi mit\xe4\xe4 lukkoja ees!\n' | od -An -tx1 | tr -d ' \n')
ouou=$(printf 'o-ou! dblbuf pit\xe4\xe4 olla lukossa!\n' | od -An -tx1 | tr -d ' \n')
[ "$second" = "$jipii" ] || [ "$second" = "$ouou" ] || fail "lock remark: $(sed -n 2p out.txt)"
grep -q 'LAMER' out.txt && fail "failure line printed"

# The screenshot is a 320x240 32-bit Windows bitmap.
[ -f vintage.bmp ] || fail "no vintage.bmp"
python3 - <<'PY' || fail "vintage.bmp is not a valid 320x240 bitmap"
import struct, sys
d = open("vintage.bmp", "rb").read()
assert d[:2] == b"BM", "magic"
assert struct.unpack("<I", d[2:6])[0] == len(d), "size"
w, h = struct.unpack("<ii", d[18:26])
assert (w, abs(h)) == (320, 240), (w, h)
bpp = struct.unpack("<H", d[28:30])[0]
assert bpp in (24, 32), bpp
PY
echo "PASS"
