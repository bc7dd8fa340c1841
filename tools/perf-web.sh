#!/usr/bin/env bash
# The page's frame pass against the desktop's, side by side on the whole
# demo32 show with the smear: 11,913 frames at 60 frames a second (seed
# 2005), each drawn by the show's own pass on the replay clock with the
# music's clock from the song's chart, by demo-capture's speed test (the
# Release build of tools/perf.sh) and by the page's capture mode in headless
# Chromium, taking turns, PERF_RUNS times each (default 5). Prints the
# medians and the page's multiple of the desktop's time.
#   tools/perf-web.sh [--no-build]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-release
site=$dir/web
if [ "${1:-}" != --no-build ]; then
  echo "perf-web: building Release in $dir and the pages in $site" >&2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$dir" --target demo-capture -j"${PERF_JOBS:-2}" >/dev/null
  tools/build-web.sh "$site" >/dev/null
fi
exec node tools/perf-web.mjs "$dir/demo-capture" "$site" "${PERF_RUNS:-5}"
