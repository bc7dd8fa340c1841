#!/usr/bin/env bash
# No display (no DISPLAY, no Wayland, no video driver chosen): SDL would fall
# back to a driver that shows nothing and the show would run unseen, burning
# a core. That counts as no video mode: demo32 prints only its failure line
# and ends with 1; demo8 prints its video-mode line (full screen: also the
# hint) and ends with 2. A driver that shows nothing, chosen on purpose with
# SDL_VIDEODRIVER, still runs the show.
. "$(dirname "$0")/lib.sh"
enter_workdir
trap 'stop_xvfb' EXIT

# A graphics console is a display too: SDL would show the show there.
if compgen -G '/dev/dri/card*' >/dev/null; then
  echo "SKIP: this machine has a graphics console (/dev/dri), so it has a display"
  exit 77
fi
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy)

expect() {  # name status expected-stdout-bytes (printf format) -- program args...
  local name=$1 status=$2 format=$3
  shift 4
  timeout -s KILL "$HANG_GUARD" "${no_display[@]}" "$@" >"$name.out" 2>"$name.err"
  local got=$?
  [ "$got" -eq "$status" ] || fail "$name: exit status $got, expected $status: $(cat "$name.out")"
  # shellcheck disable=SC2059
  printf "$format" | cmp -s - "$name.out" || fail "$name: stdout: $(od -c "$name.out" | head)"
}

expect d32 1 'LAMER!!!!!!!!!!!!!!!!!\n' -- "$DEMO32" -window -nosound
expect d32_sound 1 'LAMER!!!!!!!!!!!!!!!!!\n' -- "$DEMO32"
NO_MODE='no johan on kumma ku ei saada ees 320x240x8\n'
expect d8_window 2 "$NO_MODE" -- "$DEMO8" w
expect d8_full 2 "${NO_MODE}ahhhahsdgjfgsfdsfouq kokeile ikkunas. laita $DEMO8 w\n" -- "$DEMO8"
[ ! -e vintage.bmp ] || fail "demo32 wrote a screenshot"

# Chosen on purpose: the show runs (frames are presented) until a signal ends it.
for driver in offscreen dummy; do
  for program in "$DEMO32 -window -nosound" "$DEMO8 w"; do
    # shellcheck disable=SC2086
    start_app "${no_display[@]}" SDL_VIDEODRIVER=$driver $program
    wait_frames 3 || fail "$driver, $program: the show did not run: $(cat out.txt err.txt)"
    kill -TERM "$APP_PID"
    wait_app 60
    [ "$APP_STATUS" -eq 143 ] || fail "$driver, $program: status $APP_STATUS after SIGTERM"
  done
done
echo "PASS"
