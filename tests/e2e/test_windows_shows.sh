#!/usr/bin/env bash
# Variants: win32 win64
# The Windows release zip of one target (the argument) run under Wine (Xvfb,
# SDL's disk audio driver), unpacked into a folder whose name is outside the
# ANSI code page, with its own DLLs, as a Windows user meets it:
# - demo8.exe w shows its 3x window; its music equals, within the one step by
#   which SDL versions round differently, the Linux build's over 10 s;
#   releasing Escape ends it with status 0 and its closing line;
# - demo32.exe -window likewise against the offline renderer's mix; its
#   console lines land in stdout.txt beside the program, Escape writes a
#   320x240 vintage.bmp into the current directory, status 0;
# - demo32.exe when the audio device cannot be opened: the complaint lands in
#   stderr.txt beside the program and the show runs on until Escape, status 0;
# - the readme's commands, as it writes them: SDL12COMPAT_WINDOW_SCALING set
#   in a command prompt gives a 1x window, and taskkill ends demo32.exe
#   without a screenshot;
# - demo8.exe in a console switches its output code page to Latin-1 while it
#   runs and gives the console its own back;
# - a double-click: both shows started without arguments, full screen on a
#   1920x1080 Wine desktop, show their picture 4 times enlarged in the middle,
#   every pixel a 4x4 square, black around it, and end with Escape, status 0.
# The SDL source archives come from DEMO_SDL_SOURCES (README.md, Windows
# build); without it the test is skipped, as it is where this target's Wine
# cannot start. DEMO_WINDOWS_SHOTS=DIR keeps a screenshot of each window
# there, and the vintage.bmp.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/windows/wine.sh"
arch=$(windows_arch "${1:-}")

if [ -z "${DEMO_SDL_SOURCES:-}" ]; then
  echo "SKIP: DEMO_SDL_SOURCES is not set: it names the folder of the SDL source archives (README.md, Windows build)"
  exit 77
