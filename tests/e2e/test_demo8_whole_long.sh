#!/usr/bin/env bash
# The whole show of demo8 in a window under a virtual X server: it presents
# every one of its 1568 frames, ends by itself with status 0 and the closing
# line last, no sooner than 1568 frames at 25 fps allow (62.7 s: a busy
# machine can only make it later), and its own code holds no more heap memory
# at any frame than at the first (measured by a preloaded library that counts
# only the program's own allocations, not SDL's or the display driver's).
# With DEMO8_SHOTS set to a directory, a screenshot of every phase is saved
# there.
. "$(dirname "$0")/lib.sh"
HEAP=${BUILD_DIR:?}/preload/own_heap.so
[ -f "$HEAP" ] || fail "missing $HEAP (target preload_own_heap)"
start_xvfb
enter_workdir

start=$(date +%s)
LD_PRELOAD=$HEAP OWN_HEAP_FILE=$WORK/heap.txt SDL_AUDIODRIVER=dummy start_app "$DEMO8" w

if [ -n "${DEMO8_SHOTS:-}" ] && command -v import >/dev/null 2>&1; then
  mkdir -p "$DEMO8_SHOTS"
  # Tunnel, rotozoomer, plasma, black, banded rings (with and without cubes),
  # XOR rings (without and with cubes), black.
  for f in 125 425 675 825 937 1050 1200 1400 1557; do
    wait_frames "$((f + 1))" || break
    import -window root "$DEMO8_SHOTS/demo8_$(printf %04d "$f").png" 2>/dev/null
  done
fi

wait_app
elapsed=$(($(date +%s) - start))
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS, expected 0"
[ "$(frames_presented)" -eq 1568 ] || fail "$(frames_presented) frames presented, expected 1568"
[ "$elapsed" -ge 62 ] || fail "the show lasted only ${elapsed} s; 1568 frames take 62.7 s or more"
printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.\n' >expected_last
tail -n 1 out.txt | cmp -s - expected_last || fail "the closing line is not the last line"

expect_flat_heap heap.txt
[ "$HEAP_FRAMES" -eq 1568 ] || fail "the heap report covers $HEAP_FRAMES frames"
echo "PASS (${elapsed} s)"
