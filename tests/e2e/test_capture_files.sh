#!/usr/bin/env bash
# demo-capture writes raw frames, PNGs, WAVs and voice stems of short stretches
# of both shows exactly; whole-show runs end where the music says; bad input is
# refused with exit status 2 and leaves nothing behind, as are options that
# would do nothing and two outputs into one file. Folders named with a
# trailing separator, names of 255 bytes; a replaced file keeps its mode,
# and its other hard links the old content. (What happens to files that
# exist already, and to interrupted runs: test_capture_safety.sh and
# test_capture_commit.sh.)
. "$(dirname "$0")/lib.sh"
[ -x "${DEMO_CAPTURE:-}" ] || fail "DEMO_CAPTURE is not an executable: ${DEMO_CAPTURE:-unset}"
command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 missing"; exit 77; }
enter_workdir
trap 'rm -rf "$WORK"' EXIT
CAP=$DEMO_CAPTURE

# --- demo32, frames 100-104 at 60 fps: 5 frames, samples 73500..77174 ---
"$CAP" demo32 --frames 100-104 --seed 7 --raw r --png p --wav a.wav --stems s --quiet \
  2>err.txt || fail "demo32 capture failed: $(cat err.txt)"
[ -s err.txt ] && fail "--quiet still printed: $(cat err.txt)"
[ "$(ls r | tr '\n' ' ')" = "frame_00100.raw frame_00101.raw frame_00102.raw frame_00103.raw frame_00104.raw " ] \
  || fail "raw files: $(ls r)"
[ "$(ls p | wc -l)" -eq 5 ] || fail "png files: $(ls p)"
[ "$(ls s | tr '\n' ' ')" = "voice_00.wav voice_01.wav voice_02.wav voice_03.wav voice_04.wav voice_05.wav voice_06.wav voice_07.wav voice_08.wav voice_09.wav voice_10.wav voice_11.wav " ] \
  || fail "stem files: $(ls s)"
ls -A r p s | grep -q '^\.' && fail "hidden files left: $(ls -A r p s)"

python3 - <<'PY' || fail "demo32 files are not what they should be"
import os, struct, subprocess, wave
for n in range(100, 105):
    assert os.path.getsize(f"r/frame_{n:05d}.raw") == 307200, n
# ImageMagick decodes the PNG; its pixels are the raw words' red, green, blue.
raw = open("r/frame_00102.raw", "rb").read()
png = subprocess.run(["convert", "p/frame_00102.png", "-depth", "8", "rgb:-"],
                     capture_output=True, check=True).stdout
assert len(png) == 320 * 240 * 3, len(png)
words = struct.unpack("<76800I", raw)
assert all(w >> 24 == 0 for w in words), "top byte of a pixel word is not 0"
expect = bytearray()
for w in words:
    expect += bytes(((w >> 16) & 255, (w >> 8) & 255, w & 255))
assert png == bytes(expect), "PNG pixels differ from the raw frame"
assert len(set(words)) > 4, "frame is (nearly) blank"

def samples(path):
    with wave.open(path) as w:
        assert (w.getnchannels(), w.getsampwidth(), w.getframerate()) == (1, 2, 44100), path
        n = w.getnframes()
        return list(struct.unpack(f"<{n}h", w.readframes(n)))
mix = samples("a.wav")
assert len(mix) == 105 * 735 - 100 * 735, len(mix)
assert max(map(abs, mix)) > 1000, "silent soundtrack"
stems = [samples(f"s/voice_{v:02d}.wav") for v in range(12)]
for i, m in enumerate(mix):
    total = sum(s[i] for s in stems) & 0xFFFF
    assert (total - 65536 if total >= 32768 else total) == m, i
PY

# The same seed gives the same frames, byte for byte.
"$CAP" demo32 --frames 104-104 --seed 7 --raw r2 --quiet || fail "second run failed"
cmp -s r/frame_00104.raw r2/frame_00104.raw || fail "same seed, different frame 104"

# --- demo8, the last 8 frames: the palette turns indices into PNG colours ---
"$CAP" demo8 --frames 1560-1567 --raw r8 --png p8 --wav b.wav --quiet 2>err.txt \
  || fail "demo8 capture failed: $(cat err.txt)"
