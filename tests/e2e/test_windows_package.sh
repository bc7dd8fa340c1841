#!/usr/bin/env bash
# The Windows release zip as tools/package-windows.sh makes it, with SDL built
# from source, checked and then run under Wine (Xvfb, SDL's disk audio driver)
# from a folder where it was unpacked, with its own DLLs:
# - contents: every file there, every program and DLL 32-bit, every import met
#   by the zip or by Windows (windows/pe_check.py);
# - demo8.exe w shows its 3x window; its music equals, within the one step by
#   which SDL versions round differently, the Linux build's over 10 s; releasing
#   Escape ends it with status 0 and its closing line;
# - demo32.exe -window likewise against the offline renderer's mix; its console
#   lines land in stdout.txt beside the program, Escape writes a 320x240
#   vintage.bmp into the current directory, status 0;
# - demo32.exe when the audio device cannot be opened: the complaint lands in
#   stderr.txt beside the program and the show runs on until Escape, status 0.
# The SDL source archives come from DEMO_SDL_SOURCES (README.md, Windows
# build). Without them the test fails; DEMO_SDL_SOURCES=none skips it.
# DEMO_WINDOWS_SHOTS=DIR keeps a screenshot of each window there, and the
# vintage.bmp.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/windows/wine.sh"

if [ "${DEMO_SDL_SOURCES:-}" = none ]; then
  echo "SKIP: DEMO_SDL_SOURCES=none: the Windows package is neither built nor run"
  exit 77
fi
[ -n "${DEMO_SDL_SOURCES:-}" ] ||
  fail "DEMO_SDL_SOURCES is not set: it names the folder of the SDL source archives" \
    "(README.md, Windows build); DEMO_SDL_SOURCES=none skips this test"
command -v i686-w64-mingw32-g++-win32 >/dev/null 2>&1 ||
  fail "the MinGW-w64 cross compiler is not installed (tools/setup.sh --windows)"
[ -x "${DEMO8:-}" ] && [ -x "${DEMO_CAPTURE:-}" ] || fail "the Linux demo8 and demo-capture are not built"

