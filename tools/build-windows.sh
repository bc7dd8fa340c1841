#!/usr/bin/env bash
# Builds demo32.exe, demo8.exe and demo-capture.exe as Windows programs with
# MinGW-w64 (tools/setup.sh --windows installs it): 32-bit ones into
# DIR/win32 and 64-bit ones into DIR/win64. The two shows need SDL.dll
# (SDL 1.2) beside them: tools/package-windows.sh builds it and makes the zips
# that run as they are. demo-capture.exe needs no SDL but libdeflate, linked
# in statically: tools/build-windows-libdeflate.sh builds it from its source
# archive, which lies with the SDL ones. Without that archive the two shows
# are built alone, and the script says why.
# Usage: tools/build-windows.sh [--arch win32|win64] [--sdl-sources DIR] [DIR, default build/windows]
#   --sdl-sources DIR  the source archives (default: $DEMO_SDL_SOURCES)
# Without --arch both are built.
set -euo pipefail
CALLER_DIR=$PWD
cd "$(dirname "$0")/.."
. tools/windows-common.sh

die() {
  echo "build-windows: $*" >&2
  exit 1
}

read_build_options "$@"

need_cross_compiler g++-win32
# demo-capture.exe is built where the libdeflate archive is at hand; one that
# does not match its pinned sum is an error, not a reason to leave it out.
archive=libdeflate-1.14.tar.gz
with_capture=0
if [ -z "$sources" ]; then
  echo "build-windows: demo-capture.exe is left out: it needs $archive from the folder of the" \
    "source archives, which --sdl-sources or DEMO_SDL_SOURCES names (README.md, Windows build)" >&2
elif [ ! -f "$sources/$archive" ]; then
  echo "build-windows: demo-capture.exe is left out: $sources/$archive is missing" >&2
else
  with_capture=1
fi
for arch in "${arches[@]}"; do
  dir=$build/$arch
  targets=(demo32 demo8)
  libdeflate=
  if [ "$with_capture" = 1 ]; then
    libdeflate=$(tools/build-windows-libdeflate.sh --arch "$arch" --sdl-sources "$sources" "$build" | tail -n 1)
    targets+=(demo-capture)
  fi
  mkdir -p "$dir"
  # Builds into one directory wait for each other.
  exec 9>"$dir/build.lock"
  flock 9
  # An earlier build's tool would pass for this one's.
  [ -n "$libdeflate" ] || rm -f "$dir/demo-capture.exe"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/$(windows_toolchain "$arch")" \
    -DCMAKE_BUILD_TYPE=Release -DDEMO_WERROR=ON -DDEMO_LIBDEFLATE_DIR="$libdeflate" >/dev/null
  cmake --build "$dir" --target "${targets[@]}" -j2
  exec 9>&-
  built=("${targets[@]/#/$dir/}")
  echo "build-windows: ${built[*]/%/.exe}"
done
