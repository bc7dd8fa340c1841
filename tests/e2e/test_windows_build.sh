#!/usr/bin/env bash
# The 32-bit Windows build. tools/build-windows.sh makes demo32.exe and
# demo8.exe; their headers, imports and DOS stubs are checked. Under Wine,
# when it is installed, both programs run against a stand-in SDL.dll that
# opens no window and presses Escape after a few frames, and the Windows build
# of the capture tool must render the very frames and sound of the Linux one.
set -u

if ! command -v i686-w64-mingw32-g++-win32 >/dev/null 2>&1; then
  echo "skipped: the MinGW-w64 cross compiler is not installed (tools/setup.sh --windows)"
  exit 77
fi
if ! command -v python3 >/dev/null 2>&1; then
  echo "skipped: python3 is not installed"
  exit 77
fi

source_dir=${SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
helpers=$source_dir/tests/e2e/windows
if [ -n "${BUILD_DIR:-}" ]; then
  win=$BUILD_DIR/windows
else
  win=$source_dir/build-windows
fi

work=$(mktemp -d)
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

# ---- build and headers ----------------------------------------------------
"$source_dir/tools/build-windows.sh" "$win" >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "tools/build-windows.sh failed"; }
python3 "$helpers/pe_check.py" "$source_dir/cmake/windows/sdl.def" \
  "$win/demo32.exe" "$win/demo8.exe" || fail "header checks"

if ! command -v wine >/dev/null 2>&1; then
  echo "ok (Wine is not installed: the programs were built and checked, not run)"
  exit 0
fi

# ---- both programs under Wine, against the stand-in SDL.dll ----------------
export WINEARCH=win32 WINEPREFIX=$win/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bin=$work/bin
mkdir -p "$bin" "$work/run8" "$work/run32" "$work/run32-silent"
cp "$win/demo32.exe" "$win/demo8.exe" "$bin/"
i686-w64-mingw32-g++-win32 -std=c++20 -O2 -Wall -Wextra -Werror -isystem /usr/include/SDL \
  -shared -static-libgcc -static-libstdc++ -o "$bin/SDL.dll" \
  "$helpers/sdl_standin.cpp" "$source_dir/cmake/windows/sdl.def" || fail "stand-in SDL.dll"

# Runs a program in directory $1 with Escape after 20 frames; sets status.
run() {
  local dir=$1
  shift
  (cd "$dir" && STANDIN_FRAMES=20 timeout 300 wine "$@" >out.txt 2>err.txt)
  status=$?
}

# The count of one call, or the caption, from the stand-in's record.
recorded() { tr -d '\r' <"$1/sdl_calls.txt" | awk -v k="$2" '$1 == k { sub(/^[^ ]* /, ""); print }'; }

# Each argument is a name from that record and the value expected for it.
expect_calls() {
  local dir=$1
  shift
  local pair key
  for pair in "$@"; do
    key=${pair%% *}
    [ "$(recorded "$dir" "$key")" = "${pair#* }" ] ||
      fail "$dir: $key recorded '$(recorded "$dir" "$key")', expected '${pair#* }'"
  done
}

# The sound must be more than silence: at least two distinct sample values.
audible() {
  python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); sys.exit(len(set(d)) < 2)' "$1"
}

# demo8: a console program printing to its console; SDL_Quit ends its audio.
run "$work/run8" "$bin/demo8.exe" w
[ "$status" -eq 0 ] || fail "demo8.exe exit status $status"
printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.\n' >"$work/closing"
tr -d '\r' <"$work/run8/out.txt" | tail -n 1 | cmp -s - "$work/closing" ||
  fail "demo8.exe did not end with its closing line: $(cat "$work/run8/out.txt")"
expect_calls "$work/run8" "SDL_Flip 20" "SDL_SetPalette 1" "SDL_OpenAudio 1" "SDL_PauseAudio 1" \
  "SDL_CloseAudio 0" "SDL_Quit 1"
audible "$work/run8/sdl_audio.raw" || fail "demo8.exe played silence"

