#!/usr/bin/env bash
# The Windows release zips as tools/package-windows.sh makes them, with SDL
# built from source for both targets, checked without running anything (that
# is test_windows_shows.sh): each zip holds every file, every program and DLL
# is built for its target and every import is met by the zip or by Windows
# (windows/pe_check.py, with the manifests, icons and versions); both zips
# hold the same files and the same texts, the readme being
# docs/windows/README.txt with Windows line ends.
# The SDL source archives come from DEMO_SDL_SOURCES (README.md, Windows
# build); without it the test is skipped.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/windows/wine.sh"

if [ -z "${DEMO_SDL_SOURCES:-}" ]; then
  echo "SKIP: DEMO_SDL_SOURCES is not set: it names the folder of the SDL source archives (README.md, Windows build)"
  exit 77
fi
source_dir=${SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
. "$source_dir/tools/windows-common.sh"
for arch in "${WINDOWS_ARCHES[@]}"; do
  command -v "$(windows_triplet "$arch")-g++-win32" >/dev/null 2>&1 ||
    fail "the MinGW-w64 cross compiler for $arch is not installed (tools/setup.sh --windows)"
done
[ -x "${DEMO_CAPTURE:-}" ] || fail "the Linux demo-capture is not built: ${DEMO_CAPTURE:-unset}"

win=$(windows_build_dir)
enter_workdir
trap stop_xvfb EXIT # removes the work directory

# The README's command, run as written from the top of the repository with
# DIR the archives' folder, where its default build folder is the suite's
# (SDL already built there); otherwise the script with the suite's folder.
LINE="tools/setup.sh --windows && tools/package-windows.sh --sdl-sources DIR"
grep -qxF -- "$LINE" "$source_dir/README.md" || fail "README.md no longer shows '$LINE': change it here"
if [ "$win" -ef "$source_dir/build/windows" ]; then
  echo "README: $LINE"
  rm -f "$source_dir"/dist/zyrkon-malvestra-2-win{32,64}.zip
  (cd "$source_dir" && eval "${LINE%DIR}\"\$DEMO_SDL_SOURCES\"") >package.log 2>&1 ||
    { tail -n 30 package.log; fail "the README's '$LINE' failed"; }
  mkdir dist
  cp "$source_dir"/dist/zyrkon-malvestra-2-win{32,64}.zip dist/ || fail "the README's command made no zips"
else
  "$source_dir/tools/package-windows.sh" --build "$win" --dist dist >package.log 2>&1 ||
    { tail -n 30 package.log; fail "tools/package-windows.sh failed"; }
fi
grep -h -E 'built in|KiB' package.log
version=$("$DEMO_CAPTURE" --version | sed -n 's/^demo-capture //p')
for arch in "${WINDOWS_ARCHES[@]}"; do
  zip=dist/zyrkon-malvestra-2-$arch.zip
  python3 "$source_dir/tests/e2e/windows/pe_check.py" "$arch" "$source_dir/cmake/windows/sdl.def" "$zip" "$version" ||
    fail "$arch package checks"
  mkdir "$arch"
  python3 -m zipfile -e "$zip" "$arch" || fail "cannot unpack $zip"
done

# The same files in both; the texts byte for byte.
(cd win32/* && ls) >files32
(cd win64/* && ls) >files64
cmp -s files32 files64 || fail "the zips hold different files: $(diff files32 files64 | tr '\n' ' ')"
for text in README.txt LICENSE-SDL2.txt LICENSE-sdl12-compat.txt LICENSE-libdeflate.txt; do
  cmp -s win32/*/"$text" win64/*/"$text" || fail "$text differs between the zips"
done
sed 's/$/\r/' "$source_dir/docs/windows/README.txt" | cmp -s - win64/*/README.txt ||
  fail "README.txt is not docs/windows/README.txt with Windows line ends"
echo "PASS"