[ "$(ls r8 | wc -l)" -eq 8 ] && [ -f r8/frame_01567.raw ] || fail "demo8 raw files: $(ls r8)"
python3 - <<'PY' || fail "demo8 files are not what they should be"
import os, subprocess, wave
for n in range(1560, 1568):
    assert os.path.getsize(f"r8/frame_{n:05d}.raw") == 76800, n
pal = []
for i in range(256):
    if i < 128:
        g = 8 * (31 - i % 32) if i & 32 else 8 * (i % 32)
        pal.append((0, g, 2 * i))
    else:
        pal.append((255, 255, i))
raw = open("r8/frame_01563.raw", "rb").read()
png = subprocess.run(["convert", "p8/frame_01563.png", "-depth", "8", "rgb:-"],
                     capture_output=True, check=True).stdout
assert png == b"".join(bytes(pal[i]) for i in raw), "PNG colours differ from the palette"
with wave.open("b.wav") as w:
    assert (w.getnchannels(), w.getsampwidth(), w.getframerate()) == (1, 1, 22050)
    assert w.getnframes() == 882 * 8, w.getnframes()
PY

# --- whole shows: soundtrack lengths and where the pictures end ---
"$CAP" demo8 --wav whole8.wav --quiet || fail "demo8 soundtrack failed"
"$CAP" demo32 --wav whole32.wav --quiet || fail "demo32 soundtrack failed"
python3 - <<'PY' || fail "whole soundtracks have the wrong length"
import wave
with wave.open("whole8.wav") as w:
    assert w.getnframes() == 1382976, w.getnframes()
with wave.open("whole32.wav") as w:
    assert w.getnframes() == 8756000, w.getnframes()
PY
"$CAP" demo32 --seed 1 2>err.txt || fail "full demo32 run failed: $(cat err.txt)"
grep -q 'frames 0-11912 at 60 fps, samples 0-8755999' err.txt || fail "60 fps run: $(cat err.txt)"
"$CAP" demo32 --fps 50 --frames 9927-9927 --raw last50 --quiet || fail "frame 9927 at 50 fps refused"
"$CAP" demo8 2>err.txt || fail "full demo8 run failed: $(cat err.txt)"
grep -q 'frames 0-1567 at 25 fps, samples 0-1382975' err.txt || fail "demo8 run: $(cat err.txt)"

# --- picture files are the same however many threads encode them ---
for jobs in 1 3; do
  mkdir "jobs$jobs"
  "$CAP" demo32 --frames 3590-3630 --seed 5 --raw "jobs$jobs/r" --png "jobs$jobs/p" --jobs "$jobs" \
    --quiet 2>err.txt || fail "demo32 with --jobs $jobs: $(cat err.txt)"
  "$CAP" demo8 --frames 280-330 --every 3 --raw "jobs$jobs/r8" --png "jobs$jobs/p8" \
    --jobs "$jobs" --quiet 2>err.txt || fail "demo8 with --jobs $jobs: $(cat err.txt)"
done
[ "$(ls jobs3/r | wc -l)" -eq 41 ] && [ "$(ls jobs3/p8 | wc -l)" -eq 17 ] ||
  fail "files with --jobs 3: $(ls jobs3/r jobs3/p8 | wc -l)"
diff -r jobs1 jobs3 >/dev/null || fail "--jobs 1 and --jobs 3 wrote different files"

# --- bad input: status 2, one line naming the problem, nothing written ---
mkdir out
: > plain
refuse() {
  local expect=$1
  shift
  "$CAP" "$@" >stdout.txt 2>stderr.txt
  local status=$?
  [ "$status" -eq 2 ] || fail "'$*' gave status $status: $(cat stderr.txt)"
  [ "$(wc -l <stderr.txt)" -eq 1 ] || fail "'$*' printed: $(cat stderr.txt)"
  grep -q -- "$expect" stderr.txt || fail "'$*' did not mention '$expect': $(cat stderr.txt)"
  [ -z "$(ls -A out)" ] || fail "'$*' left files: $(ls -A out)"
}
refuse 'demo32 or demo8' --wav out/a.wav
refuse '--bogus' demo32 --bogus --wav out/a.wav
refuse '--frames' demo32 --frames 5 --wav out/a.wav
refuse '--frames' demo32 --frames x-9 --wav out/a.wav
refuse 'empty' demo32 --frames 9-5 --wav out/a.wav
refuse 'outside the show' demo32 --frames 11900-11913 --wav out/a.wav --raw out/r
refuse 'outside the show' demo32 --fps 50 --frames 9928-9928 --wav out/a.wav
refuse 'outside the show' demo8 --frames 0-1568 --wav out/a.wav --png out/p
refuse 'out/no/such' demo8 --wav out/no/such/a.wav
refuse "'plain' is not a folder" demo8 --raw plain/r
refuse "'plain' is not a folder" demo8 --wav plain/a.wav
refuse "out" demo8 --wav out
refuse '--stems' demo8 --stems out/s
refuse '--fps' demo32 --fps 0 --wav out/a.wav
refuse '--fps' demo32 --fps -3 --wav out/a.wav
refuse '--fps' demo32 --wav out/a.wav --fps
refuse '--scale' demo32 --scale 0 --wav out/a.wav
refuse '--scale' demo8 --scale -2 --wav out/a.wav
refuse 'twice' demo8 --wav out/a.wav --wav out/b.wav

