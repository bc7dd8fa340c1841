#!/usr/bin/env bash
# Makes the Windows release zip: demo32.exe, demo8.exe, demo-capture.exe,
# SDL.dll and SDL2.dll built from source (tools/build-windows-sdl.sh), a short
# readme and the licence texts, in one folder that runs where it is unpacked.
#
# Usage: tools/package-windows.sh [--sdl-sources DIR] [--build DIR] [--output ZIP]
#   --sdl-sources DIR  the SDL source archives (default: $DEMO_SDL_SOURCES)
#   --build DIR        build directory (default build-windows; SDL is cached there)
#   --output ZIP       the zip (default dist/zyrkon-malvestra-2-win32.zip)
set -euo pipefail
cd "$(dirname "$0")/.."

die() {
  echo "package-windows: $*" >&2
  exit 1
}

sdl_args=()
build=build-windows
output=dist/zyrkon-malvestra-2-win32.zip
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || die "$1 needs a value (usage in the script's header)"
  case $1 in
  --sdl-sources) sdl_args=(--sdl-sources "$2") ;;
  --build) build=$2 ;;
  --output) output=$2 ;;
  *) die "unknown option $1" ;;
  esac
  shift 2
done

tools/build-windows.sh "$build" >&2
sdl=$(tools/build-windows-sdl.sh "${sdl_args[@]}" "$build" | tail -n 1)

folder=$(basename "$output" .zip)
mkdir -p "$(dirname "$output")"
python3 - "$output" "$folder" "$build" "$sdl" <<'PY' || die "could not write $output"
import os, sys, zipfile

output, folder, build, sdl = sys.argv[1:5]
binaries = [(build, "demo32.exe"), (build, "demo8.exe"), (build, "demo-capture.exe"),
            (sdl, "SDL.dll"), (sdl, "SDL2.dll")]
# Texts get Windows line ends, so that every editor shows their lines.
texts = [("docs/windows/README.txt", "README.txt"),
         (os.path.join(sdl, "LICENSE-SDL2.txt"), "LICENSE-SDL2.txt"),
         (os.path.join(sdl, "LICENSE-sdl12-compat.txt"), "LICENSE-sdl12-compat.txt")]

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
