#!/usr/bin/env bash
# demo8 in a window under a virtual X server: holding Escape does not end the
# show, releasing it does; the program then exits 0 with the closing line last.
set -u

if ! command -v Xvfb >/dev/null 2>&1; then
  echo "skipped: Xvfb is not installed"
  exit 77
fi
if ! command -v xdotool >/dev/null 2>&1; then
  echo "skipped: xdotool is not installed"
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
  echo "--- stdout"; cat out.txt 2>/dev/null
  echo "--- stderr"; cat err.txt 2>/dev/null
  exit 1
}

# Xvfb picks a free display itself and reports it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>display 2>xvfb.log &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s display ] && break
  sleep 0.1
done
[ -s display ] || { cat xvfb.log; fail "Xvfb did not start"; }
export DISPLAY=":$(tr -d '\n' <display)"

SDL_AUDIODRIVER=dummy "$DEMO8" w >out.txt 2>err.txt &
demo_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --class demo8 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no demo8 window appeared"
# No window manager: keyboard focus follows the pointer.
xdotool mousemove --window "$window" 100 100
sleep 2
kill -0 "$demo_pid" 2>/dev/null || fail "demo8 ended before Escape"

xdotool keydown Escape
sleep 1
kill -0 "$demo_pid" 2>/dev/null || fail "demo8 ended on the key press, not the release"
xdotool keyup Escape

for _ in $(seq 100); do
  kill -0 "$demo_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$demo_pid" 2>/dev/null && fail "demo8 still runs after Escape was released"
wait "$demo_pid"
status=$?
demo_pid=""

[ "$status" -eq 0 ] || fail "exit status $status, expected 0"
printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.\n' >expected_last
tail -n 1 out.txt | cmp -s - expected_last || fail "the closing line is not the last line"
# Anything before it can only be lateness warnings (Latin-1).
warnings=$(head -n -1 out.txt | LC_ALL=C grep -v -c -a -E \
  $'^(T\xf6kkii varmaanki ihan liikaa\\. |Hmm t\xf6kkii kai v\xe4h\xe4, osta nopeempi kone\\? )[0-9]+$')
[ "$warnings" -eq 0 ] || fail "unexpected console lines"
echo "ok"
