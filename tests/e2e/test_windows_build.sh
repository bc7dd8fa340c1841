#!/usr/bin/env bash
# The Windows programs without SDL, for both targets: tools/build-windows.sh
# makes demo32.exe, demo8.exe and demo-capture.exe for 32-bit and 64-bit
# Windows, and windows/pe_check.py checks each target's headers, imports, DOS
# stubs, manifests, icons and versions, demo-capture's against the version the
# Linux build prints. Nothing runs here: test_windows_capture.sh runs the
# capture tool under Wine, test_windows_shows.sh the shows.
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
echo "PASS"
