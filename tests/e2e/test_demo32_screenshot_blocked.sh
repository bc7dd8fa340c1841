#!/usr/bin/env bash
# A vintage.bmp that cannot be written (a directory stands there) is lost
# silently; the show still ends normally.
. "$(dirname "$0")/lib.sh"
start_xvfb
enter_workdir
mkdir vintage.bmp
start_app "$DEMO32" -window -nosound
focus_window "zyrkon malvestra 2"
sleep 1
key Escape
wait_app 20
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS"
[ -d vintage.bmp ] || fail "directory replaced"
[ -z "$(ls -A vintage.bmp)" ] || fail "something written into the directory"
echo "PASS"
