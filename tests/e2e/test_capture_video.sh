#!/usr/bin/env bash
# demo-capture --video: short stretches of each show through ffmpeg come out
# with the right frame count, rate, size, duration, colour tags and metadata;
# every show pixel stays a block of its own colour; the containers the help
# names work, the same command writes the same file in each, others are
# refused before any work; FIFOs are written in place; a missing ffmpeg is
# refused before any work; a failing, stuck or silent ffmpeg is reported,
# ended and leaves every file as it was.
. "$(dirname "$0")/lib.sh"
[ -x "${DEMO_CAPTURE:-}" ] || fail "DEMO_CAPTURE is not an executable: ${DEMO_CAPTURE:-unset}"
if ! command -v ffmpeg >/dev/null 2>&1 || ! command -v ffprobe >/dev/null 2>&1; then
  echo "SKIP: ffmpeg/ffprobe not installed (tools/setup.sh installs them)"
  exit 77
fi
HERE=$(cd "$(dirname "$0")" && pwd)
enter_workdir
trap 'kill -KILL $(jobs -p) 2>/dev/null; rm -rf "$WORK"' EXIT
CAP=$DEMO_CAPTURE

probe() {  # file stream entry -> value
  ffprobe -v error -count_frames -select_streams "$2" -show_entries "stream=$3" \
    -of default=noprint_wrappers=1:nokey=1 "$1" | head -n 1
}
comment_of() {
  ffprobe -v error -show_entries format_tags=comment -of default=noprint_wrappers=1:nokey=1 "$1"
}
# duration of a stream in ms, compared with a tolerance (AAC adds priming)
near() {  # actual expected tolerance
  python3 -c "import sys; a,e,t=map(float,sys.argv[1:]); sys.exit(0 if abs(a-e)<=t else 1)" "$@"
}
no_hidden() { [ -z "$(find . -mindepth 1 -name '.*')" ] || fail "hidden files left: $(find . -name '.*')"; }
# A process has ended (a zombie nobody reaps has ended too).
gone() { local s; s=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null); [ -z "$s" ] || [ "$s" = Z ]; }

# demo32: one second at 60 fps, by default 4x: 1280x960.
"$CAP" demo32 --frames 600-659 --seed 1 --video v32.mp4 --quiet 2>err.txt \
  || fail "demo32 video failed: $(cat err.txt)"
[ "$(probe v32.mp4 v:0 codec_name)" = h264 ] || fail "v32 codec: $(probe v32.mp4 v:0 codec_name)"
[ "$(probe v32.mp4 v:0 nb_read_frames)" = 60 ] || fail "v32 frames: $(probe v32.mp4 v:0 nb_read_frames)"
[ "$(probe v32.mp4 v:0 r_frame_rate)" = 60/1 ] || fail "v32 rate: $(probe v32.mp4 v:0 r_frame_rate)"
[ "$(probe v32.mp4 v:0 width)x$(probe v32.mp4 v:0 height)" = 1280x960 ] || fail "v32 size"
[ "$(probe v32.mp4 a:0 codec_name)" = aac ] || fail "v32 audio codec"
[ "$(probe v32.mp4 a:0 sample_rate)" = 44100 ] || fail "v32 audio rate"
near "$(probe v32.mp4 v:0 duration)" 1.0 0.02 || fail "v32 video duration $(probe v32.mp4 v:0 duration)"
near "$(probe v32.mp4 a:0 duration)" 1.0 0.05 || fail "v32 audio duration $(probe v32.mp4 a:0 duration)"
# How the frames were converted is written into the stream.
tags=$(ffprobe -v error -select_streams v:0 -show_entries \
  stream=color_space,color_range,color_primaries,color_transfer -of csv=p=0 v32.mp4)
[ "$tags" = "tv,bt709,iec61966-2-1,bt709" ] || fail "v32 colour tags: $tags"
comment_of v32.mp4 | grep -q -- '--seed 1 --frames 600-659 --scale 4' ||
  fail "v32 metadata: $(comment_of v32.mp4)"
