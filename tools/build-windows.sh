#!/usr/bin/env bash
# Builds demo32.exe, demo8.exe and demo-capture.exe as 32-bit Windows programs
# with MinGW-w64 (tools/setup.sh --windows installs it). The two shows need
# SDL.dll (SDL 1.2) beside them: tools/package-windows.sh builds it and makes
# the zip that runs as it is. demo-capture.exe needs no SDL.
# Usage: tools/build-windows.sh [build directory, default build-windows]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-windows}

if ! command -v i686-w64-mingw32-g++-win32 >/dev/null 2>&1; then
  echo "build-windows: i686-w64-mingw32-g++-win32 is missing (tools/setup.sh --windows)" >&2
  exit 1
fi
mkdir -p "$build"
# Builds into one directory wait for each other.
exec 9>"$build/build.lock"
flock 9
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDEMO_WERROR=ON >/dev/null
cmake --build "$build" --target demo32 demo8 demo-capture -j2
echo "build-windows: $build/demo32.exe $build/demo8.exe $build/demo-capture.exe"
