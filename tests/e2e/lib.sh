# Helpers for the end-to-end tests: a private X server, the programs under it,
# keys sent with xdotool. Sourced by the test_*.sh scripts.
set -u

fail() {
  echo "FAIL: $*" >&2
  if [ -f out.txt ]; then echo "--- stdout (last lines)" >&2; tail -n 5 out.txt >&2; fi
  if [ -f err.txt ]; then echo "--- stderr (last lines)" >&2; tail -n 5 err.txt >&2; fi
  exit 1
}

# Polls the command until it succeeds; the limit only turns a hang into a
# failure.
wait_until() {  # description command...
  local what=$1 started=$SECONDS
  shift
  until "$@"; do
    [ $((SECONDS - started)) -lt 60 ] || fail "hang: no $what after 60 s"
    sleep 0.05
  done
}

need_xvfb() {
  if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIP: Xvfb is not installed (tools/setup.sh installs it)"
    exit 77
  fi
  command -v xdotool >/dev/null 2>&1 || fail "xdotool is missing (tools/setup.sh installs it)"
}

# Starts Xvfb on a display it picks itself and exports DISPLAY. Stopped on exit.
# -noreset: by default the server resets whenever its last client leaves, and a
# program starting during that reset has its connection dropped. SDL would then
# quietly run on its off-screen driver, with no window. SDL_VIDEODRIVER=x11
# makes such a failure loud instead.
start_xvfb() {
  need_xvfb
  XVFB_DIR=$(mktemp -d)
  export SDL_VIDEODRIVER=x11
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$XVFB_DIR/display" 2>"$XVFB_DIR/log" &
  XVFB_PID=$!
  trap 'stop_xvfb' EXIT
  local i
  for i in $(seq 1 200); do
    [ -s "$XVFB_DIR/display" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  [ -s "$XVFB_DIR/display" ] || fail "Xvfb did not start: $(cat "$XVFB_DIR/log")"
  export DISPLAY=":$(tr -d '\n' <"$XVFB_DIR/display")"
}

stop_xvfb() {
  # SDL turns SIGTERM into a quit request, which demo32 ignores on purpose.
  [ -n "${APP_PID:-}" ] && kill -KILL "$APP_PID" 2>/dev/null
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  [ -n "${WORK:-}" ] && rm -rf "$WORK"
  [ -n "${XVFB_DIR:-}" ] && rm -rf "$XVFB_DIR"
  return 0
}

# A scratch directory as the working directory.
enter_workdir() {
  WORK=$(mktemp -d)
  cd "$WORK" || fail "no temp dir"
}

# Starts a program in the background; stdout/stderr go to out.txt/err.txt.
start_app() {
  "$@" >out.txt 2>err.txt &
  APP_PID=$!
}

# Waits for a window whose title matches (or, given xdotool search options such
# as --class NAME, the window they find) and gives it the keyboard focus.
focus_window() {
  local i wid="" title=$*
  local search=(--name "$1")
  [ "${1#--}" != "$1" ] && search=("$@")
  for i in $(seq 1 200); do
    wid=$(xdotool search "${search[@]}" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    kill -0 "$APP_PID" 2>/dev/null || fail "program ended before its window appeared: $(cat out.txt err.txt)"
    sleep 0.05
  done
  [ -n "$wid" ] || fail "no window titled '$title'"
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
  WINDOW_ID=$wid
}

key() { xdotool key --delay 30 "$@"; }

# The program in the background is still running.
app_running() { kill -0 "$APP_PID" 2>/dev/null; }

# Waits up to $1 seconds for the program to end; sets APP_STATUS.
wait_app() {
  local limit=$1 i
  for i in $(seq 1 $((limit * 20))); do
    if ! kill -0 "$APP_PID" 2>/dev/null; then
      wait "$APP_PID"
      APP_STATUS=$?
      APP_PID=""
      return 0
    fi
    sleep 0.05
  done
  fail "program still running after $limit s"
}

# Saves the whole X screen as a PNG.
screenshot() {
  if command -v import >/dev/null 2>&1; then
    import -window root "$1" 2>/dev/null
  else
    xwd -root -silent >"$1.xwd"
  fi
}