no_hidden

# Every show pixel a block of its colour: the default video against the PNGs
# of the same frames, demo32 at the polygon and scroller, demo8 with its
# yellow text over the plasma.
check_blocks() {  # video png-dir first count
  local result
  result=$(python3 "$HERE/block_colour.py" "$@") || fail "comparing $1 with its PNGs"
  echo "$1: $result"
  python3 - "$result" <<'PY' || fail "$1 does not keep the pixels' colours: $result"
import sys
f = sys.argv[1].split()
chroma, block = float(f[1]), float(f[3])
assert chroma <= 0.06 and block <= 0.03, (chroma, block)
PY
}
"$CAP" demo32 --frames 3600-3603 --seed 2005 --png p32 --video blocks32.mp4 --quiet ||
  fail "demo32 frames 3600-3603"
check_blocks blocks32.mp4 p32 3600 4
"$CAP" demo8 --frames 400-403 --png p8 --video blocks8.mkv --quiet || fail "demo8 frames 400-403"
check_blocks blocks8.mkv p8 400 4

# demo8: two seconds at its fixed 25 fps, 2x.
"$CAP" demo8 --frames 100-149 --scale 2 --video v8.mkv --quiet 2>err.txt \
  || fail "demo8 video failed: $(cat err.txt)"
[ "$(probe v8.mkv v:0 nb_read_frames)" = 50 ] || fail "v8 frames: $(probe v8.mkv v:0 nb_read_frames)"
[ "$(probe v8.mkv v:0 r_frame_rate)" = 25/1 ] || fail "v8 rate: $(probe v8.mkv v:0 r_frame_rate)"
[ "$(probe v8.mkv v:0 width)x$(probe v8.mkv v:0 height)" = 640x480 ] || fail "v8 size"
[ "$(probe v8.mkv a:0 sample_rate)" = 22050 ] || fail "v8 audio rate"
dur=$(ffprobe -v error -show_entries format=duration -of default=noprint_wrappers=1:nokey=1 v8.mkv)
near "$dur" 2.0 0.1 || fail "v8 duration $dur"

# The third container the help names, and one it does not, refused at once.
"$CAP" demo8 --frames 0-9 --scale 2 --video v8.mov --quiet || fail "QuickTime video failed"
[ "$(probe v8.mov v:0 nb_read_frames)" = 10 ] || fail "v8.mov frames"
"$CAP" demo32 --video v.webm --png webm-frames --quiet 2>err.txt
[ $? -eq 2 ] || fail "a WebM target was not refused"
grep -q '.mkv, .mp4 or .mov' err.txt || fail "the refusal does not say what works: $(cat err.txt)"
[ -e v.webm ] || [ -e webm-frames ] && fail "work started before the refusal"
ln -s both.mkv link.mkv
"$CAP" demo8 --frames 0-9 --wav link.mkv --video both.mkv 2>err.txt
[ $? -eq 2 ] || fail "soundtrack and video into one file was not refused: $(cat err.txt)"
[ -e both.mkv ] && fail "soundtrack and video into one file wrote it"

# A FIFO stays one and gets the whole video, a streamable MP4 too.
for name in fifo.mkv fifo.mp4; do
  mkfifo "$name"
  cat "$name" >"got-$name" &
  reader=$!
  "$CAP" demo8 --frames 0-9 --scale 2 --video "$name" --quiet 2>err.txt ||
    fail "video into the FIFO $name: $(cat err.txt)"
  wait_until "end of the FIFO reader" gone "$reader"
  [ -p "$name" ] || fail "the FIFO $name was replaced by a file"
  [ "$(probe "got-$name" v:0 nb_read_frames)" = 10 ] || fail "video through the FIFO $name"
done

