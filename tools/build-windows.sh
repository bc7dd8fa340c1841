#!/usr/bin/env bash
# Builds demo32.exe, demo8.exe and demo-capture.exe as Windows programs with
# MinGW-w64 (tools/setup.sh --windows installs it): 32-bit ones into
# DIR/win32 and 64-bit ones into DIR/win64. The two shows need SDL.dll
# (SDL 1.2) beside them: tools/package-windows.sh builds it and makes the zips
# that run as they are. demo-capture.exe needs no SDL.
# Usage: tools/build-windows.sh [--arch win32|win64] [DIR, default build/windows]
# Without --arch both are built.
set -euo pipefail
CALLER_DIR=$PWD
cd "$(dirname "$0")/.."
. tools/windows-common.sh

build=build/windows
arches=("${WINDOWS_ARCHES[@]}")
while [ $# -gt 0 ]; do
  case $1 in
  --arch) [ $# -ge 2 ] || { echo "build-windows: --arch needs win32 or win64" >&2; exit 1; }
    arches=("$2"); shift 2 ;;
  --arch=*) arches=("${1#*=}"); shift ;;
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
for arch in "${arches[@]}"; do
  dir=$build/$arch
  mkdir -p "$dir"
  # Builds into one directory wait for each other.
  exec 9>"$dir/build.lock"
  flock 9
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/$(windows_toolchain "$arch")" \
    -DCMAKE_BUILD_TYPE=Release -DDEMO_WERROR=ON >/dev/null
  cmake --build "$dir" --target demo32 demo8 demo-capture -j2
  exec 9>&-
  echo "build-windows: $dir/demo32.exe $dir/demo8.exe $dir/demo-capture.exe"
done
