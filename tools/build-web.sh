#!/usr/bin/env bash
# Builds both shows for the browser with emscripten (tools/setup.sh --web
# installs it) into a folder that any web server can serve as it is:
# index.html, demo32.html and demo8.html with their .js and .wasm, the page's
# script and style, and a picture of each show.
#   tools/build-web.sh [DIR]          (default build-web)
#   python3 -m http.server -d build-web
# The objects go to DIR-cmake, so later builds compile only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build-web}
work=$out-cmake

if ! command -v emcmake >/dev/null 2>&1; then
  echo "build-web: emscripten is missing (tools/setup.sh --web)" >&2
  exit 1
fi
# Debian's emscripten finds its JavaScript modules (acorn) only there when the
# machine's node is not Debian's own.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
mkdir -p "$out" "$work"
out=$(cd "$out" && pwd)
# Builds into one folder wait for each other.
exec 9>"$work/build.lock"
flock 9
emcmake cmake -S . -B "$work" -DCMAKE_BUILD_TYPE=Release -DDEMO_WERROR=ON \
  -DDEMO_WEB_OUT="$out" >/dev/null
cmake --build "$work" -j2 --target demo32_page demo8_page web_index
echo "build-web: $out (serve it: python3 -m http.server -d $out)"