# demo32: windowed program; its output goes to files beside the program, the
# screenshot to the current directory, and one more frame follows Escape.
rm -f "$bin/stdout.txt" "$bin/stderr.txt"
run "$work/run32" "$bin/demo32.exe" -window
[ "$status" -eq 0 ] || fail "demo32.exe exit status $status"
[ -s "$work/run32/out.txt" ] && fail "demo32.exe wrote to its standard output: $(cat "$work/run32/out.txt")"
[ -e "$work/run32/stdout.txt" ] && fail "stdout.txt was written to the current directory"
[ -f "$bin/stdout.txt" ] && [ -f "$bin/stderr.txt" ] || fail "no stdout.txt and stderr.txt beside demo32.exe"
[ -s "$bin/stderr.txt" ] && fail "stderr.txt is not empty: $(cat "$bin/stderr.txt")"
printf 'vidmode flags (0): SDL_SWSURFACE \r\njipii ei tarvi mit\xe4\xe4 lukkoja ees!\r\n' >"$work/head32"
head -n 2 "$bin/stdout.txt" | cmp -s - "$work/head32" || fail "stdout.txt: $(cat "$bin/stdout.txt")"
sed -n 3p "$bin/stdout.txt" | grep -q -E $'^wag: [0-9]+\\.[0-9]{6}\r$' || fail "no wag line in stdout.txt"
[ "$(wc -l <"$bin/stdout.txt")" -eq 3 ] || fail "stdout.txt has more than three lines"
[ "$(head -c 2 "$work/run32/vintage.bmp" 2>/dev/null)" = BM ] || fail "no vintage.bmp written"
expect_calls "$work/run32" "caption zyrkon malvestra 2" "presented 21" "SDL_OpenAudio 1" \
  "SDL_AddTimer 0" "SDL_RWFromFile 1" "SDL_SaveBMP_RW 1" "SDL_CloseAudio 1" "SDL_Quit 1"
audible "$work/run32/sdl_audio.raw" || fail "demo32.exe played silence"

# demo32 without an audio device: the complaint lands in stderr.txt and the
# timer drives the show clock.
(cd "$work/run32-silent" && STANDIN_AUDIO=none STANDIN_FRAMES=20 timeout 300 \
  wine "$bin/demo32.exe" -window >out.txt 2>err.txt)
status=$?
[ "$status" -eq 0 ] || fail "silent demo32.exe exit status $status"
printf 'emm\xe4 osaa soittaa musiiccia ku oot lameri t\xe4st\xe4 syyst\xe4: no audio in the stand-in\r\n' \
  >"$work/complaint"
cmp -s "$bin/stderr.txt" "$work/complaint" || fail "stderr.txt: $(cat "$bin/stderr.txt")"
[ "$(wc -l <"$bin/stdout.txt")" -eq 2 ] || fail "silent stdout.txt: $(cat "$bin/stdout.txt")"
expect_calls "$work/run32-silent" "SDL_InitSubSystem 1" "SDL_AddTimer 1" "SDL_SaveBMP_RW 1" \
  "SDL_Quit 1"

# ---- the same numbers on both systems ---------------------------------------
# The capture tool renders each show on a virtual clock; its Windows build
# must produce the Linux build's frames and sound byte for byte.
linux_capture=${DEMO_CAPTURE:-}
if [ -z "$linux_capture" ] || [ ! -x "$linux_capture" ] ||
  ! cmake --build "$win" --target demo-capture -j2 >"$work/capture.log" 2>&1; then
  echo "ok (the capture tool is not available for both systems: results not compared)"
  exit 0
fi
cd "$work" || fail "no work directory"
mkdir lin8 win8 lin32 win32
"$linux_capture" demo8 --raw lin8 --wav lin8.wav --quiet || fail "Linux capture of demo8"
wine "$win/demo-capture.exe" demo8 --raw win8 --wav win8.wav --quiet || fail "Windows capture of demo8"
cmp -s lin8.wav win8.wav || fail "demo8 sound differs between the Linux and the Windows build"
diff -rq lin8 win8 >/dev/null || fail "demo8 frames differ: $(diff -rq lin8 win8 | head -n 3)"
[ "$(ls win8 | wc -l)" -eq 1568 ] || fail "demo8 capture has $(ls win8 | wc -l) frames"
rm -rf lin8 win8

# demo32's vertex motion comes from rand, which differs between the C
# libraries: the Linux run gets the Windows generator.
c++ -shared -fPIC -O2 -o msvcrt_rand.so "$helpers/msvcrt_rand.cpp" || fail "rand shim"
LD_PRELOAD=$work/msvcrt_rand.so ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0 \
  "$linux_capture" demo32 --seed 1 --every 30 --raw lin32 --wav lin32.wav --quiet ||
  fail "Linux capture of demo32"
wine "$win/demo-capture.exe" demo32 --seed 1 --every 30 --raw win32 --wav win32.wav --quiet ||
  fail "Windows capture of demo32"
cmp -s lin32.wav win32.wav || fail "demo32 sound differs between the Linux and the Windows build"
diff -rq lin32 win32 >/dev/null || fail "demo32 frames differ: $(diff -rq lin32 win32 | head -n 3)"
[ "$(ls win32 | wc -l)" -gt 300 ] || fail "demo32 capture has $(ls win32 | wc -l) frames"
echo "ok"
