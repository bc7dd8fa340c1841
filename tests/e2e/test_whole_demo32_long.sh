#!/usr/bin/env bash
# The whole show of demo32 with sound on SDL's disk audio driver: it ends by
# itself at the song's end mark with status 0 (no Escape, so no screenshot);
# the samples the program's audio callback produced equal the offline
# renderer's mix sample for sample from sample 0 past the end mark (8,756,000
# samples); the stream the device received carries them complete and in
# order; and the program's resident memory stays flat over the run.
# The SDL 1.2 compatibility layer converts the stream to its stereo device
# format through floating point, which moves samples above half scale by one
# step, so the exact comparison uses the callback's own buffers (recorded by a
# preloaded library) and the device's file is compared within that one step.
# The disk driver normally paces itself in real time (198.6 s); here it waits
# DEMO32_DISK_DELAY ms per 4096-sample buffer instead (default 23: about four
# times real time, so the show takes about 50 s). The picture follows the
# faster clock as the real show follows the sound card.
. "$(dirname "$0")/lib.sh"
[ -x "${DEMO_CAPTURE:-}" ] || fail "demo-capture is not built: ${DEMO_CAPTURE:-unset}"
command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 missing"; exit 77; }
RECORDER=${BUILD_DIR:?}/preload/record_audio.so
[ -f "$RECORDER" ] || fail "missing $RECORDER (target preload_record_audio)"
END_MARK=8756000
RSS_GROWTH_LIMIT_KB=${RSS_GROWTH_LIMIT_KB:-4096}
start_xvfb
enter_workdir

"$DEMO_CAPTURE" demo32 --wav reference.wav --quiet 2>capture.err ||
  fail "demo-capture: $(cat capture.err)"

start_app env LD_PRELOAD="$RECORDER" RECORD_AUDIO_FILE="$WORK/callback.raw" \
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/device.raw" \
  SDL_DISKAUDIODELAY="${DEMO32_DISK_DELAY:-23}" "$DEMO32" -window
started=$SECONDS

# Resident memory every two seconds until the program ends by itself.
rss_log=rss.txt
: >"$rss_log"
next=$SECONDS
while app_running; do
  [ $((SECONDS - started)) -le 600 ] || fail "demo32 did not end by itself within 600 s"
  if [ "$SECONDS" -ge "$next" ]; then
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$APP_PID/status" 2>/dev/null)
    [ -n "$rss" ] && echo "$((SECONDS - started)) $rss" >>"$rss_log"
    next=$((SECONDS + 2))
  fi
  sleep 0.2
done
wait_app 5
elapsed=$((SECONDS - started))

[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS: $(cat err.txt)"
grep -qx 'wag: 14.989903' out.txt || fail "the synthesizer did not start: $(cat out.txt)"
grep -a -q 'emm' err.txt && fail "audio failure reported: $(cat err.txt)"
[ ! -e vintage.bmp ] || fail "a screenshot was written, so something pressed Escape"

# Memory: the first seconds build tables and open the window; after that the
# show allocates nothing, so the resident size must not creep up.
python3 - "$rss_log" "$RSS_GROWTH_LIMIT_KB" <<'PY' || fail "resident memory grew during the show: $(tr '\n' ' ' <"$rss_log")"
import sys
samples = [tuple(map(int, line.split())) for line in open(sys.argv[1])]
settled = [kb for t, kb in samples if t >= 6]
assert len(settled) >= 5, f"too few samples: {samples}"
base, peak = settled[0], max(settled)
print(f"resident memory: {base} kB after 6 s, peak {peak} kB, growth {peak - base} kB "
      f"over {len(settled)} samples")
assert peak - base <= int(sys.argv[2]), f"grew by {peak - base} kB"
PY

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
