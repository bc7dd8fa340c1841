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

sources=${DEMO_SDL_SOURCES:+$(from_caller "$DEMO_SDL_SOURCES")}
build=build/windows
arches=("${WINDOWS_ARCHES[@]}")
while [ $# -gt 0 ]; do
  case $1 in
  --arch) [ $# -ge 2 ] || { echo "build-windows: --arch needs win32 or win64" >&2; exit 1; }
    arches=("$2"); shift 2 ;;
  --arch=*) arches=("${1#*=}"); shift ;;
  --sdl-sources) [ $# -ge 2 ] || { echo "build-windows: --sdl-sources needs a folder" >&2; exit 1; }
    sources=$(from_caller "$2"); shift 2 ;;
  --sdl-sources=*) sources=$(from_caller "${1#*=}"); shift ;;
  -*) echo "build-windows: unknown option $1" >&2; exit 1 ;;
  *) build=$(from_caller "$1"); shift ;;
  esac
done

for arch in "${arches[@]}"; do
  triplet=$(windows_triplet "$arch")
  if ! command -v "$triplet-g++-win32" >/dev/null 2>&1; then
    echo "build-windows: $triplet-g++-win32 is missing (tools/setup.sh --windows)" >&2
    exit 1
  fi
done
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
