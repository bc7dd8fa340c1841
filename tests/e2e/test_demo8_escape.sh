#!/usr/bin/env bash
# demo8 in a window: holding Escape does not end the show, releasing it does;
# the program then exits 0 with the closing line last.
. "$(dirname "$0")/lib.sh"
start_xvfb
enter_workdir
export SDL_AUDIODRIVER=dummy
start_app "$DEMO8" w
focus_window --class demo8
wait_frames 3 || fail "demo8 ended before Escape"

xdotool keydown Escape
wait_frames 3 escape 1 || fail "demo8 ended on the key press, not the release"
xdotool keyup Escape
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS, expected 0"

printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.\n' >expected_last
tail -n 1 out.txt | cmp -s - expected_last || fail "the closing line is not the last line"
# Anything before it can only be lateness warnings (Latin-1).
warnings=$(head -n -1 out.txt | LC_ALL=C grep -v -c -a -E \
  $'^(T\xf6kkii varmaanki ihan liikaa\\. |Hmm t\xf6kkii kai v\xe4h\xe4, osta nopeempi kone\\? )[0-9]+$')
[ "$warnings" -eq 0 ] || fail "unexpected console lines"
echo "PASS"