source_dir=${SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
helpers=$source_dir/tests/e2e/windows
win=$(windows_build_dir)
MUSIC_SECONDS=10
start_xvfb
enter_workdir

zip=$win/dist/zyrkon-malvestra-2-win32.zip
"$source_dir/tools/package-windows.sh" --build "$win" --output "$zip" >package.log 2>&1 ||
  { tail -n 30 package.log; fail "tools/package-windows.sh failed"; }
grep -h -E 'built in|KiB' package.log
python3 "$helpers/pe_check.py" "$source_dir/cmake/windows/sdl.def" "$zip" || fail "package checks"
python3 -m zipfile -e "$zip" . || fail "cannot unpack $zip"
pkg=$WORK/zyrkon-malvestra-2-win32
use_wine_prefix "$win/wine-prefix-package"

# SDL on Windows chooses its one video driver itself; sdl12-compat 1.2.76 also
# reads SDL_VIDEODRIVER and SDL_AUDIODRIVER into one buffer, so that setting
# both would ask for a video driver called "disk".
windows_env=(env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=disk)
# The probe library is for Linux builds of the shows, not for Wine.
wine_app() { APP_PROBE=0 start_app "$@"; }

music() { python3 "$helpers/audio_match.py" seconds "$1" 2>/dev/null || echo 0; }

# Waits until the disk recording $1 holds $MUSIC_SECONDS and a bit of music.
music_recorded() {
  [ -f "$1" ] && awk -v s="$(music "$1")" -v n="$MUSIC_SECONDS" 'BEGIN { exit !(s > n + 1) }'
}
wait_for_music() {
  WAIT_STEP=0.3 wait_until "$MUSIC_SECONDS s of music in $1" music_recorded "$1" ||
    fail "the program ended while recording $1"
}

# Waits for the program's visible window (xdotool search options after a name
# for its screenshot), gives it the keyboard and waits until it shows a
# picture of the 3x size; sets WINDOW_ID.
wait_for_window() {
  local shot=$1
  shift
  WINDOW_ID=$(timeout "$HANG_GUARD" xdotool search --sync --onlyvisible "$@" 2>/dev/null | head -n 1)
  [ -n "$WINDOW_ID" ] || fail "no window ($*)"
  xdotool windowfocus --sync "$WINDOW_ID" 2>/dev/null
  WAIT_STEP=0.3 wait_until "a picture in window $*" window_shows_picture ||
    fail "the program ended before its window $* showed a picture"
  [ "$WINDOW_SIZE" = 960x720 ] || fail "window $*: $WINDOW_SIZE, not 960x720"
  if [ -n "${DEMO_WINDOWS_SHOTS:-}" ]; then
    mkdir -p "$DEMO_WINDOWS_SHOTS" && cp window.png "$DEMO_WINDOWS_SHOTS/$shot.png"
  fi
}

# True once the window holds a picture of at least 16 colours; sets WINDOW_SIZE.
window_shows_picture() {
  local colours
  # import waits for ever on a window that closes during the grab.
  timeout 30 import -window "$WINDOW_ID" window.png 2>/dev/null &&
    read -r WINDOW_SIZE colours < <(identify -format '%wx%h %k\n' window.png 2>/dev/null) &&
    [ "${colours:-0}" -ge 16 ]
}

# ---- demo8 ------------------------------------------------------------------
# The Linux build's recording is the reference; its device may run faster than
# real time, which changes the pace, not the samples.
start_app env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/linux8.raw" SDL_DISKAUDIODELAY=10 \
  "$DEMO8" w
wait_for_music linux8.raw
kill -TERM "$APP_PID"
wait_app

wine_app "${windows_env[@]}" SDL_DISKAUDIOFILE=windows8.raw wine "$pkg/demo8.exe" w
wait_for_window demo8 --class demo8.exe
wait_for_music windows8.raw
xdotool key Escape
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "demo8.exe exit status $APP_STATUS"
printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.\n' >closing
tr -d '\r' <out.txt | tail -n 1 | cmp -s - closing || fail "demo8.exe did not end with its closing line"
python3 "$helpers/audio_match.py" compare windows8.raw linux8.raw "$MUSIC_SECONDS" ||
  fail "demo8.exe's music differs from the Linux build's"

# ---- demo32 -----------------------------------------------------------------
"$DEMO_CAPTURE" demo32 --seed 1 --frames 0-900 --wav mix32.wav --quiet || fail "Linux capture of demo32"
wine_app "${windows_env[@]}" SDL_DISKAUDIOFILE=windows32.raw wine "$pkg/demo32.exe" -window
wait_for_window demo32 --name 'zyrkon malvestra 2'
wait_for_music windows32.raw
xdotool key Escape
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "demo32.exe exit status $APP_STATUS"
[ -f "$pkg/stdout.txt" ] && [ ! -e stdout.txt ] || fail "stdout.txt is not beside demo32.exe"
grep -qx $'wag: 14.989903\r' "$pkg/stdout.txt" || fail "stdout.txt: $(cat "$pkg/stdout.txt")"
# (The disk driver announces itself there too.)
grep -a -q '^emm' "$pkg/stderr.txt" && fail "audio failure reported: $(cat "$pkg/stderr.txt")"
python3 - <<'PY' || fail "no 320x240 vintage.bmp in the current directory"
import struct
d = open("vintage.bmp", "rb").read()
assert d[:2] == b"BM", "not a bitmap"
width, height = struct.unpack_from("<ii", d, 18)
assert (width, abs(height)) == (320, 240), f"{width}x{height}"
PY
[ -n "${DEMO_WINDOWS_SHOTS:-}" ] && cp vintage.bmp "$DEMO_WINDOWS_SHOTS/demo32-vintage.bmp"
python3 "$helpers/audio_match.py" compare windows32.raw mix32.wav "$MUSIC_SECONDS" ||
  fail "demo32.exe's music differs from the offline renderer's mix"

# ---- demo32 without sound: its disk device cannot open a directory -----------
rm -f vintage.bmp "$pkg/stdout.txt" "$pkg/stderr.txt"
mkdir not-a-file
wine_app "${windows_env[@]}" SDL_DISKAUDIOFILE=not-a-file wine "$pkg/demo32.exe" -window
wait_for_window demo32-silent --name 'zyrkon malvestra 2'
wait_until "the audio complaint in stderr.txt" test -s "$pkg/stderr.txt" ||
  fail "demo32.exe ended without sound before writing stderr.txt"
printf 'emm\xe4 osaa soittaa musiiccia ku oot lameri t\xe4st\xe4 syyst\xe4: ' >complaint
head -c "$(stat -c %s complaint)" "$pkg/stderr.txt" | cmp -s - complaint ||
  fail "stderr.txt: $(cat "$pkg/stderr.txt")"
app_running || fail "demo32.exe ended without sound"
xdotool key Escape
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "silent demo32.exe exit status $APP_STATUS"
grep -q wag "$pkg/stdout.txt" && fail "the synthesizer started: $(cat "$pkg/stdout.txt")"
[ -f vintage.bmp ] || fail "no vintage.bmp after Escape without sound"
echo "PASS"