# The same command writes the same file, byte for byte, in every container.
for name in again.mkv again.mp4 again.mov; do
  "$CAP" demo8 --frames 0-9 --scale 2 --video "$name" --quiet || fail "video $name"
  mv "$name" "first-$name"
  "$CAP" demo8 --frames 0-9 --scale 2 --video "$name" --quiet || fail "video $name again"
  cmp -s "$name" "first-$name" || fail "$name differs from run to run in $(cmp -l "$name" "first-$name" | wc -l) bytes"
done

# No ffmpeg on the PATH: refused before any work, no file.
mkdir empty-path
PATH=$WORK/empty-path "$CAP" demo8 --frames 0-9 --video none.mp4 2>err.txt
status=$?
[ "$status" -eq 2 ] || fail "missing ffmpeg gave status $status"
grep -q ffmpeg err.txt || fail "error does not name ffmpeg: $(cat err.txt)"
[ -e none.mp4 ] && fail "file written without ffmpeg"

# An ffmpeg that fails part-way: a clear error, and every file as before,
# the frames of an earlier run included.
mkdir frames
for i in $(seq 0 99); do echo "earlier $i" >"$(printf 'frames/frame_%05d.png' "$i")"; done
before=$(cd frames && md5sum frame_* | md5sum)
mkdir fake
printf '#!/bin/sh\nhead -c 20000000 >/dev/null\necho "fake ffmpeg: giving up" >&2\nexit 1\n' >fake/ffmpeg
chmod +x fake/ffmpeg
echo old >bad.wav
PATH=$WORK/fake:$PATH "$CAP" demo8 --frames 0-99 --scale 2 --video bad.mp4 --wav bad.wav \
  --png frames -y 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "failing ffmpeg gave status $status: $(cat err.txt)"
grep -q 'ffmpeg' err.txt || fail "error does not name ffmpeg: $(cat err.txt)"
[ -e bad.mp4 ] && fail "video file left by a failed ffmpeg"
[ "$(cat bad.wav)" = old ] || fail "a failed run replaced bad.wav"
[ "$(cd frames && md5sum frame_* | md5sum)" = "$before" ] || fail "a failed run changed the frames"
no_hidden

# An ffmpeg that reads everything and ends well without writing a byte.
printf '#!/bin/sh\ncat >/dev/null\nexit 0\n' >fake/ffmpeg
PATH=$WORK/fake:$PATH "$CAP" demo8 --frames 0-9 --scale 2 --video silent.mkv --quiet 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "an ffmpeg that wrote nothing gave status $status: $(cat err.txt)"
grep -q "ffmpeg ended without writing 'silent.mkv'" err.txt || fail "not said: $(cat err.txt)"
[ -e silent.mkv ] && fail "an empty video was left"
no_hidden

# An ffmpeg that never reads (it blocks until killed): SIGTERM still ends the run, status 143, and
# ffmpeg with it; after SIGKILL of the tool ffmpeg ends too, and the next run
# removes what the killed one left.
printf '#!/bin/sh\necho $$ >"$FAKE_PID"\nexec tail -f /dev/null\n' >fake/ffmpeg
for sig in TERM KILL; do
  rm -f fake.pid
  FAKE_PID=$WORK/fake.pid PATH=$WORK/fake:$PATH "$CAP" demo8 --video stuck.mkv --quiet 2>err.txt &
  tool=$!
  wait_until "ffmpeg start" test -s fake.pid
  fake=$(cat fake.pid)
  kill -"$sig" "$tool"
  wait "$tool" 2>/dev/null
  status=$?
  [ "$sig" = KILL ] || [ "$status" -eq 143 ] || fail "SIGTERM gave status $status: $(cat err.txt)"
  wait_until "end of ffmpeg after SIG$sig" gone "$fake"
  [ -e stuck.mkv ] && fail "SIG$sig left a video"
done
[ -n "$(find . -maxdepth 1 -name '.demo-capture-partial-*')" ] || fail "the killed run left nothing to recognise"
"$CAP" demo8 --frames 0-0 --wav after.wav --quiet || fail "the run after the killed one"
no_hidden

echo "PASS"
