#!/usr/bin/env bash
# When SDL cannot start, demo8 says so in one Latin-1 line and exits 3.
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
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

SDL_VIDEODRIVER=nonexistent SDL_AUDIODRIVER=dummy timeout 30 "$DEMO8" w >out.txt 2>err.txt
status=$?
printf '\xf6\xf6 ees SDL_Init() ei toimi ;o\n' >expected
if [ "$status" -ne 3 ]; then
  echo "FAIL: exit status $status, expected 3"
  exit 1
fi
if ! cmp -s out.txt expected; then
  echo "FAIL: stdout differs from the SDL_Init message"
  od -c out.txt
  exit 1
fi
echo "ok"