# Options that would change nothing.
refuse 'does nothing' demo32 --frames 0-3 --scale 2 --png out/p
refuse 'does nothing' demo32 --frames 0-3 --crf 20 --wav out/a.wav
refuse 'does nothing' demo32 --frames 0-3 --preset slow --raw out/r
refuse 'does nothing' demo8 --frames 0-3 --every 2 --wav out/a.wav
refuse 'does nothing' demo8 --frames 0-3 --jobs 2

# Two outputs into one file, with -y too; nothing is written.
mkdir same-st same-p
refuse 'the same file' demo32 --frames 0-1 --wav same-st/voice_00.wav --stems same-st
refuse 'the same file' demo32 --frames 0-1 --wav same-st/voice_00.wav --stems same-st -y
refuse 'the same file' demo8 --frames 0-3 --wav same-p/frame_00002.png --png same-p -y
refuse 'the same file' demo8 --frames 0-3 --wav same-p/./frame_00003.png --png same-p/ -y
[ -z "$(find same-st same-p -mindepth 1)" ] || fail "colliding outputs left files: $(find same-st same-p -mindepth 1)"

# A valid request whose first output is fine and second is not writes neither.
refuse 'plain' demo32 --frames 0-3 --wav out/a.wav --png plain/p
refuse 'plain' demo32 --frames 0-3 --raw out/r --wav plain/a.wav

# --- a new folder named with a trailing separator is that folder ---
mkdir t
for tail in / // /. /./; do
  "$CAP" demo32 --frames 7-8 --seed 7 --png "t/p$tail" --raw "t/r$tail" --stems "t/s$tail" \
    --quiet -y 2>err.txt || fail "folders named 't/p$tail': $(cat err.txt)"
  [ "$(ls t/p | wc -l)" -eq 2 ] && [ "$(ls t/r | wc -l)" -eq 2 ] && [ "$(ls t/s | wc -l)" -eq 12 ] ||
    fail "folders named 't/p$tail' got: $(ls -A t/p t/r t/s)"
  [ "$(ls -A t)" = "$(printf 'p\nr\ns')" ] || fail "folders named 't/p$tail' made: $(ls -A t)"
  rm -rf t/*
done

# --- names as long as the file system allows (255 bytes) ---
long_wav=$(printf 'n%.0s' $(seq 251)).wav
long_dir=$(printf 'd%.0s' $(seq 255))
"$CAP" demo8 --frames 0-1 --wav "$long_wav" --png "$long_dir" --quiet 2>err.txt ||
  fail "255-byte names: $(cat err.txt)"
[ -f "$long_wav" ] && [ -f "$long_dir/frame_00001.png" ] || fail "255-byte names: $(ls)"
"$CAP" demo8 --frames 0-1 --wav "$long_wav" --png "$long_dir" -y --quiet 2>err.txt ||
  fail "255-byte names replaced: $(cat err.txt)"

# --- a replaced file keeps its mode; its other hard links keep the old content ---
echo old >m.wav
chmod 600 m.wav
ln m.wav m-link.wav
"$CAP" demo8 --frames 0-9 --wav m.wav -y --quiet || fail "replacing m.wav"
[ "$(stat -c %a m.wav)" = 600 ] || fail "m.wav is now mode $(stat -c %a m.wav)"
[ "$(cat m-link.wav)" = old ] || fail "the other link to the old m.wav changed"
python3 -c "import wave; assert wave.open('m.wav').getnframes() == 8820" || fail "m.wav was not replaced"

echo "PASS"
