# Shared by the Windows tests: the Windows build directory and a private Wine
# prefix inside it. Sourced after lib.sh.

# The Windows build directory: inside the ctest build, or build-windows.
windows_build_dir() {
  if [ -n "${BUILD_DIR:-}" ]; then
    echo "$BUILD_DIR/windows"
  else
    echo "${SOURCE_DIR:?}/build-windows"
  fi
}

# Uses the 32-bit Wine prefix $1 (made on first use, which takes a while);
# its wine server is stopped when the script ends.
use_wine_prefix() {
  command -v wine >/dev/null 2>&1 || fail "Wine is not installed (tools/setup.sh --windows)"
  export WINEARCH=win32 WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    timeout 600 wineboot --init >"$WINEPREFIX.log" 2>&1 && timeout 600 wineserver --wait ||
      fail "could not make the Wine prefix $WINEPREFIX: $(tail -n 5 "$WINEPREFIX.log")"
  fi
  trap 'wineserver -k 2>/dev/null; stop_xvfb' EXIT
}
