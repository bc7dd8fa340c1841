#!/usr/bin/env bash
# When SDL cannot start, demo32 prints only the failure line and ends with 1.
. "$(dirname "$0")/lib.sh"
enter_workdir
trap 'rm -rf "$WORK"' EXIT
SDL_VIDEODRIVER=no-such-driver DISPLAY= "$DEMO32" -window -nosound >out.txt 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "exit status $status"
printf 'LAMER!!!!!!!!!!!!!!!!!\n' | cmp -s - out.txt || fail "stdout: $(od -c out.txt | head)"
[ ! -e vintage.bmp ] || fail "screenshot written"
echo "PASS"
