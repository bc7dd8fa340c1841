#!/usr/bin/env bash
# Builds the SDL that the Windows programs run with, from source, as DLLs with
# the MinGW-w64 cross compilers: SDL 2 (SDL2.dll) and sdl12-compat (SDL.dll,
# the SDL 1.2 API on top of SDL 2), for 32-bit Windows (win32) and 64-bit
# Windows (win64).
#
# Usage: tools/build-windows-sdl.sh [--arch win32|win64] [--sdl-sources DIR] [build directory]
#
# The two source archives, SDL2-2.32.10.tar.gz and sdl12-compat-1.2.76.tar.gz
# (the SDL project's release source archives), are taken from DIR, or from
# $DEMO_SDL_SOURCES when --sdl-sources is not given, and must match the
# SHA-256 sums pinned in tools/windows-common.sh. The build directory defaults
# to build/windows; without --arch both targets are built, one after the
# other.
#
# The DLLs and the licence texts of target ARCH land in BUILD/ARCH/sdl-KEY,
# where KEY hashes the archives' sums, the build settings, the toolchain files
# and the compiler, so a second run with the same inputs builds nothing. That
# folder is the line this script prints on standard output for each target;
# the build's log is BUILD/ARCH/sdl-build.log. Runs on the same build
# directory wait for each other, so one can be started early in the
# background and a later one picks up its result.
set -euo pipefail
CALLER_DIR=$PWD
cd "$(dirname "$0")/.."
. tools/windows-common.sh

SDL2_ARCHIVE=SDL2-2.32.10.tar.gz
SDL12_ARCHIVE=sdl12-compat-1.2.76.tar.gz

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

die() {
  echo "build-windows-sdl: $*" >&2
  exit 1
}

read_build_options "$@"

command -v ninja >/dev/null 2>&1 || die "ninja is missing (tools/setup.sh --windows)"
need_cross_compiler gcc-win32
reason=$(check_windows_sources "$sources" "$SDL2_ARCHIVE" "$SDL12_ARCHIVE" 2>&1) || die "$reason"
sources=$(cd "$sources" && pwd)

# Builds target $1 unless its cache folder is there; prints that folder.
build_sdl() {
  local arch=$1 triplet toolchain dir key out log work started
  triplet=$(windows_triplet "$arch")
  toolchain=$PWD/$(windows_toolchain "$arch")
  dir=$build/$arch
  mkdir -p "$dir"
  exec 9>"$dir/sdl.lock"
  flock 9

  key=$(printf '%s\n' "$(windows_source_sha256 "$SDL2_ARCHIVE")" "$(windows_source_sha256 "$SDL12_ARCHIVE")" \
    "${SDL2_SETTINGS[@]}" "${SDL12_SETTINGS[@]}" "$("$triplet-gcc-win32" --version | head -n 1)" \
    "$(cat "$toolchain" cmake/mingw.cmake | sha256sum)" | sha256sum | cut -c 1-16)
  out=$dir/sdl-$key
  if [ -f "$out/SDL.dll" ] && [ -f "$out/SDL2.dll" ]; then
    exec 9>&-
    echo "$out"
    return 0
  fi

  log=$dir/sdl-build.log
  work=$dir/sdl-work
  rm -rf "$work" "$out"
  mkdir -p "$work"
  started=$SECONDS
  echo "build-windows-sdl: building $arch SDL2.dll and SDL.dll (minutes; log in $log)" >&2
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
    die "the $arch SDL build failed (log in $log)"
  fi

  # Assembled beside the cache folder and renamed into place, so an
  # interrupted run never leaves a folder that looks complete.
  rm -rf "$out.new"
  mkdir -p "$out.new"
  "$triplet-strip" --strip-unneeded -o "$out.new/SDL2.dll" "$work/sdl2/SDL2.dll"
  "$triplet-strip" --strip-unneeded -o "$out.new/SDL.dll" "$work/sdl12/SDL.dll"
  cp "$work/${SDL2_ARCHIVE%.tar.gz}/LICENSE.txt" "$out.new/LICENSE-SDL2.txt"
  cp "$work/${SDL12_ARCHIVE%.tar.gz}/LICENSE.txt" "$out.new/LICENSE-sdl12-compat.txt"
  echo "$((SECONDS - started))" >"$out.new/build-seconds"
  mv "$out.new" "$out"
  rm -rf "$work"
  # Folders of earlier settings or versions are of no further use.
  for old in "$dir"/sdl-*/; do
    [ "${old%/}" = "$out" ] || [ ! -f "$old/SDL.dll" ] || rm -rf "$old"
  done
  exec 9>&-
  echo "build-windows-sdl: $arch built in $((SECONDS - started)) s" >&2
  echo "$out"
}

mkdir -p "$build"
build=$(cd "$build" && pwd)
for arch in "${arches[@]}"; do
  build_sdl "$arch"
done
