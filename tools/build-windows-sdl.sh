#!/usr/bin/env bash
# Builds the SDL that the Windows programs run with, from source, as 32-bit
# DLLs with the MinGW-w64 cross compiler: SDL 2 (SDL2.dll) and sdl12-compat
# (SDL.dll, the SDL 1.2 API on top of SDL 2).
#
# Usage: tools/build-windows-sdl.sh [--sdl-sources DIR] [build directory]
#
# The two source archives, SDL2-2.32.10.tar.gz and sdl12-compat-1.2.76.tar.gz
# (the SDL project's release source archives), are taken from DIR, or from
# $DEMO_SDL_SOURCES when --sdl-sources is not given, and must match the
# SHA-256 sums below. The build directory defaults to build-windows.
#
# The DLLs and the licence texts land in BUILD/sdl-KEY, where KEY hashes the
# archives' sums, the build settings, the toolchain file and the compiler, so
# a second run with the same inputs builds nothing. That folder is the one line
# this script prints on standard output; the build's log is BUILD/sdl-build.log.
# Runs on the same build directory wait for each other, so one can be started
# early in the background and a later one picks up its result.
set -euo pipefail
cd "$(dirname "$0")/.."

SDL2_ARCHIVE=SDL2-2.32.10.tar.gz
SDL2_SHA256=8087bad3d8ad2f1afbc8f53152b3e0a480ab4303acb4cb998cbca5a69a7581a0
SDL12_ARCHIVE=sdl12-compat-1.2.76.tar.gz
SDL12_SHA256=88a1136a6ea74a210b36e9d0f0374601013ff0c344d501e8b194039736f0632c

# What the shows and Windows users need: the Windows video driver with the
# Direct3D and software renderers, the WASAPI, DirectSound and WinMM audio
# drivers, the disk and dummy drivers the tests use, events, timers, threads
# and loadso. Game controllers, sensors, OpenGL and Vulkan are left out.
SDL2_SETTINGS=(
  -DCMAKE_BUILD_TYPE=Release -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF
  -DSDL2_DISABLE_SDL2MAIN=ON -DSDL2_DISABLE_UNINSTALL=ON -DSDL_CCACHE=OFF
  -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_XINPUT=OFF
  -DSDL_OPENGL=OFF -DSDL_OPENGLES=OFF -DSDL_VULKAN=OFF -DSDL_OFFSCREEN=OFF
  -DSDL_DISKAUDIO=ON -DSDL_DUMMYAUDIO=ON -DSDL_DUMMYVIDEO=ON
)
SDL12_SETTINGS=(-DCMAKE_BUILD_TYPE=Release -DSDL12TESTS=OFF -DSDL12DEVEL=OFF)
CC=i686-w64-mingw32-gcc-win32
STRIP=i686-w64-mingw32-strip

die() {
  echo "build-windows-sdl: $*" >&2
  exit 1
}

sources=${DEMO_SDL_SOURCES:-}
build=build-windows
while [ $# -gt 0 ]; do
  case $1 in
  --sdl-sources) [ $# -ge 2 ] || die "--sdl-sources needs a folder"; sources=$2; shift 2 ;;
  --sdl-sources=*) sources=${1#*=}; shift ;;
  -*) die "unknown option $1" ;;
  *) build=$1; shift ;;
  esac
done

command -v "$CC" >/dev/null 2>&1 || die "$CC is missing (tools/setup.sh --windows)"
command -v ninja >/dev/null 2>&1 || die "ninja is missing (tools/setup.sh --windows)"
[ -n "$sources" ] ||
  die "no SDL source archives: give --sdl-sources DIR or set DEMO_SDL_SOURCES (see README.md)"
for archive in "$SDL2_ARCHIVE" "$SDL12_ARCHIVE"; do
  [ -f "$sources/$archive" ] || die "$sources/$archive is missing"
done

mkdir -p "$build"
build=$(cd "$build" && pwd)
exec 9>"$build/sdl.lock"
flock 9

toolchain=$PWD/cmake/mingw-i686.cmake
key=$(printf '%s\n' "$SDL2_SHA256" "$SDL12_SHA256" "${SDL2_SETTINGS[@]}" "${SDL12_SETTINGS[@]}" \
  "$("$CC" --version | head -n 1)" "$(sha256sum <"$toolchain")" | sha256sum | cut -c 1-16)
out=$build/sdl-$key
if [ -f "$out/SDL.dll" ] && [ -f "$out/SDL2.dll" ]; then
  echo "$out"
  exit 0
fi

# Checked before anything is unpacked; sha256sum reads the pinned sums.
(cd "$sources" && printf '%s  %s\n' "$SDL2_SHA256" "$SDL2_ARCHIVE" "$SDL12_SHA256" "$SDL12_ARCHIVE" |
  sha256sum --check --quiet --strict -) >&2 ||
  die "the archives in $sources do not match the pinned SHA-256 sums"

log=$build/sdl-build.log
work=$build/sdl-work
rm -rf "$work" "$out"
mkdir -p "$work"
started=$SECONDS
echo "build-windows-sdl: building SDL2.dll and SDL.dll (several minutes; log in $log)" >&2
if ! {
  tar -xzf "$sources/$SDL2_ARCHIVE" -C "$work" &&
    tar -xzf "$sources/$SDL12_ARCHIVE" -C "$work" &&
    cmake -G Ninja -S "$work/${SDL2_ARCHIVE%.tar.gz}" -B "$work/sdl2" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_INSTALL_PREFIX="$work/sdl2-install" "${SDL2_SETTINGS[@]}" &&
    cmake --build "$work/sdl2" -j2 &&
    cmake --install "$work/sdl2" &&
    cmake -G Ninja -S "$work/${SDL12_ARCHIVE%.tar.gz}" -B "$work/sdl12" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DSDL2_INCLUDE_DIR="$work/sdl2-install/include/SDL2" "${SDL12_SETTINGS[@]}" &&
    cmake --build "$work/sdl12" -j2
} >"$log" 2>&1; then
  tail -n 20 "$log" >&2
  die "the SDL build failed (log in $log)"
fi

# Assembled beside the cache folder and renamed into place, so an interrupted
# run never leaves a folder that looks complete.
rm -rf "$out.new"
mkdir -p "$out.new"
"$STRIP" --strip-unneeded -o "$out.new/SDL2.dll" "$work/sdl2/SDL2.dll"
"$STRIP" --strip-unneeded -o "$out.new/SDL.dll" "$work/sdl12/SDL.dll"
cp "$work/${SDL2_ARCHIVE%.tar.gz}/LICENSE.txt" "$out.new/LICENSE-SDL2.txt"
cp "$work/${SDL12_ARCHIVE%.tar.gz}/LICENSE.txt" "$out.new/LICENSE-sdl12-compat.txt"
echo "$((SECONDS - started))" >"$out.new/build-seconds"
mv "$out.new" "$out"
rm -rf "$work"
# Folders of earlier settings or versions are of no further use.
for old in "$build"/sdl-*/; do
  [ "${old%/}" = "$out" ] || [ ! -f "$old/SDL.dll" ] || rm -rf "$old"
done
echo "build-windows-sdl: built in $((SECONDS - started)) s" >&2
echo "$out"
