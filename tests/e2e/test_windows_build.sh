#!/usr/bin/env bash
# The Windows programs without SDL, for both targets: tools/build-windows.sh
# makes demo32.exe, demo8.exe and demo-capture.exe for 32-bit and 64-bit
# Windows, and windows/pe_check.py checks each target's headers, imports, DOS
# stubs, manifests, icons and versions, demo-capture's against the version the
# Linux build prints. Nothing runs here: test_windows_capture.sh runs the
# capture tool under Wine, test_windows_shows.sh the shows.
# demo-capture.exe needs libdeflate's source archive from DEMO_SDL_SOURCES
# (README.md, Windows build): without it the shows alone must be built, the
# build must say why, and the test says it skipped the rest.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/windows/wine.sh"

source_dir=${SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
. "$source_dir/tools/windows-common.sh"

for arch in "${WINDOWS_ARCHES[@]}"; do
  triplet=$(windows_triplet "$arch")
  if ! command -v "$triplet-g++-win32" >/dev/null 2>&1; then
    echo "SKIP: the MinGW-w64 cross compiler $triplet-g++-win32 is not installed (tools/setup.sh --windows)"
    exit 77
  fi
done
command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 missing"; exit 77; }
[ -x "${DEMO_CAPTURE:-}" ] || fail "the Linux demo-capture is not built: ${DEMO_CAPTURE:-unset}"

win=$(windows_build_dir)
enter_workdir
trap stop_xvfb EXIT # removes the work directory

"$source_dir/tools/build-windows.sh" "$win" >build.log 2>&1 ||
  { tail -n 30 build.log; fail "tools/build-windows.sh failed"; }
version=$("$DEMO_CAPTURE" --version | sed -n 's/^demo-capture //p')
for arch in "${WINDOWS_ARCHES[@]}"; do
  python3 "$source_dir/tests/e2e/windows/pe_check.py" "$arch" "$source_dir/cmake/windows/sdl.def" \
    "$win/$arch" "$version" || fail "$arch header checks"
done
if [ -z "${DEMO_SDL_SOURCES:-}" ]; then
  for arch in "${WINDOWS_ARCHES[@]}"; do
    [ ! -e "$win/$arch/demo-capture.exe" ] || fail "$arch demo-capture.exe is there without libdeflate's archive"
  done
  grep -q 'demo-capture.exe is left out: it needs libdeflate' build.log ||
    fail "tools/build-windows.sh does not say why it left demo-capture.exe out: $(tail -n 3 build.log)"
  echo "SKIP: demo-capture.exe not built or checked: DEMO_SDL_SOURCES is not set: it names the folder of the source archives, libdeflate's among them (README.md, Windows build)"
  exit 77
fi
for arch in "${WINDOWS_ARCHES[@]}"; do
  [ -f "$win/$arch/demo-capture.exe" ] || fail "$arch demo-capture.exe was not built: $(grep 'left out' build.log)"
done
echo "PASS"
