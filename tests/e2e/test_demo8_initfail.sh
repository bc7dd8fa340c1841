#!/usr/bin/env bash
# When SDL cannot start, demo8 says so in one Latin-1 line and exits 3.
. "$(dirname "$0")/lib.sh"
enter_workdir
trap 'rm -rf "$WORK"' EXIT
SDL_VIDEODRIVER=nonexistent SDL_AUDIODRIVER=dummy timeout "$HANG_GUARD" "$DEMO8" w >out.txt 2>err.txt
status=$?
[ "$status" -eq 3 ] || fail "exit status $status, expected 3"
printf '\xf6\xf6 ees SDL_Init() ei toimi ;o\n' | cmp -s - out.txt || fail "stdout differs from the SDL_Init message: $(od -c out.txt)"
echo "PASS"
