#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite
# (unit tests and end-to-end tests of the real programs under Xvfb) with both
# cores kept busy by CPU hogs that it starts and stops itself, then the
# sanitizer stages:
#   asan  AddressSanitizer + UndefinedBehaviorSanitizer (no recovery): every
#         unit test, and both whole shows rendered offline by demo-capture;
#   tsan  ThreadSanitizer: the real threaded programs under Xvfb (demo32 on
#         the timer clock and on the audio clock, demo8 with its music).
# Every stage runs even when an earlier one failed; the summary at the end
# says which failed and how long each took, and the exit status is non-zero if
# any did.
# Build directories: build, build-asan and build-tsan (override with
# DEMO_BUILD_DIR, DEMO_ASAN_DIR, DEMO_TSAN_DIR). DEMO_STAGES=main limits the
# run to the build and the tests under load. DEMO_HOGS sets the number of CPU
# hogs (default 2, one per core; 0 runs the tests on an idle machine).
# DEMO_SDL_SOURCES names the folder of the source archives (SDL, libdeflate)
# that the Windows packages are built from (README.md, Windows build); without
# it the package and capture tests are skipped. The Windows programs run under Wine where it
# starts: DEMO_WINE32 and DEMO_WINE64 name the loaders to try (see
# tests/e2e/windows/wine.sh). Skipped tests are listed, with the reason, at
# the end.
set -uo pipefail
# The archives' folder as the caller named it, before the change of folder.
if [ -n "${DEMO_SDL_SOURCES:-}" ]; then
  DEMO_SDL_SOURCES=$(cd "$DEMO_SDL_SOURCES" && pwd) || exit 1
  export DEMO_SDL_SOURCES
fi
cd "$(dirname "$0")/.." || exit 1
BUILD=${DEMO_BUILD_DIR:-build}
ASAN=${DEMO_ASAN_DIR:-build-asan}
TSAN=${DEMO_TSAN_DIR:-build-tsan}
STAGES=${DEMO_STAGES:-main asan tsan}
HOGS=${DEMO_HOGS:-2}

# --windows: the MinGW cross compiler and Wine, for the Windows build's tests;
# --web: emscripten and Chromium, for the web pages and their tests.
tools/setup.sh --windows --web || exit 1
[ -n "${DEMO_SDL_SOURCES:-}" ] ||
  echo "DEMO_SDL_SOURCES is not set: the Windows packages and demo-capture.exe are neither built nor tested (README.md, Windows build)"

# Every ctest run leaves a JUnit report, from which the end of the run lists
# the skipped tests with their reasons and totals them all.
reports=$(mktemp -d)
runs=0
hog_pids=()
trap 'rm -rf "$reports"; [ ${#hog_pids[@]} -eq 0 ] || kill "${hog_pids[@]}" 2>/dev/null' EXIT
run_ctest() {
  runs=$((runs + 1))
  ctest "$@" --output-junit "$reports/$runs.xml"
}

# Prints each skipped test with the reason its script gave ("SKIP: ...", or
# ctest's own), then the totals.
report_tests() {
  python3 - "$reports" <<'PY'
import glob, os, sys
import xml.etree.ElementTree as ElementTree

passed = failed = 0
skipped = []
for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.xml"))):
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        status = case.get("status")
        if status == "notrun":
            lines = (case.findtext("system-out") or "").splitlines()
            reasons = [line[5:].strip() for line in lines if line.startswith("SKIP:")]
            marker = case.find("skipped")
            reason = reasons[-1] if reasons else marker.get("message") if marker is not None else "not run"
            skipped.append(f"  {case.get('name')}: {reason}")
        elif status == "fail":
            failed += 1
        else:
            passed += 1
if skipped:
    print("skipped:")
    print("\n".join(skipped))
print(f"tests: {passed} passed, {len(skipped)} skipped, {failed} failed")
PY
}

