#!/usr/bin/env bash
# What only root can set up for demo-capture: a file that cannot be moved
# (chattr +i) among the files a run replaces, and a folder that cannot be
# written into; then every file stays as it was, byte for byte. A file of
# another user that a run replaces with -y keeps its owner, group and mode.
. "$(dirname "$0")/lib.sh"
[ -x "${DEMO_CAPTURE:-}" ] || fail "DEMO_CAPTURE is not an executable: ${DEMO_CAPTURE:-unset}"
[ "$(id -u)" = 0 ] || { echo "SKIP: needs root (chattr +i, chown to another user)"; exit 77; }
enter_workdir
trap 'chattr -i imm/frame_00050.png imm 2>/dev/null; rm -rf "$WORK"' EXIT
CAP=$DEMO_CAPTURE
sums() { (cd imm && sha256sum frame_*) ; sha256sum imm.wav; }
no_hidden() { [ -z "$(find . -mindepth 1 -name '.*')" ] || fail "hidden files left: $(find . -mindepth 1 -name '.*')"; }

"$CAP" demo8 --frames 0-99 --png imm --wav imm.wav --quiet || fail "the first run"
before=$(sums)
chattr +i imm/frame_00050.png 2>/dev/null || { echo "SKIP: chattr +i does not work on this file system"; exit 77; }

# A move that fails half-way: every file is put back, and the new raw
# frames beside them are taken away.
"$CAP" demo32 --frames 0-99 --raw imm --png imm --wav imm.wav -y --quiet 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "a move that cannot be made gave status $status: $(cat err.txt)"
grep -q "cannot set aside 'imm/frame_00050.png'" err.txt || fail "the file is not named: $(cat err.txt)"
[ "$(sums)" = "$before" ] || fail "files changed after a failed move"
[ -z "$(ls imm | grep -v '\.png$')" ] || fail "new files left: $(ls imm | grep -v '\.png$' | head -3)"
no_hidden
chattr -i imm/frame_00050.png

# A folder that cannot be written into is refused before any work.
chattr +i imm
"$CAP" demo8 --frames 0-9 --png imm -y --quiet 2>err.txt
status=$?
chattr -i imm
[ "$status" -eq 2 ] || fail "a folder that cannot be written into gave status $status: $(cat err.txt)"
grep -q "cannot write into 'imm'" err.txt || fail "the folder is not named: $(cat err.txt)"
[ "$(sums)" = "$before" ] || fail "files changed by a refused run"

# Another user's file, replaced: its owner, group and mode stay.
chown nobody:nogroup imm.wav imm/frame_00007.png
chmod 640 imm.wav
chmod 604 imm/frame_00007.png
"$CAP" demo8 --frames 5-9 --png imm --wav imm.wav -y --quiet || fail "the run over another user's files"
[ "$(stat -c '%U:%G %a' imm.wav)" = "nobody:nogroup 640" ] || fail "imm.wav became $(stat -c '%U:%G %a' imm.wav)"
[ "$(stat -c '%U:%G %a' imm/frame_00007.png)" = "nobody:nogroup 604" ] ||
  fail "frame 7 became $(stat -c '%U:%G %a' imm/frame_00007.png)"
[ "$(stat -c '%U' imm/frame_00006.png)" = root ] || fail "a frame of this user changed owner"
[ "$(sums)" != "$before" ] || fail "nothing was replaced"
no_hidden
echo "PASS"
