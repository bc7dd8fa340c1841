#!/usr/bin/env bash
# The whole show of demo8 in a window under a virtual X server: it presents
# every one of its 1568 frames, at most 25 a second by its own clock (the
# probe notes the SDL_GetTicks reading each frame went by: a busy machine makes
# them later, never closer), ends by itself with status 0 and the closing line
# last, and its own code holds no more heap memory at any frame than at the
# first (measured by a preloaded library that counts only the program's own
# allocations, not SDL's or the display driver's).
# With DEMO8_SHOTS set to a directory, a screenshot of every phase is saved
# there.
. "$(dirname "$0")/lib.sh"
HEAP=${BUILD_DIR:?}/preload/own_heap.so
[ -f "$HEAP" ] || fail "missing $HEAP (target preload_own_heap)"
start_xvfb
enter_workdir

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
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS, expected 0"
[ "$(frames_presented)" -eq 1568 ] || fail "$(frames_presented) frames presented, expected 1568"
# Each frame waited at least 40 ms of the program's clock after the one before.
probe_lines | awk '
  { for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] } }
  NR > 1 && v["ticks"] - previous < 40 { print "frame " v["frame"] " came " v["ticks"] - previous " ms after the one before"; bad = 1; exit }
  { previous = v["ticks"]; if (NR == 1) first = v["ticks"] }
  END { if (!bad) printf "1568 frames over %.1f s of the program'"'"'s clock\n", (previous - first) / 1000; exit bad }' ||
  fail "frames came faster than 25 a second"
printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.\n' >expected_last
tail -n 1 out.txt | cmp -s - expected_last || fail "the closing line is not the last line"

expect_flat_heap heap.txt
[ "$HEAP_FRAMES" -eq 1568 ] || fail "the heap report covers $HEAP_FRAMES frames"
echo "PASS"
