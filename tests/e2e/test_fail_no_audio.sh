#!/usr/bin/env bash
# Audio that cannot be had is never fatal. A preloaded library makes
# SDL_OpenAudio fail (no device) or report a format other than the one asked for
# (a refused format), or SDL is asked for an audio driver that does not exist
# (no sound layer at all: SDL starts with video alone, and the device is then
# refused like a missing one). demo32 then prints its Finnish line on standard error,
# with SDL's error text, runs silent on the timer clock and ends with 0 after
# Escape; demo8 prints its line on standard output, runs silent and ends with 0.
# demo8 does not look at the channel count, so a stereo device plays on.
. "$(dirname "$0")/lib.sh"
NO_DEVICE=${BUILD_DIR:?}/preload/no_audio_device.so
ODD_FORMAT=$BUILD_DIR/preload/odd_audio_format.so
[ -f "$NO_DEVICE" ] && [ -f "$ODD_FORMAT" ] || fail "preload libraries missing in $BUILD_DIR/preload"
start_xvfb
enter_workdir

# Escape is sent to the window found by its WM_CLASS (demo8 has no title);
# only a mapped window counts, SDL briefly makes an invisible one first.
find_window() {  # class
  focus_window --onlyvisible --class "$1"
  xdotool mousemove --window "$WINDOW_ID" 20 20
}

# Runs the program with the preload until Escape; leaves its output in case.*
# The show must go on without sound: for demo32 that means frames drawn after
# its silent clock has ticked a few times (demo8's clock is its frame count).
# With PLAYED_BYTES set, the program's audio callback must first have filled
# that many bytes.
run_case() {  # case preload field program args...
  local case=$1 preload=$2 field=$3
  shift 3
  rm -f disk.raw vintage.bmp
  LD_PRELOAD=$preload start_app env ODD_AUDIO_FIELD="$field" SDL_AUDIODRIVER="${AUDIO_DRIVER:-disk}" \
    SDL_DISKAUDIOFILE="$WORK/disk.raw" "$@"
  find_window "$(basename "$1")"
  if [ "$(basename "$1")" = demo32 ]; then
    wait_frames 3 timer_calls 10 || fail "$case: the show stopped by itself: $(cat out.txt err.txt)"
  else
    wait_frames 10 || fail "$case: the show stopped by itself: $(cat out.txt err.txt)"
  fi
  if [ -n "${PLAYED_BYTES:-}" ]; then
    wait_frames 1 audio_bytes "$PLAYED_BYTES" || fail "$case: ended before its music played"
  fi
  key Escape
  wait_app
  [ "$APP_STATUS" -eq 0 ] || fail "$case: exit status $APP_STATUS: $(cat err.txt)"
  mv out.txt "$case.out"
  mv err.txt "$case.err"
}

# SDL and the libraries below it write notes to stderr (the disk driver's
# warning, a display probe); everything else there must be the expected line.
library_notes() { grep -a -v -e '^CRITICAL: ' -e '^INFO: ' -e '^WARN: ' -e '^error: XDG_RUNTIME_DIR' "$@"; }
only_line_besides_sdl() {  # file expected-line (empty: none)
  local others expected=""
  others=$(library_notes "$1" | od -An -c)
  [ -z "$2" ] || expected=$(printf '%s\n' "$2" | od -An -c)
  [ "$others" = "$expected" ] ||
    fail "$1: expected only the audio line, got: $(od -c "$1" | head -n 20)"
}

# Whatever the device wrote before it was closed again is silence. The disk
# driver writes the device's own format, which the SDL 1.2 compatibility layer
# may choose differently (signed 16-bit stereo here), so silence is a file of
# only 0x00 or only 0x80 bytes.
silent() {  # case file
  [ ! -s "$2" ] && return 0
  local bytes
  bytes=$(od -An -v -tx1 "$2" | tr -s ' \n' '\n\n' | grep -v -x '' | sort -u | tr '\n' ' ')
  [ "$bytes" = "00 " ] || [ "$bytes" = "80 " ] ||
    fail "$1: sound reached the device although the audio was refused"
}

AUDIO32=$(printf 'emm\xe4 osaa soittaa musiiccia ku oot lameri t\xe4st\xe4 syyst\xe4: ')
REFUSED32=$(printf ' (ja et t\xe4yt\xe4 mun laatuvaatimuksia!)')
LOCK_REMARK=$(printf '^(jipii ei tarvi mit\xe4\xe4 lukkoja ees!|o-ou! dblbuf pit\xe4\xe4 olla lukossa!)$')

