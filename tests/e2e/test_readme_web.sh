#!/usr/bin/env bash
# README.md's "In a web browser" commands, run as written from the top of the
# repository: the first builds the pages into build-web/, the second serves
# that folder at http://localhost:8000/. What the server gives is the folder's
# files, and those are byte for byte the pages the suite's page tests check
# (built into the build folder's web/).
. "$(dirname "$0")/lib.sh"
README=${SOURCE_DIR:?}/README.md
BUILD_LINE="tools/setup.sh --web && tools/build-web.sh"
SERVE_LINE="python3 -m http.server -d build-web"
for line in "$BUILD_LINE" "$SERVE_LINE"; do
  grep -qxF -- "$line" "$README" || fail "README.md no longer shows '$line': change it here"
done
[ -f "${BUILD_DIR:?}/web/demo32.html" ] || fail "the suite's pages are not built: $BUILD_DIR/web"
enter_workdir
trap 'stop_xvfb; [ -z "${SERVER_PID:-}" ] || kill "$SERVER_PID" 2>/dev/null' EXIT

echo "README: $BUILD_LINE"
(cd "$SOURCE_DIR" && eval "$BUILD_LINE") >build.txt 2>&1 ||
  fail "'$BUILD_LINE': $(tail -n 5 build.txt)"
# The port is looked at just before the server starts: another program (or
# another run of this suite) may hold it.
port_taken() {
  echo "SKIP: port 8000, where the README's server listens, is taken on this machine"
  exit 77
}
python3 -c 'import socket; s = socket.socket(); s.bind(("", 8000))' 2>/dev/null || port_taken
echo "README: $SERVE_LINE"
(cd "$SOURCE_DIR" && eval "exec $SERVE_LINE") >server.txt 2>&1 &
SERVER_PID=$!
fetch() {  # path file
  python3 -c 'import sys, urllib.request
with urllib.request.urlopen("http://localhost:8000/" + sys.argv[1]) as r: open(sys.argv[2], "wb").write(r.read())' "$@" 2>/dev/null
}
serving() { fetch "" index.html; }
server_up() { serving || ! kill -0 "$SERVER_PID" 2>/dev/null; }
wait_until "the server at port 8000" server_up
# What answers must be this server (alive, so the port is its own).
if ! kill -0 "$SERVER_PID" 2>/dev/null || ! serving; then
  grep -q 'Address already in use' server.txt && port_taken
  fail "the server did not start: $(cat server.txt)"
fi

files=$(cd "$BUILD_DIR/web" && find . -type f | sed 's|^\./||' | sort)
[ -n "$files" ] || fail "no pages in $BUILD_DIR/web"
for f in $files; do
  fetch "$f" served || fail "the server did not give $f"
  cmp -s served "$SOURCE_DIR/build-web/$f" || fail "$f as served is not build-web/$f"
  cmp -s served "$BUILD_DIR/web/$f" || fail "build-web/$f is not the tested page's $f"
done
cmp -s index.html "$BUILD_DIR/web/index.html" || fail "http://localhost:8000/ is not index.html"
echo "served $(echo "$files" | wc -l) files, each the suite's page byte for byte"
echo "PASS"
