#!/usr/bin/env bash
# Every command README.md shows is run by a test as it is written there. This
# test keeps the list: the lines of the README's sh blocks must be the ones
# below, each with the test that runs it, and that test must hold the line
# word for word. It runs the desktop ones itself, from the top of the
# repository with the suite's own build/ (as a reader would after the first
# command): the first command builds nothing new and starts demo32 in a
# window, with sound; the display section's two lines give a full-screen
# window and a 320x240 one; the unit tests run alone as the text says. Each
# show is ended with SIGTERM, which writes no vintage.bmp into the repository.
. "$(dirname "$0")/lib.sh"
README=${SOURCE_DIR:?}/README.md
e2e=$SOURCE_DIR/tests/e2e
if [ "$(cd "${BUILD_DIR:?}" && pwd -P)" != "$(cd "$SOURCE_DIR/build" 2>/dev/null && pwd -P)" ]; then
  echo "SKIP: the README's commands use build/, and this suite was built in $BUILD_DIR"
  exit 77
fi

# The line, then where it is run. The Offline capture section's examples have
# a test of their own, which reads them from the README.
declare -A RUN_BY=(
  ["tools/setup.sh && cmake -S . -B build && cmake --build build -j2 && build/demo32 -window"]=here
  ["tools/test.sh"]=.ci/run
  ["DEMO_FULLSCREEN_SCALING=fill build/demo32"]=here
  ["SDL12COMPAT_SCALE_METHOD=linear SDL12COMPAT_WINDOW_SCALING=1 build/demo32 -window"]=here
  ["tools/setup.sh --windows && tools/package-windows.sh --sdl-sources DIR"]=tests/e2e/test_windows_package.sh
  ["tools/setup.sh --web && tools/build-web.sh"]=tests/e2e/test_readme_web.sh
  ["python3 -m http.server -d build-web"]=tests/e2e/test_readme_web.sh
  ["tools/perf.sh"]=tests/e2e/test_readme_perf.sh
)
enter_workdir
trap stop_xvfb EXIT
awk '/^## / { capture = ($0 == "## Offline capture") }
     /^```sh$/ { block = 1; next } /^```$/ { block = 0 }
     block && !capture' "$README" >commands.txt
while IFS= read -r line; do
  [ -n "${RUN_BY[$line]+set}" ] || fail "README.md shows '$line', which no test runs: add it here"
  runner=${RUN_BY[$line]}
  [ "$runner" = here ] || grep -qF -- "$line" "$SOURCE_DIR/$runner" ||
    fail "$runner does not run the README's '$line' as written"
done <commands.txt
for line in "${!RUN_BY[@]}"; do
  grep -qxF -- "$line" commands.txt || fail "README.md no longer shows '$line': drop it here"
done

# The reader's screen: 1920x1080 under a window manager, so a 3x window fits.
XVFB_SCREEN=1920x1080x24 start_xvfb
start_window_manager

# A visible demo32 window of that size; sets WINDOW_ID.
shows_window() {  # WxH
  local w
  for w in $(xdotool search --onlyvisible --class demo32 2>/dev/null); do
    if [ "$(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/.*Geometry: //p')" = "$1" ]; then
      WINDOW_ID=$w
      return 0
    fi
  done
  return 1
}
sound_written() { [ -s sound.raw ]; }

# Runs the README's line from the top of the repository, waits for demo32's
# window of the given size (and its sound, if asked), then ends the show.
run_line() {  # line WxH [sound]
  local line=$1 size=$2 pid
  rm -f sound.raw
  echo "README: $line"
  APP_PROBE=0 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/sound.raw \
    start_app bash -c 'cd "$1" && eval "$2"' _ "$SOURCE_DIR" "$line"
  wait_until "a $size demo32 window" shows_window "$size" ||
    fail "'$line' ended before a $size window: $(tail -n 5 err.txt)"
  if [ "${3:-}" = sound ]; then
    wait_until "demo32's sound" sound_written || fail "demo32 ended: $(tail -n 5 err.txt)"
  fi
  pid=$(xdotool getwindowpid "$WINDOW_ID")
  [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = demo32 ] || fail "the window is not demo32's (pid $pid)"
  kill -TERM "$pid"
  wait_app
  [ "$APP_STATUS" -eq 143 ] || fail "'$line': status $APP_STATUS after SIGTERM to demo32"
}

run_line "$(sed -n 1p commands.txt)" 960x720 sound
grep -q 'Built target demo32' out.txt || fail "the first command did not build: $(tail -n 5 out.txt)"
if grep -E '^\[ *[0-9]+%\] (Building|Linking)' out.txt; then
  echo "note: the first command found something to build (a build older than the sources)"
fi
run_line "DEMO_FULLSCREEN_SCALING=fill build/demo32" 1920x1080 sound
head -n 1 out.txt | grep -q 'SDL_FULLSCREEN' || fail "not full screen: $(head -n 1 out.txt)"
run_line "SDL12COMPAT_SCALE_METHOD=linear SDL12COMPAT_WINDOW_SCALING=1 build/demo32 -window" 320x240

# The text's way to run the unit tests alone, and to pick them by name.
for line in "ctest --test-dir build -L unit -j2" "-R Twister"; do
  grep -qF -- "\`$line\`" "$README" || fail "README.md no longer says '$line': change it here"
done
(cd "$SOURCE_DIR" && ctest --test-dir build -L unit -j2) >unit.txt 2>&1 ||
  fail "ctest --test-dir build -L unit -j2: $(tail -n 5 unit.txt)"
grep -E 'tests passed' unit.txt
(cd "$SOURCE_DIR" && ctest --test-dir build -L unit -j2 -R Twister) >twister.txt 2>&1 ||
  fail "-R Twister: $(tail -n 5 twister.txt)"
grep -qE '100% tests passed, 0 tests failed out of [1-9]' twister.txt || fail "-R Twister ran nothing"
grep -vq Twister < <(grep -E '^ *[0-9]+/[0-9]+ Test' twister.txt) && fail "-R Twister ran other tests"

# CI runs the README's test command.
[ "$(tail -n 1 "$SOURCE_DIR/.ci/run")" = "exec tools/test.sh" ] || fail ".ci/run does not end in tools/test.sh"
echo "PASS"