check32() {  # case expected-stderr-line
  only_line_besides_sdl "$1.err" "$2"
  [ "$(wc -l <"$1.out")" -eq 2 ] || fail "$1: stdout has more than the two start-up lines: $(cat "$1.out")"
  head -n 1 "$1.out" | grep -Eq '^vidmode flags \([0-9]+\): ' || fail "$1: flags line"
  sed -n 2p "$1.out" | LC_ALL=C grep -Eq "$LOCK_REMARK" || fail "$1: lock remark"
  [ -f vintage.bmp ] || fail "$1: no screenshot after Escape"
  silent "$1" disk.raw
}

run_case d32_none "$NO_DEVICE" "" "$DEMO32" -window
check32 d32_none "${AUDIO32}no audio device (refused by the test)"
[ ! -e disk.raw ] || fail "d32_none: a device was opened after all"
run_case d32_freq "$ODD_FORMAT" freq "$DEMO32" -window
check32 d32_freq "${AUDIO32}device runs at 48000 Hz (test)$REFUSED32"
run_case d32_format "$ODD_FORMAT" format "$DEMO32" -window -2005
check32 d32_format "${AUDIO32}device wants another sample format (test)$REFUSED32"
run_case d32_channels "$ODD_FORMAT" channels "$DEMO32" -window -debug
check32 d32_channels "${AUDIO32}device is stereo only (test)$REFUSED32"
AUDIO_DRIVER=no-such-driver run_case d32_no_layer "" "" "$DEMO32" -window
check32 d32_no_layer "${AUDIO32}Audio target 'no-such-driver' not available"
# -nosound never opens a device, so nothing is said about it.
AUDIO_DRIVER=no-such-driver run_case d32_no_layer_nosound "" "" "$DEMO32" -window -nosound
check32 d32_no_layer_nosound ""

CLOSING=$(printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.')
LATE=$(printf '^(T\xf6kkii varmaanki ihan liikaa\\. |Hmm t\xf6kkii kai v\xe4h\xe4, osta nopeempi kone\\? )[0-9]+$')

check8() {  # case expected-first-line (empty: none)
  local body=$1.body
  [ "$(tail -n 1 "$1.out")" = "$CLOSING" ] || fail "$1: the closing line is not last: $(cat "$1.out")"
  head -n -1 "$1.out" >"$body"
  if [ -n "$2" ]; then
    [ "$(head -n 1 "$body")" = "$2" ] || fail "$1: first line is not the audio line: $(head -n 1 "$1.out")"
    sed -i 1d "$body"
  fi
  # Anything else can only be lateness warnings.
  [ "$(LC_ALL=C grep -a -v -c -E "$LATE" "$body")" -eq 0 ] || fail "$1: unexpected lines: $(cat "$body")"
  library_notes -q "$1.err" && fail "$1: stderr: $(cat "$1.err")"
  return 0
}

run_case d8_none "$NO_DEVICE" "" "$DEMO8" w
check8 d8_none "$(printf 'No huh ku ei mit\xe4\xe4n musaa saada')"
[ ! -e disk.raw ] || fail "d8_none: a device was opened after all"
run_case d8_freq "$ODD_FORMAT" freq "$DEMO8" w
check8 d8_freq "$(printf 'Ei saa \xe4\xe4nt\xe4 silleen ku haluis, etp\xe4 kuule musaa')"
silent d8_freq disk.raw
run_case d8_format "$ODD_FORMAT" format "$DEMO8" w
check8 d8_format "$(printf 'Ei saa \xe4\xe4nt\xe4 silleen ku haluis, etp\xe4 kuule musaa')"
silent d8_format disk.raw
AUDIO_DRIVER=no-such-driver run_case d8_no_layer "" "" "$DEMO8" w
check8 d8_no_layer "$(printf 'No huh ku ei mit\xe4\xe4n musaa saada')"
# The channel count is not compared: the music plays.
# One second of its 8-bit mono music first.
PLAYED_BYTES=22050 run_case d8_channels "$ODD_FORMAT" channels "$DEMO8" w
check8 d8_channels ""
[ -s disk.raw ] || fail "d8_channels: no sound was played"
[ "$(od -An -v -tx1 disk.raw | tr -s ' \n' '\n\n' | sort -u | wc -l)" -gt 50 ] ||
  fail "d8_channels: the device got only silence"
echo "PASS"