# Runs the command with HOGS busy loops beside it, one per core by default,
# so that the suite's verdict cannot lean on an idle machine. Fails if a hog
# did not last the whole run (the load would not have been there).
with_cpu_hogs() {
  local status pid cpu ticks report=() t0=$SECONDS i
  for ((i = 0; i < HOGS; i++)); do
    sh -c 'while :; do :; done' &
    hog_pids+=($!)
  done
  "$@"
  status=$?
  ticks=$(getconf CLK_TCK)
  for pid in "${hog_pids[@]}"; do
    # utime + stime of the hog, fields 14 and 15 of its stat line.
    cpu=$(awk -v t="$ticks" '{ print int(($14 + $15) / t) }' "/proc/$pid/stat" 2>/dev/null)
    if [ -z "$cpu" ]; then
      echo "a CPU hog ended early: the tests did not run under load" >&2
      status=1
    fi
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    report+=("${cpu:-?} s")
  done
  hog_pids=()
  [ "$HOGS" -eq 0 ] || echo "CPU hogs: $HOGS, CPU time ${report[*]} over $((SECONDS - t0)) s"
  return "$status"
}

results=()
failed=0
started=$SECONDS
stage() {  # name command...
  local name=$1 t0=$SECONDS
  shift
  echo "=== $name"
  if "$@"; then
    results+=("PASS  $name ($((SECONDS - t0)) s)")
  else
    results+=("FAIL  $name ($((SECONDS - t0)) s)")
    failed=1
    return 1
  fi
}

# The Windows build (the programs for both targets, then SDL for both
# packages, which takes minutes) starts beside the Linux build: building is done with the cores to
# itself, not in the loaded stage. The Windows tests wait for it (the build
# scripts' locks) and find it done. The script waits for it before it ends.
windows_prebuild() {
  command -v i686-w64-mingw32-g++-win32 >/dev/null 2>&1 &&
    command -v x86_64-w64-mingw32-g++-win32 >/dev/null 2>&1 || return 0
  mkdir -p "$BUILD/windows" || return 0
  {
    tools/build-windows.sh "$BUILD/windows" >"$BUILD/windows/prebuild.log" 2>&1
    if [ -n "${DEMO_SDL_SOURCES:-}" ]; then
      tools/build-windows-sdl.sh "$BUILD/windows" >/dev/null 2>"$BUILD/windows/sdl-prebuild.log"
    fi
  } &
}

build_stage() {
  windows_prebuild
  cmake -S . -B "$BUILD" -DDEMO_WERROR=ON >/dev/null && cmake --build "$BUILD" -j2 &&
    tools/build-web.sh "$BUILD/web"
}

# Every unit and end-to-end test, once, with the cores busy: a test that
# passes here does not depend on an idle machine, so no unloaded run is needed.
# The whole-show renders run in the asan stage, under the sanitizers.
# Four at a time: many end-to-end tests wait on a show's real time, and
# beside the hogs the cores stay busy anyway.
loaded_stage() {
  with_cpu_hogs run_ctest --test-dir "$BUILD" --output-on-failure -j4 -E '^e2e_test_whole_capture_long$'
}

# Reports stop the program at once and make the test fail.
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

asan_stage() {
  cmake -S . -B "$ASAN" -DDEMO_WERROR=ON -DDEMO_SANITIZE=ON -DDEMO_BENCH=OFF >/dev/null &&
    cmake --build "$ASAN" -j2 --target unit_tests demo-capture &&
    run_ctest --test-dir "$ASAN" --output-on-failure -j2 -LE 'e2e|style' &&
    run_ctest --test-dir "$ASAN" --output-on-failure -R '^e2e_test_whole_capture_long$'
}

tsan_stage() {
  cmake -S . -B "$TSAN" -DDEMO_WERROR=ON -DDEMO_TSAN=ON -DDEMO_BENCH=OFF >/dev/null &&
    cmake --build "$TSAN" -j2 --target demo32 demo8 preload_tsan_audio_handoff preload_show_probe &&
    run_ctest --test-dir "$TSAN" --output-on-failure -R '^e2e_test_tsan_'
}

for s in $STAGES; do
  case $s in
  main)
    stage "build ($BUILD)" build_stage &&
      stage "unit and end-to-end tests, $HOGS CPU hogs beside them ($BUILD)" loaded_stage
    ;;
  asan) stage "AddressSanitizer + UndefinedBehaviorSanitizer ($ASAN)" asan_stage ;;
  tsan) stage "ThreadSanitizer ($TSAN)" tsan_stage ;;
  *) echo "unknown stage '$s'" >&2; exit 2 ;;
  esac
done
wait # the Windows SDL build, if the tests did not need it

echo
echo "=== summary ($((SECONDS - started)) s)"
printf '%s\n' "${results[@]}"
report_tests
[ "$failed" -eq 0 ] || exit 1
