#!/usr/bin/env bash
# Builds libdeflate, which compresses demo-capture's PNG files, from source as
# a static library for the Windows programs, with the MinGW-w64 cross
# compilers, for 32-bit Windows (win32) and 64-bit Windows (win64): the version
# of Debian's libdeflate-dev, so that demo-capture.exe writes the very bytes
# the Linux build writes. Its own Makefile builds it, in seconds.
#
# Usage: tools/build-windows-libdeflate.sh [--arch win32|win64] [--sdl-sources DIR] [build directory]
#
# The source archive, libdeflate-1.14.tar.gz (the libdeflate project's v1.14
# release), is taken from DIR, or from $DEMO_SDL_SOURCES when --sdl-sources is
# not given, the folder that holds the SDL archives too, and must match the
# SHA-256 sum pinned in tools/windows-common.sh. The build directory defaults
# to build/windows; without --arch both targets are built.
#
# libdeflate.h, libdeflatestatic.lib and the licence text of target ARCH land
# in BUILD/ARCH/libdeflate-KEY, where KEY hashes the archive's sum, the make
# settings and the compiler, so a second run with the same inputs builds
# nothing. That folder is the line this script prints on standard output for
# each target. Runs on the same build directory wait for each other.
set -euo pipefail
CALLER_DIR=$PWD
cd "$(dirname "$0")/.."
. tools/windows-common.sh

ARCHIVE=libdeflate-1.14.tar.gz
# The library alone: the Makefile's programs are not needed.
TARGET=libdeflatestatic.lib

die() {
  echo "build-windows-libdeflate: $*" >&2
  exit 1
}

read_build_options "$@"

command -v make >/dev/null 2>&1 || die "make is missing (tools/setup.sh)"
need_cross_compiler gcc-win32
reason=$(check_windows_sources "$sources" "$ARCHIVE" 2>&1) || die "$reason"
sources=$(cd "$sources" && pwd)

# Builds target $1 unless its cache folder is there; prints that folder.
build_libdeflate() {
  local arch=$1 triplet dir key out log work src
  triplet=$(windows_triplet "$arch")
  # The Makefile cannot derive ar from a compiler name ending in -win32.
  local settings=(CC="$triplet-gcc-win32" AR="$triplet-ar" "$TARGET")
  dir=$build/$arch
  mkdir -p "$dir"
  exec 9>"$dir/libdeflate.lock"
  flock 9

  key=$(printf '%s\n' "$(windows_source_sha256 "$ARCHIVE")" "${settings[@]}" \
    "$("$triplet-gcc-win32" --version | head -n 1)" | sha256sum | cut -c 1-16)
  out=$dir/libdeflate-$key
  if [ -f "$out/$TARGET" ]; then
    exec 9>&-
    echo "$out"
    return 0
  fi

  log=$dir/libdeflate-build.log
  work=$dir/libdeflate-work
  src=$work/${ARCHIVE%.tar.gz}
  rm -rf "$work" "$out"
  mkdir -p "$work"
  if ! {
    tar -xzf "$sources/$ARCHIVE" -C "$work" && make -C "$src" -j2 "${settings[@]}"
  } >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    die "the $arch libdeflate build failed (log in $log)"
  fi

  # Assembled beside the cache folder and renamed into place, so an
  # interrupted run never leaves a folder that looks complete.
  rm -rf "$out.new"
  mkdir -p "$out.new"
  cp "$src/libdeflate.h" "$src/$TARGET" "$out.new/"
  cp "$src/COPYING" "$out.new/LICENSE-libdeflate.txt"
  mv "$out.new" "$out"
  rm -rf "$work"
  # Folders of earlier settings or versions are of no further use.
  for old in "$dir"/libdeflate-*/; do
    [ "${old%/}" = "$out" ] || [ ! -f "$old/$TARGET" ] || rm -rf "$old"
  done
  exec 9>&-
  echo "$out"
}

mkdir -p "$build"
build=$(cd "$build" && pwd)
for arch in "${arches[@]}"; do
  build_libdeflate "$arch"
done
