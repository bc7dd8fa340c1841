# Helpers for the end-to-end tests: a private X server, the programs under it,
# keys sent with xdotool. Sourced by the test_*.sh scripts.
set -u

fail() { echo "FAIL: $*" >&2; exit 1; }

need_xvfb() {
  if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIP: Xvfb is not installed (tools/setup.sh installs it)"
    exit 77
  fi
  command -v xdotool >/dev/null 2>&1 || fail "xdotool is missing (tools/setup.sh installs it)"
}

# Starts Xvfb on a free display and exports DISPLAY. Stopped on exit.
start_xvfb() {
  need_xvfb
  local n
  for n in $(seq $((100 + RANDOM % 400)) 999); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -S "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    if kill -0 "$XVFB_PID" 2>/dev/null && [ -S "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      trap 'stop_xvfb' EXIT
      return 0
    fi
  done
  fail "could not start Xvfb"
}

stop_xvfb() {
  [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  [ -n "${WORK:-}" ] && rm -rf "$WORK"
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

# Waits for a window whose title matches, gives it the keyboard focus.
focus_window() {
  local title=$1 i wid=""
  for i in $(seq 1 200); do
    wid=$(xdotool search --name "$title" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    kill -0 "$APP_PID" 2>/dev/null || fail "program ended before its window appeared: $(cat out.txt err.txt)"
    sleep 0.05
  done
  [ -n "$wid" ] || fail "no window titled '$title'"
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
  WINDOW_ID=$wid
}

key() { xdotool key --delay 30 "$@"; }

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
