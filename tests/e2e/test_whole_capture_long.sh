#!/usr/bin/env bash
# Both whole shows rendered offline through demo-capture: every frame (with
# and without demo32's smear filter) and every sample of both soundtracks,
# including demo32's twelve voice stems. Each run must end with status 0 and
# print nothing. In the build with -DDEMO_SANITIZE=ON this is the sanitizers'
# pass over all of the show code: AddressSanitizer and UndefinedBehaviorSanitizer
# stop the program at the first report.
. "$(dirname "$0")/lib.sh"
[ -x "${DEMO_CAPTURE:-}" ] || fail "demo-capture is not built: ${DEMO_CAPTURE:-unset}"
enter_workdir
trap 'rm -rf "$WORK"' EXIT

render() {  # description demo-capture arguments...
  local what=$1
  shift
  local started=$SECONDS
  "$DEMO_CAPTURE" "$@" --quiet >stdout.txt 2>stderr.txt ||
    fail "$what: status $?: $(tail -n 30 stderr.txt)"
  [ ! -s stdout.txt ] && [ ! -s stderr.txt ] || fail "$what printed: $(head -c 2000 stdout.txt stderr.txt)"
  echo "$what: $((SECONDS - started)) s"
}

# The pictures are drawn for every frame; a few are written so that the file
# writers run too.
render "demo32, frames and sound" demo32 --seed 1 --png p32 --every 997 --wav a32.wav --stems stems
render "demo32 without smear" demo32 --seed 2 --no-smear --png q32 --every 2999
render "demo8, frames and sound" demo8 --png p8 --every 97 --wav a8.wav

[ "$(ls p32 | wc -l)" -eq 12 ] || fail "demo32 pictures: $(ls p32 | tr '\n' ' ')"
[ "$(ls stems | wc -l)" -eq 12 ] || fail "demo32 stems: $(ls stems | tr '\n' ' ')"
[ "$(ls p8 | wc -l)" -eq 17 ] || fail "demo8 pictures: $(ls p8 | tr '\n' ' ')"
# Every sample of both soundtracks, and nothing after them.
frames_of() {  # wav -> "samples bytes-after-the-data-chunk"
  python3 -c 'import struct, sys, wave
n = wave.open(sys.argv[1]).getnframes()
b = open(sys.argv[1], "rb").read()
at = 12
while b[at:at + 4] != b"data":
    at += 8 + (struct.unpack("<I", b[at + 4:at + 8])[0] + 1) // 2 * 2
print(n, len(b) - (at + 8 + struct.unpack("<I", b[at + 4:at + 8])[0]))' "$1" || fail "$1 is not a WAV file"
}
[ "$(frames_of a32.wav)" = "8756000 0" ] || fail "demo32 soundtrack: $(frames_of a32.wav)"
[ "$(frames_of a8.wav)" = "1382976 0" ] || fail "demo8 soundtrack: $(frames_of a8.wav)"
echo "PASS"
