#!/usr/bin/env bash
# Ctrl-C, a termination request and a closed terminal end either show at once,
# whatever it is doing: SDL is shut down by the program (demo32 closes its
# audio device first), no screenshot is written, and the program ends by the
# same signal, so that its shell sees 128 + signal (130, 143, 129). demo32's
# window close button stays ignored (test_fail_window_close.sh).
# Standard output into a file holds every console line as soon as it is
# printed: demo32's three start-up lines are there while the show runs, and
# still there after it was stopped.
. "$(dirname "$0")/lib.sh"
start_xvfb
enter_workdir

STARTUP32=$(printf '^(vidmode flags \\([0-9]+\\): .*|jipii ei tarvi mit\xe4\xe4 lukkoja ees!|o-ou! dblbuf pit\xe4\xe4 olla lukossa!|wag: 14\\.989903)$')
lines_of_demo32() {  # when
  [ "$(wc -l <out.txt)" -eq 3 ] && [ "$(LC_ALL=C grep -a -c -E "$STARTUP32" out.txt)" -eq 3 ] &&
    grep -qx 'wag: 14.989903' out.txt ||
    fail "$1: stdout is not the three start-up lines: $(od -c out.txt | head -n 12)"
}

stop_case() {  # signal close-audio-calls program args...
  local signal=$1 closes=$2 program=$3
  shift 2
  local what="$(basename "$program") ${*:2} SIG$signal"
  rm -f vintage.bmp
  start_app env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/disk.raw" "$@"
  wait_frames 3 || fail "$what: the show ended by itself: $(cat out.txt err.txt)"
  if [ "$program" = "$DEMO32" ] && [ "${*: -1}" != -nosound ]; then
    lines_of_demo32 "$what, while the show runs"
  fi
  kill -"$signal" "$APP_PID"
  wait_app 60
  local expected=$((128 + $(kill -l "$signal")))
  [ "$APP_STATUS" -eq "$expected" ] || fail "$what: status $APP_STATUS, expected $expected"
  grep -qx "sdl_quit close_audio=$closes" "$PROBE_LOG" ||
    fail "$what: SDL was not shut down as expected: $(grep -a '^sdl_quit' "$PROBE_LOG")"
  [ ! -e vintage.bmp ] || fail "$what: a screenshot was written"
}

for signal in INT TERM HUP; do
  stop_case "$signal" 1 "$DEMO32" -window
  lines_of_demo32 "demo32 SIG$signal, after the end"
  stop_case "$signal" 0 "$DEMO8" w
  # Stopped, not finished: no closing line.
  LC_ALL=C grep -a -q '^Kurppana' out.txt && fail "demo8 SIG$signal: the closing line was printed"
done
# The silent show clock (a timer thread instead of the audio thread).
stop_case TERM 1 "$DEMO32" -window -nosound
echo "PASS"
