#!/usr/bin/env bash
# The whole show of demo8 (1568 frames, about 63 s) in a window under a
# virtual X server: it ends by itself with status 0 and the closing line last.
# With DEMO8_SHOTS set to a directory, a screenshot of every phase is saved
# there (frame numbers are approximate: the show slides when frames are late).
set -u

if ! command -v Xvfb >/dev/null 2>&1; then
  echo "skipped: Xvfb is not installed"
  exit 77
fi
if [ -z "${DEMO8:-}" ] || [ ! -x "$DEMO8" ]; then
  echo "DEMO8 must name the demo8 program"
  exit 1
fi

work=$(mktemp -d)
xvfb_pid=""
demo_pid=""
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1

fail() {
  echo "FAIL: $*"
  echo "--- stdout (last lines)"; tail -n 5 out.txt 2>/dev/null
  echo "--- stderr"; cat err.txt 2>/dev/null
  exit 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>display 2>xvfb.log &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s display ] && break
  sleep 0.1
done
[ -s display ] || { cat xvfb.log; fail "Xvfb did not start"; }
export DISPLAY=":$(tr -d '\n' <display)"

start=$(date +%s)
SDL_AUDIODRIVER=dummy "$DEMO8" w >out.txt 2>err.txt &
demo_pid=$!

if [ -n "${DEMO8_SHOTS:-}" ] && command -v import >/dev/null 2>&1; then
  mkdir -p "$DEMO8_SHOTS"
  # Seconds after start: tunnel, rotozoomer, plasma, black, banded rings
  # (with and without cubes), XOR rings (without and with cubes), black.
  for s in 5 17 27 33 37.5 42 48 56 62.3; do
    sleep_for=$(awk -v s="$s" -v t0="$start" -v now="$(date +%s.%N)" \
      'BEGIN { d = t0 + s - now; print (d > 0 ? d : 0) }')
    sleep "$sleep_for"
    kill -0 "$demo_pid" 2>/dev/null || break
    import -window root "$DEMO8_SHOTS/demo8_${s}s.png" 2>/dev/null
  done
fi

# Generous: a loaded machine slows the show down, never the other way.
for _ in $(seq 1800); do
  kill -0 "$demo_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$demo_pid" 2>/dev/null && fail "demo8 did not end by itself"
wait "$demo_pid"
status=$?
demo_pid=""
elapsed=$(($(date +%s) - start))

[ "$status" -eq 0 ] || fail "exit status $status, expected 0"
[ "$elapsed" -ge 62 ] || fail "the show lasted only ${elapsed} s; 1568 frames take 62.7 s or more"
printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.\n' >expected_last
tail -n 1 out.txt | cmp -s - expected_last || fail "the closing line is not the last line"
echo "ok (${elapsed} s)"
