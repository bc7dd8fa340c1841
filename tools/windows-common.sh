# What the Windows build scripts share: the two targets and the source
# archives. Sourced by tools/build-windows*.sh and tools/package-windows.sh,
# which work from the top of the repository.

# A path the caller gave, relative to the folder the caller was in
# ($CALLER_DIR, noted before the script changed folders).
from_caller() {
  case $1 in
  /*) echo "$1" ;;
  *) echo "$CALLER_DIR/$1" ;;
  esac
}

# The options of the build scripts, [--arch win32|win64] [--sdl-sources DIR]
# [BUILD]: sets sources (default $DEMO_SDL_SOURCES), build (default
# build/windows, where tools/test.sh builds too) and arches (default both
# targets). A wrong option ends the script through its own die().
read_build_options() {
  sources=${DEMO_SDL_SOURCES:+$(from_caller "$DEMO_SDL_SOURCES")}
  build=build/windows
  arches=("${WINDOWS_ARCHES[@]}")
  while [ $# -gt 0 ]; do
    case $1 in
    --sdl-sources) [ $# -ge 2 ] || die "--sdl-sources needs a folder"; sources=$(from_caller "$2"); shift 2 ;;
    --sdl-sources=*) sources=$(from_caller "${1#*=}"); shift ;;
    --arch) [ $# -ge 2 ] || die "--arch needs win32 or win64"; arches=("$2"); shift 2 ;;
    --arch=*) arches=("${1#*=}"); shift ;;
    -*) die "unknown option $1" ;;
    *) build=$(from_caller "$1"); shift ;;
    esac
  done
}

# Ends the script through its die() unless the cross compiler $1 (gcc-win32
# or g++-win32) of every target in arches is installed.
need_cross_compiler() {
  local arch triplet
  for arch in "${arches[@]}"; do
    triplet=$(windows_triplet "$arch") || exit 1
    command -v "$triplet-$1" >/dev/null 2>&1 || die "$triplet-$1 is missing (tools/setup.sh --windows)"
  done
}

# The targets, each with its MinGW-w64 triplet and CMake toolchain file. The
# name is also the end of its zip's name.
WINDOWS_ARCHES=(win32 win64)
windows_triplet() {
  case $1 in
  win32) echo i686-w64-mingw32 ;;
  win64) echo x86_64-w64-mingw32 ;;
  *) echo "unknown Windows target '$1' (win32 or win64)" >&2; return 1 ;;
  esac
}
windows_toolchain() {
  case $1 in
  win32) echo cmake/mingw-i686.cmake ;;
  win64) echo cmake/mingw-x86_64.cmake ;;
  *) echo "unknown Windows target '$1' (win32 or win64)" >&2; return 1 ;;
  esac
}

# The source archives the packages are built from, as their projects publish
# them, each with its pinned SHA-256 sum. They come from the folder that
# DEMO_SDL_SOURCES (or a script's --sdl-sources) names, never from anywhere
# else (README.md, Windows build). One more archive is one more line here.
WINDOWS_SOURCES=(
  "SDL2-2.32.10.tar.gz 8087bad3d8ad2f1afbc8f53152b3e0a480ab4303acb4cb998cbca5a69a7581a0"
  "sdl12-compat-1.2.76.tar.gz 88a1136a6ea74a210b36e9d0f0374601013ff0c344d501e8b194039736f0632c"
  "libdeflate-1.14.tar.gz de6eab1d4e0832e4a99e6380b1705b47c4d69dff9a176ce15d37bde4c0abde78"
)

# The pinned sum of the archive named $1.
windows_source_sha256() {
  local entry
  for entry in "${WINDOWS_SOURCES[@]}"; do
    if [ "${entry%% *}" = "$1" ]; then
      echo "${entry#* }"
      return 0
    fi
  done
  echo "no pinned sum for $1" >&2
  return 1
}

# Checks that folder $1 holds the archives $2... with their pinned sums;
# otherwise says which is missing or differs, on standard error, and fails.
check_windows_sources() {
  local dir=$1 name sum
  shift
  [ -n "$dir" ] || {
    echo "no source archives: give --sdl-sources DIR or set DEMO_SDL_SOURCES (README.md, Windows build)" >&2
    return 1
  }
  for name in "$@"; do
    sum=$(windows_source_sha256 "$name") || return 1
    [ -f "$dir/$name" ] || { echo "$dir/$name is missing" >&2; return 1; }
    [ "$(sha256sum <"$dir/$name" | cut -d ' ' -f 1)" = "$sum" ] ||
      { echo "$dir/$name does not match its pinned SHA-256 sum $sum" >&2; return 1; }
  done
}
