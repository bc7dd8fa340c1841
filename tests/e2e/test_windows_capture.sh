#!/usr/bin/env bash
# Variants: win32 win64
# The Windows capture tool of one target (the argument), under Wine, must
# render the very frames, PNG files and sound of the Linux one: all of demo8,
# and every 30th frame of demo32 with a seed above 2^31; and a few PNG files
# at the fastest and the smallest --png-level. Its --help lists the options,
# as the Windows readme says.
# demo-capture.exe needs libdeflate's source archive from DEMO_SDL_SOURCES
# (README.md, Windows build); without it the test is skipped, as it is where
# this target's Wine cannot start.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/windows/wine.sh"
arch=$(windows_arch "${1:-}")

if [ -z "${DEMO_SDL_SOURCES:-}" ]; then
  echo "SKIP: DEMO_SDL_SOURCES is not set: it names the folder of the source archives, libdeflate's among them (README.md, Windows build)"
  exit 77
fi
source_dir=${SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
. "$source_dir/tools/windows-common.sh"

triplet=$(windows_triplet "$arch")
if ! command -v "$triplet-g++-win32" >/dev/null 2>&1; then
  echo "SKIP: the MinGW-w64 cross compiler $triplet-g++-win32 is not installed (tools/setup.sh --windows)"
  exit 77
fi
need_wine "$arch"
[ -x "${DEMO_CAPTURE:-}" ] || fail "the Linux demo-capture is not built: ${DEMO_CAPTURE:-unset}"

win=$(windows_build_dir)
enter_workdir
trap stop_xvfb EXIT # removes the work directory

"$source_dir/tools/build-windows.sh" --arch "$arch" "$win" >build.log 2>&1 ||
  { tail -n 30 build.log; fail "tools/build-windows.sh failed"; }
capture=$win/$arch/demo-capture.exe
use_wine_prefix "$win/$arch/wine-prefix" "$arch"

"$WINE" "$capture" --help >help.txt 2>&1 || fail "demo-capture.exe --help failed: $(cat help.txt)"
grep -q -- '--png DIR' help.txt || fail "demo-capture.exe --help lists no options: $(cat help.txt)"

# Each capture writes into folders of its own that are new and empty. The PNG
# files hold no path, so the two sides' must be equal byte for byte: the
# frames, the row filters and libdeflate's choices alike.
mkdir lin8 win8 lin32 win32
"$DEMO_CAPTURE" demo8 --raw lin8/raw --png lin8/png --wav lin8.wav --quiet || fail "Linux capture of demo8"
"$WINE" "$capture" demo8 --raw win8/raw --png win8/png --wav win8.wav --quiet ||
  fail "Windows capture of demo8"
cmp -s lin8.wav win8.wav || fail "demo8 sound differs between the Linux and the Windows build"
diff -rq lin8 win8 >/dev/null || fail "demo8 frames differ: $(diff -rq lin8 win8 | head -n 3)"
for kind in raw png; do
  [ "$(ls "win8/$kind" | wc -l)" -eq 1568 ] || fail "demo8 capture has $(ls "win8/$kind" | wc -l) $kind files"
done
rm -rf lin8 win8

# The polygon's motion comes from the seed alone, not from the C library's
# rand: a seed above 2^31 and the polygon's positions included.
"$DEMO_CAPTURE" demo32 --seed 3000000001 --every 30 --raw lin32/raw --png lin32/png --wav lin32.wav \
  --quiet || fail "Linux capture of demo32"
"$WINE" "$capture" demo32 --seed 3000000001 --every 30 --raw win32/raw --png win32/png --wav win32.wav \
  --quiet || fail "Windows capture of demo32"
cmp -s lin32.wav win32.wav || fail "demo32 sound differs between the Linux and the Windows build"
diff -rq lin32 win32 >/dev/null || fail "demo32 frames differ: $(diff -rq lin32 win32 | head -n 3)"
for kind in raw png; do
  [ "$(ls "win32/$kind" | wc -l)" -gt 300 ] || fail "demo32 capture has $(ls "win32/$kind" | wc -l) $kind files"
done
rm -rf lin32 win32

# libdeflate looks for matches in other ways at the fastest and the smallest
# levels than at the default one.
for level in 1 12; do
  "$DEMO_CAPTURE" demo32 --seed 7 --every 997 --png "lin$level" --png-level "$level" --quiet ||
    fail "Linux capture of demo32 at --png-level $level"
  "$WINE" "$capture" demo32 --seed 7 --every 997 --png "win$level" --png-level "$level" --quiet ||
    fail "Windows capture of demo32 at --png-level $level"
  diff -rq "lin$level" "win$level" >/dev/null ||
    fail "PNG files at --png-level $level differ: $(diff -rq "lin$level" "win$level" | head -n 3)"
  [ "$(ls "win$level" | wc -l)" -eq 12 ] || fail "--png-level $level capture has $(ls "win$level" | wc -l) files"
done
echo "PASS"
