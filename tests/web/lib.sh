# What the page tests share: they skip without the browser's tools, build
# both pages (tools/build-web.sh, into BUILD_DIR/web; builds into one folder
# wait for each other) and run in a work folder of their own. Sourced by the
# test_*.sh scripts here.
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

web_setup() {  # name (of the build log)
  local tool
  for tool in emcmake chromium node; do
    command -v "$tool" >/dev/null 2>&1 ||
      { echo "SKIP: $tool is not installed (tools/setup.sh --web)"; exit 77; }
  done
  [ -x "${DEMO_CAPTURE:-}" ] || fail "demo-capture is not built: ${DEMO_CAPTURE:-unset}"
  source_dir=${SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
  build=${BUILD_DIR:-$source_dir/build}
  site=$build/web
  shots=$build/web-screens
  mkdir -p "$shots"
  "$source_dir/tools/build-web.sh" "$site" >"$build/web-build-$1.log" 2>&1 ||
    { tail -n 30 "$build/web-build-$1.log"; fail "tools/build-web.sh failed"; }
  enter_workdir
  trap 'rm -rf "$WORK"' EXIT
}
