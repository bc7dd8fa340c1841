#!/usr/bin/env bash
# ThreadSanitizer over the real threaded programs (a build with -DDEMO_TSAN=ON;
# skipped for any other build): demo32 on the timer clock (-nosound), demo32
# on the audio clock and demo8 with its audio thread, each until its clock
# thread has done about six seconds of work, under Xvfb, ended with Escape.
# Any report ends the program with status 66.
. "$(dirname "$0")/lib.sh"
if ! ldd "$DEMO32" 2>/dev/null | grep -q libtsan || ! ldd "$DEMO8" 2>/dev/null | grep -q libtsan; then
  echo "SKIP: the programs are not built with ThreadSanitizer (-DDEMO_TSAN=ON)"
  exit 77
fi
HANDOFF=${BUILD_DIR:?}/preload/tsan_audio_handoff.so
[ -f "$HANDOFF" ] || fail "missing $HANDOFF (target preload_tsan_audio_handoff)"
start_xvfb
enter_workdir

# Only reports that lie wholly inside libraries that are not ours are
# suppressed; the programs take no locks and call no GL themselves.
cat >tsan.supp <<'SUPP'
# Mesa's software GL driver (behind SDL's window) tears down mutexes and
# condition variables of its own worker threads at exit.
race:swrast_dri.so
# SDL2 takes two of its internal mutexes in both orders on the main thread.
deadlock:libSDL2-2.0.so.0
SUPP
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 suppressions=$WORK/tsan.supp"
# The sanitizer needs the address-space layout it was built for; newer kernels
# randomise more than older runtimes can handle, so run without randomisation
# where that is allowed.
NORAND=()
setarch "$(uname -m)" -R true 2>/dev/null && NORAND=(setarch "$(uname -m)" -R)

# BACKSPACES (debug mode) make the main thread rewrite the show clock while
# the clock's own thread advances it. The run goes on until the probe counter
# WORK_FIELD (the clock thread's work) has reached WORK_MIN and the main
# thread has drawn frames after that.
run_threads() {  # name window-search... -- program args...
  local name=$1 k
  shift
  local search=()
  while [ "$1" != "--" ]; do search+=("$1"); shift; done
  shift
  LD_PRELOAD=$HANDOFF start_app "${NORAND[@]}" "$@"
  focus_window --onlyvisible "${search[@]}"
  xdotool mousemove --window "$WINDOW_ID" 20 20
  for k in $(seq 1 "${BACKSPACES:-0}"); do
    key BackSpace
    wait_frames 3 backspace "$k" || break
  done
  wait_frames 3 "$WORK_FIELD" "$WORK_MIN" ||
    fail "$name ended early (status $(wait "$APP_PID"; echo $?)): $(cat err.txt)"
  key Escape
  wait_app
  mv out.txt "$name.out"
  mv err.txt "$name.err"
  grep -q 'ThreadSanitizer' "$name.err" && fail "$name: $(sed -n '/WARNING: ThreadSanitizer/,/SUMMARY/p' "$name.err")"
  [ "$APP_STATUS" -eq 0 ] || fail "$name: exit status $APP_STATUS: $(tail -n 20 "$name.err")"
}

# The audio thread really ran: the disk driver got the music.
played() {  # name file
  [ "$(od -An -v -tx1 -N 400000 "$2" | tr -s ' \n' '\n\n' | sort -u | wc -l)" -gt 50 ] ||
    fail "$1: the audio callback wrote no music"
}

# Six seconds: 333 ticks of 18 ms; 44,100 16-bit samples or 22,050 8-bit
# samples a second.
BACKSPACES=3 WORK_FIELD=timer_calls WORK_MIN=333 run_threads demo32_timer \
  --name "zyrkon malvestra 2" -- "$DEMO32" -window -nosound -debug
BACKSPACES=3 WORK_FIELD=audio_bytes WORK_MIN=$((6 * 44100 * 2)) run_threads demo32_audio \
  --name "zyrkon malvestra 2" -- \
  env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio32.raw" "$DEMO32" -window -debug
grep -qx 'wag: 14.989903' demo32_audio.out || fail "demo32_audio: the synthesizer did not start"
played demo32_audio audio32.raw
WORK_FIELD=audio_bytes WORK_MIN=$((6 * 22050)) run_threads demo8_audio --class demo8 -- \
  env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio8.raw" "$DEMO8" w
played demo8_audio audio8.raw

mkdir cap
# The capture tool's encoding threads: a run that writes its frames and one
# whose frame files fail in the workers.
capture_threads() {  # name expected-status args...
  local name=$1 expected=$2 status
  shift 2
  "${NORAND[@]}" "$DEMO_CAPTURE" "$@" --quiet 2>"$name.err"
  status=$?
  grep -q 'ThreadSanitizer' "$name.err" && fail "$name: $(sed -n '/WARNING: ThreadSanitizer/,/SUMMARY/p' "$name.err")"
  [ "$status" -eq "$expected" ] || fail "$name: exit status $status: $(tail -n 20 "$name.err")"
}
if ldd "$DEMO_CAPTURE" 2>/dev/null | grep -q libtsan; then
  capture_threads capture_pool 0 demo32 --seed 3 --frames 0-150 --every 2 --png cap/p --raw cap/r \
    --jobs 3
  (ulimit -f 64; capture_threads capture_pool_failing 1 demo32 --seed 3 --frames 0-150 --raw cap/f \
    --jobs 3) || exit 1
  [ "$(ls cap/p | wc -l)" -eq 76 ] && [ ! -e cap/f ] || fail "capture files: $(ls -A cap)"
fi
echo "PASS"
