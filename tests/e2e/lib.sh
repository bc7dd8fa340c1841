# Helpers for the end-to-end tests: a private X server, the programs under it,
# keys sent with xdotool, and waits for what the programs have done. Sourced
# by the test_*.sh scripts.
#
# No test waits for time to pass. Every wait is for an event - a window, a
# frame the program presented after a key reached it, a file, the program's
# end - and is bounded only by a hang guard far above what any machine needs.
set -u

# Seconds after which a wait counts as a hang. It turns a hang into a failure
# and never decides a verdict otherwise; E2E_HANG_GUARD overrides it.
HANG_GUARD=${E2E_HANG_GUARD:-300}

fail() {
  echo "FAIL: $*" >&2
  if [ -f out.txt ]; then echo "--- stdout (last lines)" >&2; tail -n 5 out.txt >&2; fi
  if [ -f err.txt ]; then echo "--- stderr (last lines)" >&2; tail -n 5 err.txt >&2; fi
  exit 1
}

# Polls the command until it succeeds. Returns 1 if the program started by
# start_app ends first; fails the test if the hang guard runs out. WAIT_STEP
# (seconds, default 0.05) spaces out checks that cost a process or two.
wait_until() {  # description command...
  local what=$1 started=$SECONDS
  shift
  until "$@"; do
    if [ -n "${APP_PID:-}" ] && ! kill -0 "$APP_PID" 2>/dev/null; then
      "$@" && return 0  # it may have happened just before the end
      return 1
    fi
    [ $((SECONDS - started)) -lt "$HANG_GUARD" ] || fail "hang: no $what after $HANG_GUARD s"
    sleep "${WAIT_STEP:-0.05}"
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
# XVFB_SCREEN (default 1280x1024x24) sets the screen's size and depth.
# -noreset: by default the server resets whenever its last client leaves, and a
# program starting during that reset has its connection dropped. SDL would then
# quietly run on its off-screen driver, with no window. SDL_VIDEODRIVER=x11
# makes such a failure loud instead.
start_xvfb() {
  need_xvfb
  XVFB_DIR=$(mktemp -d)
  export SDL_VIDEODRIVER=x11
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp -noreset 3>"$XVFB_DIR/display" 2>"$XVFB_DIR/log" &
  XVFB_PID=$!
  trap 'stop_xvfb' EXIT
  xvfb_ready() { [ -s "$XVFB_DIR/display" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; }
  wait_until "display from Xvfb" xvfb_ready
  [ -s "$XVFB_DIR/display" ] || fail "Xvfb did not start: $(cat "$XVFB_DIR/log")"
  export DISPLAY=":$(tr -d '\n' <"$XVFB_DIR/display")"
}

# Starts openbox as the window manager of the Xvfb display, with its settings
# in the file $1 if given (the rest as openbox has them by default), and waits
# until it has published the desktop's usable area. Stopped on exit.
start_window_manager() {  # [rc.xml]
  if ! command -v openbox >/dev/null 2>&1 || ! command -v xprop >/dev/null 2>&1; then
    echo "SKIP: openbox or xprop is not installed (tools/setup.sh installs them)"
    exit 77
  fi
  # An empty folder of its own for user settings: the viewer's are not read.
  mkdir -p "$XVFB_DIR/config"
  XDG_CONFIG_HOME=$XVFB_DIR/config openbox --sm-disable ${1:+--config-file "$1"} \
    >"$XVFB_DIR/openbox.log" 2>&1 &
  WM_PID=$!
  wm_ready() { xprop -root _NET_WORKAREA 2>/dev/null | grep -q '= '; }
  wait_until "work area from openbox" wm_ready ||
    fail "openbox did not start: $(cat "$XVFB_DIR/openbox.log")"
}

stop_xvfb() {
  # A program that a failing test left behind may be the fault: SIGKILL.
  [ -n "${APP_PID:-}" ] && kill -KILL "$APP_PID" 2>/dev/null
  [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null
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

# For the tests that stop or fail demo-capture's moves (the move_fault
# preload, driven by capture_moves.py, found on PYTHONPATH=$HERE): checks what
# they need, then enters a work folder that is removed on exit.
enter_move_fault_test() {
  [ -x "${DEMO_CAPTURE:-}" ] || fail "DEMO_CAPTURE is not an executable: ${DEMO_CAPTURE:-unset}"
  command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 missing"; exit 77; }
  [ -f "${BUILD_DIR:?}/preload/move_fault.so" ] || fail "missing $BUILD_DIR/preload/move_fault.so (target preload_move_fault)"
  HERE=$(cd "$(dirname "$0")" && pwd)
  enter_workdir
  trap 'rm -rf "$WORK"' EXIT
}

# Starts a program in the background; stdout/stderr go to out.txt/err.txt.
# The program runs with the probe library (tests/preload/show_probe.cpp)
# preloaded in front of any LD_PRELOAD the caller sets, and reports every
# frame it presents to $PROBE_LOG (emptied here), which the waits below read.
# SHOW_PROBE_CLOCK_CALLS=N in the environment holds demo32's song clock after
# N runs of its audio or timer callback. APP_PROBE=0 starts the program without
# the probe (a program that is not one of ours, such as Wine).
start_app() {
  PROBE_LOG=${WORK:-$PWD}/probe.log
  : >"$PROBE_LOG"
  if [ "${APP_PROBE:-1}" = 0 ]; then
    "$@" >out.txt 2>err.txt &
  else
    PROBE_LIB=${BUILD_DIR:?}/preload/show_probe.so
    [ -f "$PROBE_LIB" ] || fail "missing $PROBE_LIB (target preload_show_probe)"
    LD_PRELOAD="$PROBE_LIB${LD_PRELOAD:+ $LD_PRELOAD}" SHOW_PROBE_FILE=$PROBE_LOG \
      "$@" >out.txt 2>err.txt &
  fi
  APP_PID=$!
}

# The probe's complete lines, one per presented frame.
probe_lines() { grep -a ' ;$' "$PROBE_LOG" 2>/dev/null; }

# The number of frames presented; with FIELD MIN, of those presented once the
# probe's counter FIELD (backspace, escape, quit, keydown, keyup, audio_calls,
# audio_bytes, timer_calls) had reached MIN.
frames_presented() {  # [field min]
  probe_lines | awk -v f="${1:-frame}" -v m="${2:-0}" '
    { for (i = 1; i <= NF; i++)
        if (index($i, f "=") == 1) { if (substr($i, length(f) + 2) + 0 >= m) n++; break } }
    END { print n + 0 }'
}

# The counter FIELD of the last presented frame (0 before the first).
probe_value() {  # field
  probe_lines | tail -n 1 | awk -v f="$1" '
    { for (i = 1; i <= NF; i++) if (index($i, f "=") == 1) v = substr($i, length(f) + 2) + 0 }
    END { print v + 0 }'
}

frames_reached() { [ "$(frames_presented "${2:-frame}" "${3:-0}")" -ge "$1" ]; }

# Waits until the program has presented COUNT frames, or with FIELD MIN,
# COUNT frames after FIELD reached MIN: "wait_frames 2 backspace 3" returns
# once two frames were drawn after the third Backspace reached the program.
# Returns 1 if the program ended first.
wait_frames() {  # count [field min]
  wait_until "$1 frames${2:+ with $2 >= $3}" frames_reached "$@"
}

# Checks the report of the own_heap library (tests/preload/own_heap.cpp,
# preloaded with OWN_HEAP_FILE set): at no frame did the program's own code
# hold more heap memory than at the first. Sets HEAP_FRAMES and
# HEAP_ALLOCATIONS (frames seen, allocations by the program's code).
expect_flat_heap() {  # report-file
  [ -s "$1" ] || fail "no heap report in $1 (own_heap.so preloaded, OWN_HEAP_FILE set?)"
  local first most
  read -r HEAP_FRAMES HEAP_ALLOCATIONS first most < <(sed -E \
    's/^frames=([0-9]+) allocations=([0-9]+) live_at_first_frame=([0-9]+) most_live_at_a_frame=([0-9]+).*/\1 \2 \3 \4/' "$1")
  [ -n "$most" ] || fail "unreadable heap report: $(cat "$1")"
  [ "$most" -le "$first" ] || fail "the program's own heap grew during the show: $(cat "$1")"
  echo "heap of the program's own code: $(cat "$1")"
}

# Waits for a window whose title matches (or, given xdotool search options such
# as --class NAME, the window they find) and gives it the keyboard focus.
window_found() {
  WINDOW_ID=$(xdotool search "$@" 2>/dev/null | head -n 1)
  [ -n "$WINDOW_ID" ]
}
focus_window() {
  local title=$*
  local search=(--name "$1")
  [ "${1#--}" != "$1" ] && search=("$@")
  wait_until "window '$title'" window_found "${search[@]}" ||
    fail "program ended before its window appeared: $(cat out.txt err.txt)"
  xdotool windowfocus --sync "$WINDOW_ID" 2>/dev/null || xdotool windowfocus "$WINDOW_ID"
}

key() { xdotool key --delay 30 "$@"; }

# The program in the background is still running.
app_running() { kill -0 "$APP_PID" 2>/dev/null; }

# Waits for the program to end; sets APP_STATUS. The optional limit in seconds
# is a hang guard like HANG_GUARD.
app_ended() { ! app_running; }
wait_app() {  # [limit]
  HANG_GUARD=${1:-$HANG_GUARD} wait_until "end of the program" app_ended
  wait "$APP_PID"
  APP_STATUS=$?
  APP_PID=""
}

# Saves the whole X screen as a PNG.
screenshot() {
  if command -v import >/dev/null 2>&1; then
    import -window root "$1" 2>/dev/null
  else
    xwd -root -silent >"$1.xwd"
  fi
}
