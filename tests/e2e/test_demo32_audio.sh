#!/usr/bin/env bash
# demo32 -window with sound recorded by SDL's disk driver: after the silence SDL
# writes while the device is still paused (and with both channels of a stereo
# device carrying the mono stream), the stream starts with the 800 silent
# samples of the first tick and then equals the offline renderer's mix.
. "$(dirname "$0")/lib.sh"
[ -x "${DEMO_CAPTURE:-}" ] || fail "demo-capture not built"
start_xvfb
enter_workdir
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/stream.raw"
start_app "$DEMO32" -window
focus_window "zyrkon malvestra 2"
# Two seconds of music (44,100 16-bit samples a second) from the program's
# callback; the comparison below needs more than one to have reached the file.
wait_frames 1 audio_bytes $((2 * 44100 * 2)) || fail "demo32 ended before two seconds of music"
key Escape
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS: $(cat err.txt)"
grep -qx 'wag: 14.989903' out.txt || fail "no wag line: $(cat out.txt)"
grep -q 'emm' err.txt && fail "audio failure reported: $(cat err.txt)"

"$DEMO_CAPTURE" demo32 --seed 1 --frames 0-1200 --wav render.wav --quiet || fail "capture"
python3 - <<'PY' || fail "recorded stream differs from the renderer"
import struct
rec = open("stream.raw", "rb").read()
rec = struct.unpack("<%dh" % (len(rec) // 2), rec[: len(rec) // 2 * 2])
wav = open("render.wav", "rb").read()
assert wav[:4] == b"RIFF" and wav[8:12] == b"WAVE"
pos = 12
while wav[pos:pos + 4] != b"data":
    pos += 8 + struct.unpack("<I", wav[pos + 4:pos + 8])[0]
size = struct.unpack("<I", wav[pos + 4:pos + 8])[0]
ref = struct.unpack("<%dh" % (size // 2), wav[pos + 8:pos + 8 + size])
assert all(v == 0 for v in ref[:800]) and ref[800] != 0, "renderer's first tick"
# SDL may give the disk device two channels and copy the mono stream into both.
if len(rec) % 2 == 0 and all(rec[i] == rec[i + 1] for i in range(0, len(rec), 2)):
    rec = rec[::2]
    print("device was stereo: both channels carry the mono stream")
first = next(i for i, v in enumerate(rec) if v != 0)
lead = first - 800
assert lead >= 0, "sound before sample 800"
got = rec[lead:]
n = min(len(got), len(ref))
print(f"leading pause silence {lead}, compared {n} samples ({n / 44100:.2f} s)")
assert n > 44100, "less than a second recorded"
bad = next((i for i in range(n) if got[i] != ref[i]), None)
assert bad is None, f"first difference at sample {bad}: {got[bad]} != {ref[bad]}"
PY
echo "PASS"
