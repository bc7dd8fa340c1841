#!/usr/bin/env bash
# The examples of README.md's "Offline capture" section, run as they are
# written there (every line of its sh blocks, with build/ the build folder),
# do what the section says: five seconds of demo32 as a video, 288 PNG
# frames of demo8's rotozoomer with their sound, and demo8's whole
# soundtrack into SoX's player (whose sound device is a file here, through
# an ALSA configuration of the test's own). The limits the option table
# gives are the tool's: the largest value is accepted, the next refused.
. "$(dirname "$0")/lib.sh"
[ -x "${DEMO_CAPTURE:-}" ] || fail "DEMO_CAPTURE is not an executable: ${DEMO_CAPTURE:-unset}"
for tool in python3 ffmpeg ffprobe play; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool missing (tools/setup.sh installs it)"; exit 77; }
done
README=${SOURCE_DIR:?}/README.md
enter_workdir
trap 'rm -rf "$WORK"' EXIT
ln -s "$(dirname "$DEMO_CAPTURE")" build

# The section's sh blocks, one command a line.
awk '/^## Offline capture/ { on = 1; next } /^## / { on = 0 }
     on && /^```sh$/ { block = 1; next } on && /^```$/ { block = 0 }
     on && block' "$README" >examples.txt
[ "$(wc -l <examples.txt)" -eq 3 ] || fail "the section's examples changed, so must this test: $(cat examples.txt)"

# SoX's play writes to ALSA's default device: here a file.
mkdir home
cat >home/.asoundrc <<EOF
pcm.!default {
  type file
  slave.pcm "null"
  file "$WORK/played.raw"
  format "raw"
}
EOF
while IFS= read -r line; do
  echo "README: $line"
  HOME=$WORK/home bash -o pipefail -c "$line" </dev/null >out.txt 2>err.txt ||
    fail "the README's '$line' failed: $(tail -n 3 err.txt)"
done <examples.txt

probe() { ffprobe -v error -count_frames -select_streams "$2" -show_entries "stream=$3" \
  -of default=noprint_wrappers=1:nokey=1 "$1" | head -n 1; }
[ "$(probe polygon.mp4 v:0 nb_read_frames)" = 300 ] || fail "polygon.mp4: $(probe polygon.mp4 v:0 nb_read_frames) frames"
[ "$(probe polygon.mp4 a:0 codec_name)" = aac ] || fail "polygon.mp4 has no AAC sound"
[ "$(ls rotozoomer | wc -l)" -eq 288 ] && [ -f rotozoomer/frame_00288.png ] && [ -f rotozoomer/frame_00575.png ] ||
  fail "rotozoomer/: $(ls rotozoomer | head -n 3) ... ($(ls rotozoomer | wc -l) files)"
python3 - <<'PY' || fail "the sound of the examples"
import os, wave
with wave.open("rotozoomer.wav") as w:
    assert w.getnframes() == 288 * 882, w.getnframes()
# play got the whole 8-bit soundtrack, padded at most to a whole period.
played = os.path.getsize("played.raw")
assert 1382976 <= played < 1382976 + 65536, played
PY

# The limits of the option table.
limit() {  # option -> the largest value the table gives
  grep -E "^\| \`$1 N\` \|" "$README" | grep -oE '[0-9][0-9,]* to [0-9][0-9,]*' | head -n 1 |
    sed 's/.* to //; s/,//g'
}
CAP=$DEMO_CAPTURE
for option in --fps --jobs --every --scale --crf; do
  max=$(limit "$option")
  [ -n "$max" ] || fail "README.md gives no range for $option"
  case $option in
  --fps) accept=(demo32 --frames 0-0 --wav l.wav --fps "$max") ;;
  --jobs) accept=(demo8 --frames 0-0 --raw l --jobs "$max") ;;
  --every) accept=(demo8 --frames 0-0 --png l --every "$max") ;;
  --scale | --crf) accept=(demo8 --frames 0-0 --video l.mkv "$option" "$max") ;;
  esac
  rm -rf l l.wav l.mkv
  "$CAP" "${accept[@]}" --quiet 2>err.txt || fail "$option $max, the table's largest, was refused: $(cat err.txt)"
  "$CAP" "${accept[@]:0:${#accept[@]}-1}" "$((max + 1))" --quiet 2>err.txt
  [ $? -eq 2 ] || fail "$option $((max + 1)), beyond the table's range, was accepted"
done
echo "PASS"
