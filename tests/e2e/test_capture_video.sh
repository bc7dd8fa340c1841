#!/usr/bin/env bash
# demo-capture --video: a short stretch of each show through ffmpeg comes out
# with the right frame count, rate, size and duration; a missing or failing
# ffmpeg is reported and leaves no file behind.
. "$(dirname "$0")/lib.sh"
[ -x "${DEMO_CAPTURE:-}" ] || fail "DEMO_CAPTURE is not an executable: ${DEMO_CAPTURE:-unset}"
if ! command -v ffmpeg >/dev/null 2>&1 || ! command -v ffprobe >/dev/null 2>&1; then
  echo "SKIP: ffmpeg/ffprobe not installed (tools/setup.sh installs them)"
  exit 77
fi
enter_workdir
trap 'rm -rf "$WORK"' EXIT
CAP=$DEMO_CAPTURE

probe() {  # file stream entry -> value
  ffprobe -v error -count_frames -select_streams "$2" -show_entries "stream=$3" \
    -of default=noprint_wrappers=1:nokey=1 "$1" | head -n 1
}

# duration of a stream in ms, compared with a tolerance (AAC adds priming)
near() {  # actual expected tolerance
  python3 -c "import sys; a,e,t=map(float,sys.argv[1:]); sys.exit(0 if abs(a-e)<=t else 1)" "$@"
}

# demo32: one second at 60 fps, sharp 3x enlargement.
"$CAP" demo32 --frames 600-659 --seed 1 --video v32.mp4 --quiet 2>err.txt \
  || fail "demo32 video failed: $(cat err.txt)"
[ "$(probe v32.mp4 v:0 codec_name)" = h264 ] || fail "v32 codec: $(probe v32.mp4 v:0 codec_name)"
[ "$(probe v32.mp4 v:0 nb_read_frames)" = 60 ] || fail "v32 frames: $(probe v32.mp4 v:0 nb_read_frames)"
[ "$(probe v32.mp4 v:0 r_frame_rate)" = 60/1 ] || fail "v32 rate: $(probe v32.mp4 v:0 r_frame_rate)"
[ "$(probe v32.mp4 v:0 width)x$(probe v32.mp4 v:0 height)" = 960x720 ] || fail "v32 size"
[ "$(probe v32.mp4 a:0 codec_name)" = aac ] || fail "v32 audio codec"
[ "$(probe v32.mp4 a:0 sample_rate)" = 44100 ] || fail "v32 audio rate"
near "$(probe v32.mp4 v:0 duration)" 1.0 0.02 || fail "v32 video duration $(probe v32.mp4 v:0 duration)"
near "$(probe v32.mp4 a:0 duration)" 1.0 0.05 || fail "v32 audio duration $(probe v32.mp4 a:0 duration)"
ls -A | grep -q '^\.partial' && fail "partial files left: $(ls -A)"

# The picture is the show's: the first video frame, shrunk back, is close to
# the raw frame (H.264 and 4:2:0 colour are lossy, so only on average).
"$CAP" demo32 --frames 600-600 --seed 1 --raw r32 --quiet || fail "raw frame 600"
ffmpeg -v error -i v32.mp4 -frames:v 1 -vf scale=320:240:flags=neighbor -f rawvideo \
  -pix_fmt rgb24 first.rgb || fail "decoding v32"
python3 - <<'PY' || fail "video frame does not look like the raw frame"
import struct
raw = struct.unpack("<76800I", open("r32/frame_00600.raw", "rb").read())
got = open("first.rgb", "rb").read()
err = 0
for i, w in enumerate(raw):
    for k, shift in enumerate((16, 8, 0)):
        err += abs(((w >> shift) & 255) - got[3 * i + k])
mean = err / (76800 * 3)
assert mean < 12, mean
PY

# demo8: two seconds at its fixed 25 fps, 2x.
"$CAP" demo8 --frames 100-149 --scale 2 --video v8.mkv --quiet 2>err.txt \
  || fail "demo8 video failed: $(cat err.txt)"
[ "$(probe v8.mkv v:0 nb_read_frames)" = 50 ] || fail "v8 frames: $(probe v8.mkv v:0 nb_read_frames)"
[ "$(probe v8.mkv v:0 r_frame_rate)" = 25/1 ] || fail "v8 rate: $(probe v8.mkv v:0 r_frame_rate)"
[ "$(probe v8.mkv v:0 width)x$(probe v8.mkv v:0 height)" = 640x480 ] || fail "v8 size"
[ "$(probe v8.mkv a:0 sample_rate)" = 22050 ] || fail "v8 audio rate"
dur=$(ffprobe -v error -show_entries format=duration -of default=noprint_wrappers=1:nokey=1 v8.mkv)
near "$dur" 2.0 0.1 || fail "v8 duration $dur"

# No ffmpeg on the PATH: a clear error, no file.
mkdir empty-path
PATH=$WORK/empty-path "$CAP" demo8 --frames 0-9 --video none.mp4 2>err.txt
status=$?
[ "$status" -ne 0 ] || fail "missing ffmpeg was not an error"
grep -q ffmpeg err.txt || fail "error does not name ffmpeg: $(cat err.txt)"
[ -e none.mp4 ] && fail "file written without ffmpeg"

# An ffmpeg that fails: a clear error, no file, no partial files.
mkdir fake
printf '#!/bin/sh\necho "fake ffmpeg: refusing" >&2\nexit 1\n' >fake/ffmpeg
chmod +x fake/ffmpeg
PATH=$WORK/fake:$PATH "$CAP" demo8 --frames 0-99 --video bad.mp4 --wav bad.wav 2>err.txt
status=$?
[ "$status" -ne 0 ] || fail "failing ffmpeg was not an error"
grep -q 'ffmpeg' err.txt || fail "error does not name ffmpeg: $(cat err.txt)"
[ -e bad.mp4 ] && fail "video file left by a failed ffmpeg"
[ -e bad.wav ] && fail "soundtrack left as if complete by a failed run"
ls -A | grep -q '^\.partial' && fail "partial files left: $(ls -A)"

echo "PASS"
