# Shared by the Windows tests: the Windows build directory, the Wine that runs
# a target's programs and a private Wine prefix per target. Sourced after
# lib.sh.
#
# Which Wine runs a target is found out by starting it, not by asking the
# kernel: 64-bit Windows programs run under Debian's 64-bit Wine loader,
# 32-bit ones under its 32-bit loader, which needs a kernel that runs 32-bit
# x86 programs. DEMO_WINE32 and DEMO_WINE64 name the loader to try instead
# (for example one that cannot start, to see the tests skip as they would on
# a machine without 32-bit support).

# The Windows build directory: inside the ctest build, or build/windows.
windows_build_dir() {
  if [ -n "${BUILD_DIR:-}" ]; then
    echo "$BUILD_DIR/windows"
  else
    echo "${SOURCE_DIR:?}/build/windows"
  fi
}

# The target a test script was started for (its first argument).
windows_arch() {
  case ${1:-} in
  win32 | win64) echo "$1" ;;
  *) echo "FAIL: give the target, win32 or win64" >&2; exit 2 ;;
  esac
}

# Sets WINE to the loader of target $1 and skips the test when it cannot
# start here, saying why. Every Windows program, and Wine's own (cmd, reg,
# taskkill), runs as "$WINE" PROGRAM: the wine on the PATH may start the
# other target's loader.
need_wine() {
  local bits output
  case $1 in
  win32) WINE=${DEMO_WINE32:-/usr/lib/wine/wine} bits=32 ;;
  win64) WINE=${DEMO_WINE64:-/usr/lib/wine/wine64} bits=64 ;;
  esac
  # Started by bash, which reports a program the kernel cannot run as such
  # (timeout alone would hand it to the shell as a script).
  if ! output=$(timeout 120 bash -c '"$0" --version' "$WINE" 2>&1 </dev/null); then
    echo "SKIP: $bits-bit Wine cannot start on this machine ($WINE --version: $(echo "$output" | tail -n 1))"
    exit 77
  fi
}

# Uses the Wine prefix $1 for target $2, made on first use (which takes a
# while). One test at a time uses a prefix: the others wait here. Its wine
# server is stopped when the script ends.
use_wine_prefix() {
  local arch=$2
  WINEARCH=$arch
  export WINEARCH WINEPREFIX=$1 WINELOADER=$WINE WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 8>"$WINEPREFIX.lock"
  flock 8
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    timeout 600 "$WINE" wineboot --init >"$WINEPREFIX.log" 2>&1 && timeout 600 wineserver --wait ||
      fail "could not make the Wine prefix $WINEPREFIX: $(tail -n 5 "$WINEPREFIX.log")"
  fi
  trap 'wineserver -k 2>/dev/null; stop_xvfb' EXIT
}
