#!/usr/bin/env bash
# demo32's Escape screenshot replaces vintage.bmp only once it is complete.
# Where it cannot be written - a directory named vintage.bmp, a folder that
# cannot be written into, a file-size limit below the picture's size (as a
# full disk) - one line on standard error says so, an earlier vintage.bmp
# stays as it was, nothing is left behind, and the show still ends with
# status 0.
. "$(dirname "$0")/lib.sh"
start_xvfb
enter_workdir

# A folder that cannot be written into: as root chattr +i, otherwise no
# write permission.
block_folder() { if [ "$(id -u)" = 0 ]; then chattr +i "$1"; else chmod a-w "$1"; fi; }
unblock_folder() { chattr -i "$1" 2>/dev/null; chmod u+w "$1"; }
mkdir probe
block_folder probe 2>/dev/null && ! touch probe/x 2>/dev/null ||
  { unblock_folder probe; echo "SKIP: no folder can be made unwritable here (chattr +i needs a file system that has it)"; exit 77; }
unblock_folder probe
trap 'unblock_folder "$WORK/blocked"; stop_xvfb' EXIT

escape_in() {  # folder [command...]: runs demo32 there (or the command), Escape
  local dir=$1
  shift
  cd "$WORK/$dir" || fail "no folder $dir"
  start_app "${@:-$DEMO32}" -window -nosound
  cd "$WORK" || fail "no work folder"
  focus_window "zyrkon malvestra 2"
  wait_frames 3 || fail "$dir: demo32 ended before it showed three frames"
  [ -z "${FILE_SIZE_LIMIT:-}" ] || python3 -c 'import resource, sys
limit = int(sys.argv[2])
resource.prlimit(int(sys.argv[1]), resource.RLIMIT_FSIZE, (limit, limit))' "$APP_PID" "$FILE_SIZE_LIMIT" ||
    fail "cannot limit the file size of demo32"
  key Escape
  wait_app
  [ "$APP_STATUS" -eq 0 ] || fail "$dir: exit status $APP_STATUS"
  [ -z "$(find "$dir" -name '.vintage*')" ] || fail "$dir: left $(find "$dir" -name '.vintage*')"
}
one_line() {  # folder
  [ "$(wc -l <"$1/err.txt")" -eq 1 ] && grep -q '^vintage.bmp not written: ' "$1/err.txt" ||
    fail "$1: standard error is not one line about vintage.bmp: $(cat "$1/err.txt")"
}

# Written: an earlier file is replaced by a whole bitmap, and nothing is said.
mkdir written
echo earlier >written/vintage.bmp
escape_in written
[ "$(head -c 2 written/vintage.bmp)" = BM ] || fail "vintage.bmp was not replaced"
[ ! -s written/err.txt ] || fail "a screenshot written was remarked on: $(cat written/err.txt)"

# A directory stands there: it stays, empty.
mkdir directory directory/vintage.bmp
escape_in directory
[ -d directory/vintage.bmp ] && [ -z "$(ls -A directory/vintage.bmp)" ] || fail "the directory was touched"
one_line directory

# A folder that cannot be written into.
mkdir blocked
echo earlier >blocked/vintage.bmp
: >blocked/out.txt
: >blocked/err.txt
block_folder blocked
escape_in blocked
unblock_folder blocked
[ "$(cat blocked/vintage.bmp)" = earlier ] || fail "the earlier vintage.bmp changed"
one_line blocked

# No room for the picture: a file-size limit of 64 KiB, set once the show
# runs (SDL needs more for its own buffers), and SIGXFSZ ignored, as a full
# disk gives no signal. The earlier file stays whole.
mkdir full
echo earlier >full/vintage.bmp
FILE_SIZE_LIMIT=65536 escape_in full bash -c 'trap "" XFSZ; exec "$0" "$@"' "$DEMO32"
[ "$(cat full/vintage.bmp)" = earlier ] || fail "the earlier vintage.bmp changed on a full disk"
one_line full
echo "PASS"