fi
source_dir=${SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
. "$source_dir/tools/windows-common.sh"
command -v "$(windows_triplet "$arch")-g++-win32" >/dev/null 2>&1 ||
  fail "the MinGW-w64 cross compiler for $arch is not installed (tools/setup.sh --windows)"
need_wine "$arch"
[ -x "${DEMO8:-}" ] && [ -x "${DEMO_CAPTURE:-}" ] || fail "the Linux demo8 and demo-capture are not built"

helpers=$source_dir/tests/e2e/windows
win=$(windows_build_dir)
MUSIC_SECONDS=10
# Room for a 1920x1080 Wine desktop.
XVFB_SCREEN=2048x1280x24 start_xvfb
enter_workdir

"$source_dir/tools/package-windows.sh" --arch "$arch" --build "$win" --dist dist >package.log 2>&1 ||
  { tail -n 30 package.log; fail "tools/package-windows.sh failed"; }
folder="$WORK/Демо папка"
mkdir "$folder"
python3 -m zipfile -e "dist/zyrkon-malvestra-2-$arch.zip" "$folder" || fail "cannot unpack the zip"
pkg=$folder/zyrkon-malvestra-2-$arch
use_wine_prefix "$win/$arch/wine-prefix" "$arch"
# Programs run in windows of their own until the full-screen part.
"$WINE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1

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

# True once a visible window that the xdotool search options find holds a
# picture of at least 16 colours, grabbed into window.png; sets WINDOW_ID and
# WINDOW_SIZE. The windows are looked up anew each time: they come and go
# while a program starts (SDL may replace its first one), and a search that
# meets one going away fails.
picture_shown() {
  local w size colours
  for w in $(xdotool search --onlyvisible "$@" 2>/dev/null); do
    # import waits for ever on a window that closes during the grab.
    timeout 30 import -window "$w" window.png 2>/dev/null &&
      read -r size colours < <(identify -format '%wx%h %k\n' window.png 2>/dev/null) &&
      [ "${colours:-0}" -ge 16 ] || continue
    WINDOW_ID=$w WINDOW_SIZE=$size
    return 0
  done
  return 1
}

# Waits for the program's window (xdotool search options after a name for its
# screenshot) to show a picture of the size WINDOW_EXPECTED (default 960x720,
# the 3x window) and gives it the keyboard.
wait_for_window() {
  local shot=$1
  shift
  WAIT_STEP=0.3 wait_until "a picture in a window ($*)" picture_shown "$@" ||
    fail "the program ended before a window ($*) showed a picture"
  [ "$WINDOW_SIZE" = "${WINDOW_EXPECTED:-960x720}" ] ||
    fail "window $*: $WINDOW_SIZE, not ${WINDOW_EXPECTED:-960x720}"
  xdotool windowfocus --sync "$WINDOW_ID" 2>/dev/null
  if [ -n "${DEMO_WINDOWS_SHOTS:-}" ]; then
    mkdir -p "$DEMO_WINDOWS_SHOTS" && cp window.png "$DEMO_WINDOWS_SHOTS/$arch-$shot.png"
  fi
}

# ---- demo8 ------------------------------------------------------------------
# The Linux build's recording is the reference; its device may run faster than
# real time, which changes the pace, not the samples.
start_app env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/linux8.raw" SDL_DISKAUDIODELAY=10 \
  "$DEMO8" w
wait_for_music linux8.raw
kill -TERM "$APP_PID"
wait_app

wine_app "${windows_env[@]}" SDL_DISKAUDIOFILE=windows8.raw "$WINE" "$pkg/demo8.exe" w
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
wine_app "${windows_env[@]}" SDL_DISKAUDIOFILE=windows32.raw "$WINE" "$pkg/demo32.exe" -window
wait_for_window demo32 --name 'zyrkon malvestra 2'
wait_for_music windows32.raw
xdotool key Escape
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "demo32.exe exit status $APP_STATUS"
# The folder's name has no spelling in the ANSI code page: only the wide
# calls find it.
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
[ -n "${DEMO_WINDOWS_SHOTS:-}" ] && cp vintage.bmp "$DEMO_WINDOWS_SHOTS/$arch-demo32-vintage.bmp"
python3 "$helpers/audio_match.py" compare windows32.raw mix32.wav "$MUSIC_SECONDS" ||
  fail "demo32.exe's music differs from the offline renderer's mix"

# ---- demo32 without sound: its disk device cannot open a directory -----------
rm -f vintage.bmp "$pkg/stdout.txt" "$pkg/stderr.txt"
mkdir not-a-file
wine_app "${windows_env[@]}" SDL_DISKAUDIOFILE=not-a-file "$WINE" "$pkg/demo32.exe" -window
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

# ---- the readme's commands, in a command prompt -------------------------------
# The lines are taken from the packaged readme, so that it says what runs.
readme_line() {
  tr -d '\r' <"$pkg/README.txt" | grep -x "  $1.*" | head -n 1 | sed 's/^  //'
}
set_scaling=$(readme_line 'set SDL12COMPAT_WINDOW_SCALING=')
kill_demo32=$(readme_line 'taskkill ')
[ "$set_scaling" = 'set SDL12COMPAT_WINDOW_SCALING=1' ] || fail "README.txt: no line '$set_scaling'"
[ "$kill_demo32" = 'taskkill /f /im demo32.exe' ] || fail "README.txt: no line '$kill_demo32'"
rm -f vintage.bmp
cd "$pkg" || fail "no $pkg"
wine_app "${windows_env[@]}" SDL_DISKAUDIOFILE="$WORK/scaled.raw" "$WINE" cmd /c "$set_scaling&& demo32.exe -window"
WINDOW_EXPECTED=320x240 wait_for_window demo32-1x --name 'zyrkon malvestra 2'
"$WINE" $kill_demo32 >"$WORK/taskkill.txt" 2>&1 || fail "$kill_demo32: $(cat "$WORK/taskkill.txt")"
wait_app
[ ! -e vintage.bmp ] || fail "taskkill left a screenshot"

# ---- demo8's Latin-1 lines in a console ---------------------------------------
# Wine's C runtime turns the bytes into characters by itself, where Windows
# hands them to the console as they are, so the console's code page is seen
# through Wine's trace of the calls that set it. The console is a terminal
# (script), whose code page starts as 850; the silent show prints
# "...mit<a-umlaut><a-umlaut>n musaa..." and its closing line there.
"$WINE" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /f \
  /d 'kernel32.GetConsoleOutputCP;kernel32.SetConsoleOutputCP;kernelbase.GetConsoleOutputCP;kernelbase.SetConsoleOutputCP' \
  >/dev/null || fail "cannot limit Wine's trace"
{
  printf '%q ' "${windows_env[@]}" SDL_DISKAUDIOFILE="$WORK/not-a-file" WINEDEBUG=+relay "$WINE" \
    cmd /c 'chcp 850 & demo8.exe w & chcp'
  printf '2>%q\n' "$WORK/relay.log"
} >"$WORK/console.sh"
wine_app script -qfec "bash $(printf %q "$WORK/console.sh")" "$WORK/console.log"
wait_for_window demo8-console --class demo8.exe
xdotool key Escape
wait_app
cd "$WORK" || fail "no $WORK"
# The terminal's text without its cursor movements (and spaces).
sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g' console.log | tr -d '\r' >console.txt
grep -q "mit$(printf '\xc3\xa4\xc3\xa4')n" console.txt || fail "no Finnish line in the console: $(head -n 3 console.txt)"
[ "$(grep -c 'Active code page: 850' console.txt)" -eq 2 ] ||
  fail "the console's code page was not given back: $(grep 'code page' console.txt)"
# Every code page set, in order: cmd's 850, then demo8's.
sed -n 's/.*Call [A-Za-z0-9]*\.SetConsoleOutputCP(0*\([0-9a-f]*\)).*/\1/p' relay.log | tr '\n' ' ' >pages
[ "$(cat pages)" = '352 6faf 352 ' ] ||
  fail "code pages set: $(cat pages)(hex; expected 850, then Latin-1 28591, then 850 again)"

# ---- full screen, as a double-click starts the shows ----------------------------
# A Wine desktop of a common laptop's size stands for the screen: the picture
# 4 times enlarged, 1280x960 in the middle, black around it.
"$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shows /d 1920x1080 /f >/dev/null &&
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shows /f >/dev/null ||
  fail "cannot set up the Wine desktop"

# The grab in desktop.png, checked; true when every show pixel is a whole
# square in the middle.
whole_pixels() {
  convert desktop.png -depth 8 rgb:desktop.rgb &&
    python3 "$helpers/fullscreen_check.py" 1920 1080 desktop.rgb
}

full_screen() {  # name program xdotool-search-options...
  local name=$1 program=$2 grab
  shift 2
  rm -f vintage.bmp
  wine_app "${windows_env[@]}" SDL_DISKAUDIOFILE="$WORK/$name.raw" "$WINE" "$pkg/$program"
  WAIT_STEP=0.3 wait_until "a picture full screen" picture_shown "$@" ||
    fail "$program ended before it showed a picture full screen"
  [ "$WINDOW_SIZE" = 1920x1080 ] || fail "$program: a $WINDOW_SIZE window, not the whole 1920x1080 desktop"
  mv window.png desktop.png
  # A grab can fall between two parts of one frame's update, so up to five are
  # taken; a picture that is not made of whole pixels fails every one.
  for grab in 1 2 3 4 5; do
    whole_pixels && break
    [ "$grab" -lt 5 ] || fail "$program full screen: not whole pixels in the middle"
    timeout 30 import -window "$WINDOW_ID" desktop.png 2>/dev/null
  done
  [ -n "${DEMO_WINDOWS_SHOTS:-}" ] && cp desktop.png "$DEMO_WINDOWS_SHOTS/$arch-$name.png"
  xdotool windowfocus --sync "$WINDOW_ID" 2>/dev/null
  xdotool key Escape
  wait_app
  [ "$APP_STATUS" -eq 0 ] || fail "$program full screen: exit status $APP_STATUS"
}
full_screen demo32-fullscreen demo32.exe --name 'zyrkon malvestra 2'
[ -f vintage.bmp ] || fail "no vintage.bmp after Escape in full screen"
full_screen demo8-fullscreen demo8.exe --class demo8.exe
"$WINE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
echo "PASS"
