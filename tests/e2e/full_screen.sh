# Both shows in full screen on an Xvfb screen of SCREEN (WxH) under a window
# manager, checked against the frames they showed: the picture enlarged by
# SCALE (the largest whole factor that fits), centred, every show pixel a
# SCALE x SCALE square of its own colour, black around it. Then the ways to
# ask for something else: DEMO_FULLSCREEN_SCALING=fill (the whole height, as
# the compatibility layer does by itself) and SDL12COMPAT_SCALE_METHOD=linear
# (smoothed). Sourced by test_full_screen_*.sh after lib.sh, with SCREEN and
# SCALE set.
#
# Each program is stopped at a frame by the probe (SHOW_PROBE_STOP_FILE) so
# that the screenshot holds exactly one frame. The frame it must match is
# demo-capture's for demo8 (its frames follow one another whatever the clock)
# and, for demo32, whose frames follow the time and a random seed, the one the
# program itself saves on Escape, which is the last frame it drew.
# With DEMO_FULL_SCREEN_SHOTS=DIR the screenshots are kept there.
XVFB_SCREEN=${SCREEN}x24 start_xvfb
start_window_manager
enter_workdir
helpers=$(dirname "${BASH_SOURCE[0]}")
shots=${DEMO_FULL_SCREEN_SHOTS:-$WORK}
mkdir -p "$shots"

# A visible window of the class that covers the screen; sets WINDOW_ID.
covers_screen() {  # class
  local w
  for w in $(xdotool search --onlyvisible --class "$1" 2>/dev/null); do
    if [ "$(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/.*Geometry: //p')" = "$SCREEN" ]; then
      WINDOW_ID=$w
      return 0
    fi
  done
  return 1
}
app_stopped() { [ "$(cut -d ' ' -f 3 "/proc/$APP_PID/stat" 2>/dev/null)" = T ]; }

# Starts the program (after env assignments) full screen, waits until its
# window covers the screen, stops it two frames after a key pressed from then
# on has reached it (so after it has also had the news of the window's size),
# and saves the screen as SHOT.png. Sets SHOWN_FRAME, the probe's number of
# the frame on the screen. The program stays stopped.
stop_full_screen() {  # shot class [VAR=value...] program args...
  local shot=$1 class=$2
  shift 2
  SHOW_PROBE_STOP_FILE=$WORK/stop start_app env "$@"
  # SDL may show a window and replace it while it sets the mode; the first
  # frame is drawn into the one that stays.
  wait_frames 1 || fail "$class ended before its first frame: $(cat out.txt err.txt)"
  wait_until "a $SCREEN window" covers_screen "$class" ||
    fail "$class ended before its window covered the screen: $(cat out.txt err.txt)"
  xdotool windowfocus --sync "$WINDOW_ID" 2>/dev/null || xdotool windowfocus "$WINDOW_ID"
  key space
  wait_frames 2 keydown 1 || fail "$class ended: $(cat err.txt)"
  : >"$WORK/stop"
  wait_until "$class stopped at a frame" app_stopped || fail "$class ended: $(cat err.txt)"
  SHOWN_FRAME=$(probe_value frame)
  xwd -root -silent >screen.xwd && convert xwd:screen.xwd "$shots/$shot.png" ||
    fail "screenshot $shot"
}

# demo32 ends on Escape with the frame on the screen as vintage.bmp: the key
# waits until the program continues, and is read before anything is drawn.
demo32_frame() {  # shot [VAR=value...]
  local shot=$1
  shift
  rm -f vintage.bmp
  stop_full_screen "$shot" demo32 SDL_AUDIODRIVER=dummy "$@" "$DEMO32" -nosound
  key Escape
  kill -CONT "$APP_PID"
  wait_app
  [ "$APP_STATUS" -eq 0 ] || fail "demo32: exit status $APP_STATUS: $(cat err.txt)"
  head -n 1 out.txt | grep -q -- '-[0-9]*): .*SDL_FULLSCREEN' || fail "demo32: not full screen: $(head -n 1 out.txt)"
  [ -f vintage.bmp ] || fail "demo32 saved no vintage.bmp"
  mv vintage.bmp "$shot.bmp"
  FRAME=$shot.bmp
}

# demo8's frame n is demo-capture's frame n.
demo8_frame() {  # shot [VAR=value...]
  local shot=$1
  shift
  stop_full_screen "$shot" demo8 SDL_AUDIODRIVER=dummy "$@" "$DEMO8"
  local n=$SHOWN_FRAME
  "$DEMO_CAPTURE" demo8 --frames "$n-$n" --png "$shot" --quiet >capture.log 2>&1 ||
    fail "demo-capture: $(cat capture.log)"
  key Escape
  kill -CONT "$APP_PID"
  wait_app
  [ "$APP_STATUS" -eq 0 ] || fail "demo8: exit status $APP_STATUS: $(cat err.txt)"
  FRAME=$shot/frame_$(printf %05d "$n").png
}

# The screenshot against its frame.
expect_picture() {  # shot mode [scale]
  local shot=$1
  shift
  python3 "$helpers/whole_pixels.py" "$shots/$shot.png" "$FRAME" "$@" || fail "$shot: picture"
}

demo32_frame "demo32_$SCREEN"
expect_picture "demo32_$SCREEN" whole "$SCALE"
demo8_frame "demo8_$SCREEN"
expect_picture "demo8_$SCREEN" whole "$SCALE"
