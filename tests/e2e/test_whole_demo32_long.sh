#!/usr/bin/env bash
# The whole show of demo32 with sound on SDL's disk audio driver: it ends by
# itself at the song's end mark with status 0 (no Escape, so no screenshot);
# the samples the program's audio callback produced equal the offline
# renderer's mix sample for sample from sample 0 past the end mark (8,756,000
# samples); the stream the device received carries them complete and in
# order; and the program's own code holds no more heap memory at any frame
# than at the first (measured by a preloaded library that counts only the
# program's own allocations, not SDL's or the display driver's).
# The SDL 1.2 compatibility layer converts the stream to its stereo device
# format through floating point, which moves samples above half scale by one
# step, so the exact comparison uses the callback's own buffers (recorded by a
# preloaded library) and the device's file is compared within that one step.
# The disk driver normally paces itself in real time (198.6 s); here it waits
# DEMO32_DISK_DELAY ms per 4096-sample buffer instead (default 12: about eight
# times real time, so the show takes about 26 s on an idle machine). The
# picture follows the faster clock as the real show follows the sound card.
. "$(dirname "$0")/lib.sh"
[ -x "${DEMO_CAPTURE:-}" ] || fail "demo-capture is not built: ${DEMO_CAPTURE:-unset}"
command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 missing"; exit 77; }
RECORDER=${BUILD_DIR:?}/preload/record_audio.so
[ -f "$RECORDER" ] || fail "missing $RECORDER (target preload_record_audio)"
HEAP=$BUILD_DIR/preload/own_heap.so
[ -f "$HEAP" ] || fail "missing $HEAP (target preload_own_heap)"
END_MARK=8756000
start_xvfb
enter_workdir

"$DEMO_CAPTURE" demo32 --wav reference.wav --quiet 2>capture.err ||
  fail "demo-capture: $(cat capture.err)"

LD_PRELOAD="$RECORDER $HEAP" start_app env RECORD_AUDIO_FILE="$WORK/callback.raw" \
  OWN_HEAP_FILE="$WORK/heap.txt" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/device.raw" \
  SDL_DISKAUDIODELAY="${DEMO32_DISK_DELAY:-12}" "$DEMO32" -window
started=$SECONDS
# It ends by itself; the limit only turns a hang into a failure.
wait_app 900
elapsed=$((SECONDS - started))

[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS: $(cat err.txt)"
grep -qx 'wag: 14.989903' out.txt || fail "the synthesizer did not start: $(cat out.txt)"
grep -a -q 'emm' err.txt && fail "audio failure reported: $(cat err.txt)"
[ ! -e vintage.bmp ] || fail "a screenshot was written, so something pressed Escape"

# Memory: the window, the tables and the audio device are set up before the
# first frame; after that the show keeps nothing it allocates. The polygon
# filler's work arrays come and go, so allocations are seen.
expect_flat_heap heap.txt
[ "$HEAP_ALLOCATIONS" -gt 0 ] || fail "no allocation of the program was seen: $(cat heap.txt)"

python3 - "$END_MARK" <<'PY' || fail "the recorded sound differs from the renderer's mix"
import sys, wave
from array import array
end_mark = int(sys.argv[1])
with wave.open("reference.wav") as w:
    assert (w.getnchannels(), w.getsampwidth(), w.getframerate()) == (1, 2, 44100)
    ref = array("h", w.readframes(w.getnframes()))
assert len(ref) == end_mark, f"the reference has {len(ref)} samples"

def samples(path):
    data = open(path, "rb").read()
    return array("h", data[: len(data) // 2 * 2])

def first_difference(a, b, n, tolerance=0):
    return next(i for i in range(n) if abs(a[i] - b[i]) > tolerance)

# The callback's own buffers: exact, from sample 0 (SDL does not call it while
# the device is paused).
own = samples("callback.raw")
common = min(len(own), end_mark)
if own[:common] != ref[:common]:
    bad = first_difference(own, ref, common)
    raise SystemExit(f"callback sample {bad}: {own[bad]}, the renderer has {ref[bad]}")
assert len(own) >= end_mark, f"the callback produced only {len(own)} samples"
print(f"callback: {len(own)} samples, the first {end_mark} equal to the renderer's")

# The device's file: whole buffers of silence while paused, then the stream,
# on a stereo device in both channels.
dev = samples("device.raw")
if len(dev) % 2 == 0 and dev[0::2] == dev[1::2]:
    dev = dev[0::2]
raw = dev.tobytes()
lead = (len(raw) - len(raw.lstrip(b"\0"))) // 2 - 800  # the first tick is silent
assert lead >= 0, "sound before sample 800"
dev = dev[lead:]
common = min(len(dev), end_mark)
changed = sum(1 for i in range(common) if dev[i] != ref[i])
bad = next((i for i in range(common) if abs(dev[i] - ref[i]) > 1), None)
assert bad is None, f"device sample {bad}: {dev[bad]}, the renderer has {ref[bad]}"
assert len(dev) >= end_mark, f"the device got only {len(dev)} samples"
print(f"device: {lead} samples of paused silence, then {len(dev)} samples within one step "
      f"of the renderer's ({changed} moved by the format conversion)")
PY
echo "PASS (${elapsed} s)"
