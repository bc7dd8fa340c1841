#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent: does nothing when
# everything is present. Uses sudo only when not already root.
# Usage: tools/setup.sh [--windows] [--web]
#   --windows  the MinGW cross compiler and Wine, for the Windows build
#   --web      emscripten and Chromium, for the web pages and their tests
set -euo pipefail

# openbox: a window manager for the full-screen and window-size tests, which
# need a desktop's work area and its full-screen requests handled. libdeflate
# compresses demo-capture's PNG files; the tests decode them with zlib.
packages=(cmake g++ make pkg-config libsdl1.2-compat-dev libgtest-dev libbenchmark-dev
          libdeflate-dev zlib1g-dev xvfb xauth xdotool openbox x11-utils ffmpeg valgrind
          x11-apps imagemagick sox python3 time clang-format)
windows=0
if [ "${DEMO_WINDOWS:-0}" = 1 ]; then windows=1; fi
web=0
for option in "$@"; do
  case $option in
  --windows) windows=1 ;;
  --web) web=1 ;;
  *) echo "setup: unknown option $option" >&2; exit 2 ;;
  esac
done
if [ "$windows" = 1 ]; then
  # The cross compilers for 32-bit and 64-bit Windows, and Wine for both to
  # run their output (wine32 is an i386 package; where the kernel cannot run
  # 32-bit programs it installs but does not start, and the tests say so);
  # Ninja for building SDL, whose configure step runs faster with it.
  packages+=(g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
             wine wine32:i386 wine64 ninja-build)
fi
if [ "$web" = 1 ]; then
  # emscripten brings node; the page tests drive Chromium through it.
  packages+=(emscripten chromium)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
if [ "$windows" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
