#!/usr/bin/env bash
# No video mode: SDL starts, but SDL_SetVideoMode is refused (a preloaded
# library stands in front of SDL). demo32 prints only its failure line and
# ends with 1; demo8 prints its video-mode line, in full screen also the hint
# naming the program as it was called, and ends with 2.
. "$(dirname "$0")/lib.sh"
PRELOAD=${BUILD_DIR:?}/preload/no_video_mode.so
[ -f "$PRELOAD" ] || fail "missing $PRELOAD (built with the tests)"
enter_workdir
trap 'rm -rf "$WORK"' EXIT

# The dummy drivers let SDL_Init succeed without any display or sound device.
run() {  # name program args...
  local name=$1
  shift
  LD_PRELOAD=$PRELOAD SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout "$HANG_GUARD" "$@" \
    >"$name.out" 2>"$name.err"
  echo $? >"$name.status"
}

expect() {  # name status expected-stdout-bytes (printf format)
  local name=$1 status=$2
  [ "$(cat "$name.status")" -eq "$status" ] ||
    fail "$name: exit status $(cat "$name.status"), expected $status; stderr: $(cat "$name.err")"
  # shellcheck disable=SC2059
  printf "$3" >"$name.expected"
  cmp -s "$name.expected" "$name.out" || fail "$name: stdout differs:
$(od -c "$name.out" | head -n 12)"
  # The refusal came from the preloaded library, not from some other failure.
  grep -q '^preload: SDL_SetVideoMode(320, 240' "$name.err" ||
    fail "$name: the preloaded SDL_SetVideoMode was not called: $(cat "$name.err")"
}

LAMER='LAMER!!!!!!!!!!!!!!!!!\n'
NO_MODE='no johan on kumma ku ei saada ees 320x240x8\n'

run d32_full "$DEMO32"
expect d32_full 1 "$LAMER"
grep -q '0x80000001) refused' d32_full.err || fail "demo32 did not ask for a full-screen hardware surface"
run d32_window "$DEMO32" -window -nosound -2005 -debug
expect d32_window 1 "$LAMER"
grep -q '0x00000001) refused' d32_window.err || fail "demo32 -window did not ask for a windowed surface"
[ ! -e vintage.bmp ] || fail "demo32 wrote a screenshot"

run d8_full "$DEMO8"
expect d8_full 2 "${NO_MODE}ahhhahsdgjfgsfdsfouq kokeile ikkunas. laita $DEMO8 w\n"
run d8_window "$DEMO8" w
expect d8_window 2 "$NO_MODE"
run d8_window_word "$DEMO8" window extra arguments
expect d8_window_word 2 "$NO_MODE"

# The hint repeats argv[0] byte for byte, whatever the program was called.
ln -s "$DEMO8" "$(printf 'k\xe4yt\xe4 t\xe4t\xe4')"
run d8_link "./$(printf 'k\xe4yt\xe4 t\xe4t\xe4')" x
expect d8_link 2 "${NO_MODE}ahhhahsdgjfgsfdsfouq kokeile ikkunas. laita ./k\xe4yt\xe4 t\xe4t\xe4 w\n"
LD_PRELOAD=$PRELOAD SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  bash -c 'exec -a "naming %s %d argv0" "$0"' "$DEMO8" >d8_argv0.out 2>d8_argv0.err
echo $? >d8_argv0.status
expect d8_argv0 2 "${NO_MODE}ahhhahsdgjfgsfdsfouq kokeile ikkunas. laita naming %%s %%d argv0 w\n"
echo "PASS"
