#!/usr/bin/env bash
# A vintage.bmp that cannot be written (a directory stands there) is lost
# silently; the show still ends normally.
. "$(dirname "$0")/lib.sh"
start_xvfb
enter_workdir
mkdir vintage.bmp
start_app "$DEMO32" -window -nosound
focus_window "zyrkon malvestra 2"
wait_frames 3 || fail "demo32 ended before it showed three frames"
key Escape
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS"
[ -d vintage.bmp ] || fail "directory replaced"
[ -z "$(ls -A vintage.bmp)" ] || fail "something written into the directory"
echo "PASS"
