#!/usr/bin/env bash
# Makes the Windows release zips, one for 32-bit Windows and one for 64-bit
# Windows: demo32.exe, demo8.exe, demo-capture.exe (with libdeflate built from
# source, tools/build-windows-libdeflate.sh), SDL.dll and SDL2.dll built from
# source (tools/build-windows-sdl.sh), a short readme and the licence texts, in
# one folder that runs where it is unpacked. Both zips hold the same files and
# the same readme.
#
# Usage: tools/package-windows.sh [--sdl-sources DIR] [--build DIR] [--dist DIR] [--arch win32|win64]
#   --sdl-sources DIR  the SDL and libdeflate source archives (default: $DEMO_SDL_SOURCES)
#   --build DIR        build directory (default build/windows, where the suite builds too; SDL is cached there)
#   --dist DIR         where the zips go (default dist): DIR/zyrkon-malvestra-2-win32.zip
#                      and DIR/zyrkon-malvestra-2-win64.zip
#   --arch ARCH        only that zip
# Prints the path of each zip it made.
set -euo pipefail
CALLER_DIR=$PWD
cd "$(dirname "$0")/.."
. tools/windows-common.sh

die() {
  echo "package-windows: $*" >&2
  exit 1
}

sdl_args=()
[ -z "${DEMO_SDL_SOURCES:-}" ] || sdl_args=(--sdl-sources "$(from_caller "$DEMO_SDL_SOURCES")")
build=build/windows
dist=dist
arches=("${WINDOWS_ARCHES[@]}")
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || die "$1 needs a value (usage in the script's header)"
  case $1 in
  --sdl-sources) sdl_args=(--sdl-sources "$(from_caller "$2")") ;;
  --build) build=$(from_caller "$2") ;;
  --dist) dist=$(from_caller "$2") ;;
  --arch) windows_triplet "$2" >/dev/null || exit 1; arches=("$2") ;;
  *) die "unknown option $1" ;;
  esac
  shift 2
done

mkdir -p "$dist"
for arch in "${arches[@]}"; do
  # libdeflate first: without its archive the zip cannot be made, and this
  # says why before anything is built.
  libdeflate=$(tools/build-windows-libdeflate.sh --arch "$arch" "${sdl_args[@]}" "$build" | tail -n 1)
  tools/build-windows.sh --arch "$arch" "${sdl_args[@]}" "$build" >&2
  sdl=$(tools/build-windows-sdl.sh --arch "$arch" "${sdl_args[@]}" "$build" | tail -n 1)
  output=$dist/zyrkon-malvestra-2-$arch.zip
  python3 - "$output" "$build/$arch" "$sdl" "$libdeflate" <<'PY' || die "could not write $output"
import os, sys, zipfile

output, programs, sdl, libdeflate = sys.argv[1:5]
folder = os.path.basename(output)[:-len(".zip")]
binaries = [(programs, "demo32.exe"), (programs, "demo8.exe"), (programs, "demo-capture.exe"),
            (sdl, "SDL.dll"), (sdl, "SDL2.dll")]
# Texts get Windows line ends, so that every editor shows their lines.
texts = [("docs/windows/README.txt", "README.txt"),
         (os.path.join(sdl, "LICENSE-SDL2.txt"), "LICENSE-SDL2.txt"),
         (os.path.join(sdl, "LICENSE-sdl12-compat.txt"), "LICENSE-sdl12-compat.txt"),
         (os.path.join(libdeflate, "LICENSE-libdeflate.txt"), "LICENSE-libdeflate.txt")]

partial = output + ".partial"
with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for directory, name in binaries:
        z.write(os.path.join(directory, name), f"{folder}/{name}")
    for source, name in texts:
        text = open(source, "rb").read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        z.writestr(zipfile.ZipInfo.from_file(source, f"{folder}/{name}"), text,
                   zipfile.ZIP_DEFLATED)
os.replace(partial, output)
PY
  echo "package-windows: $output ($(($(stat -c %s "$output") / 1024)) KiB)" >&2
  echo "$output"
done
