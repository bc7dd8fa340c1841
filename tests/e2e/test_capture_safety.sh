#!/usr/bin/env bash
# demo-capture never loses or mixes up a user's files: devices, FIFOs and links
# stay what they are, existing files are replaced only with -y and only by
# complete ones, interrupted, failed and killed runs leave every target as it
# was, and what killed runs leave behind is recognised and removed by the next
# run. Every file records the command that makes it again. A terminal is
# never written to. Also the command line conventions: --version, statuses
# of signals, a progress line that fits the terminal and the speed test.
# (Signals and kills during the final moves: test_capture_commit.sh.)
. "$(dirname "$0")/lib.sh"
[ -x "${DEMO_CAPTURE:-}" ] || fail "DEMO_CAPTURE is not an executable: ${DEMO_CAPTURE:-unset}"
command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 missing"; exit 77; }
enter_workdir
trap 'kill -KILL $(jobs -p) 2>/dev/null; rm -rf "$WORK"' EXIT
CAP=$DEMO_CAPTURE

# At least $2 files have been made in a staging folder inside $1.
staged() { [ "$(find "$1" -mindepth 2 -path '*/.demo-capture-partial-*' -type f 2>/dev/null | wc -l)" -ge "$2" ]; }
no_hidden() { [ -z "$(find "$@" -mindepth 1 -name '.*')" ] || fail "hidden files left: $(find "$@" -mindepth 1 -name '.*')"; }
frames_sum() { (cd "$1" && md5sum frame_* | md5sum); }
samples_of() {  # wav -> number of samples, or fail
  python3 -c "import sys, wave; print(wave.open(sys.argv[1]).getnframes())" "$1" ||
    fail "$1 is not a WAV file"
}

# --- 1. what is not a regular file stays what it is -------------------------
mkfifo fifo.wav
cat fifo.wav >from-fifo.wav &
reader=$!
reader_done() { ! kill -0 "$reader" 2>/dev/null; }
"$CAP" demo8 --frames 0-9 --wav fifo.wav --quiet 2>err.txt || fail "writing into a FIFO: $(cat err.txt)"
# The reader ends when the run closes the FIFO.
wait_until "end of the FIFO's reader" reader_done
[ -p fifo.wav ] || fail "the FIFO was replaced by a file"
[ "$(samples_of from-fifo.wav)" -eq 8820 ] || fail "WAV through the FIFO: $(samples_of from-fifo.wav) samples"

"$CAP" demo8 --frames 0-9 --wav - --quiet >stdout.wav 2>err.txt || fail "--wav -: $(cat err.txt)"
[ "$(samples_of stdout.wav)" -eq 8820 ] || fail "WAV on standard output: $(samples_of stdout.wav) samples"
[ -e ./- ] && fail "--wav - made a file named '-'"

if mknod null c 1 3 2>/dev/null; then  # a device node of our own (needs root)
  "$CAP" demo8 --frames 0-9 --wav null --quiet 2>err.txt || fail "writing into a device: $(cat err.txt)"
  [ -c null ] || fail "the device node was replaced by a file"
fi

cp stdout.wav real.wav
ln -s real.wav link.wav
ln -s made.wav dangling.wav
"$CAP" demo8 --frames 0-19 --wav link.wav -y --quiet || fail "writing through a link"
"$CAP" demo8 --frames 0-19 --wav dangling.wav --quiet || fail "writing through a dangling link"
[ -L link.wav ] && [ -L dangling.wav ] || fail "a link was replaced by a file"
[ "$(samples_of real.wav)" -eq 17640 ] || fail "the file behind the link was not written"
[ "$(samples_of made.wav)" -eq 17640 ] || fail "the file a dangling link names was not made"
no_hidden .

# A terminal never gets the binary: standard output, /dev/tty, or the
# terminal's own device named as the file.
python3 - "$CAP" <<'PY' || fail "a terminal was written to"
import os, pty, sys
cap = sys.argv[1]
for target in ("-", "/dev/tty", None):
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(cap, [cap, "demo8", "--frames", "0-9", "--wav", target or os.ttyname(0), "--quiet"])
    out = b""
    while True:
        try:
            chunk = os.read(fd, 65536)
        except OSError:
            break
        if not chunk:
            break
        out += chunk
    status = os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
    assert status == 2 and b"terminal" in out and b"RIFF" not in out, (target, status, out[:200])
PY
[ -e ./- ] && fail "--wav - made a file named '-'"

# --- 6. a forgotten value is not a file name ---------------------------------
"$CAP" demo32 --frames 0-0 --wav --quiet 2>err.txt
[ $? -eq 2 ] || fail "'--wav --quiet' was accepted"
grep -q 'looks like an option' err.txt || fail "'--wav --quiet': $(cat err.txt)"
[ -e ./--quiet ] && fail "'--wav --quiet' wrote a file named --quiet"

# --- 2. an existing file is replaced only with -y ----------------------------
echo old >a.wav
mkdir frames
"$CAP" demo32 --frames 0-119 --seed 1 --png frames --quiet || fail "first frames"
before=$(frames_sum frames)
refuse_existing() {  # what-must-be-named args...
  local named=$1
  shift
  "$CAP" "$@" 2>err.txt
  local status=$?
  [ "$status" -eq 2 ] || fail "'$*' over an existing file: status $status"
  grep -q -- "$named" err.txt && grep -q -- '-y (--overwrite)' err.txt ||
    fail "'$*' did not name $named and -y: $(cat err.txt)"
}
refuse_existing a.wav demo32 --frames 0-9 --png new-frames --wav a.wav --quiet
refuse_existing frame_00100.png demo32 --frames 100-200 --png frames --quiet
# Every output that exists is named, not only the first.
refuse_existing a.wav demo32 --frames 100-200 --png frames --wav a.wav --quiet
grep -q "frame_00100.png' (and 19 more of --png)" err.txt || fail "the frames are not named: $(cat err.txt)"
[ "$(cat a.wav)" = old ] || fail "a.wav was changed without -y"
[ -e new-frames ] && fail "work started before the refusal: new-frames exists"
[ "$(frames_sum frames)" = "$before" ] || fail "frames changed without -y"
"$CAP" demo8 --frames 0-9 --wav a.wav -y --quiet || fail "-y did not replace a.wav"
[ "$(samples_of a.wav)" -eq 8820 ] || fail "a.wav after -y"

# --- 3, 4, conventions: signals leave every target as it was ------------------
# The run is stopped once it has staged some frames; it must die of the very
# signal (so that a calling shell loop stops too), and nothing may change.
for sig in INT TERM HUP; do
  python3 - "$CAP" "$sig" "$HANG_GUARD" <<'PY' || fail "SIG$sig"
import glob, signal, subprocess, sys, time
cap, name, guard = sys.argv[1], sys.argv[2], float(sys.argv[3])
run = subprocess.Popen([cap, "demo32", "--frames", "0-599", "--seed", "1", "--no-smear", "--png", "frames",
                        "-y", "--quiet"], stderr=subprocess.PIPE,
                       preexec_fn=lambda: signal.signal(signal.SIGHUP, signal.SIG_DFL))
deadline = time.monotonic() + guard  # a hang guard only
while len(glob.glob("frames/.demo-capture-partial-*/new/*")) < 20:
    assert run.poll() is None, "the run ended before it was stopped"
    assert time.monotonic() < deadline, "no frames were staged"
    time.sleep(0.02)
sig = getattr(signal, "SIG" + name)
run.send_signal(sig)
err = run.communicate(timeout=guard)[1].decode()
assert run.returncode == -sig, f"status {run.returncode}, not death by SIG{name}: {err}"
assert "interrupted" in err, err
PY
  [ "$(frames_sum frames)" = "$before" ] || fail "SIG$sig changed the frames that were there"
  [ "$(ls frames | wc -l)" -eq 120 ] || fail "SIG$sig left new frames"
  no_hidden frames
done

# A run that fails for want of room (a file-size limit here) changes nothing.
(ulimit -f 64; "$CAP" demo32 --seed 1 --no-smear --png frames -y --wav big.wav --quiet 2>err.txt)
status=$?
[ "$status" -eq 1 ] || fail "a write beyond the size limit gave status $status: $(cat err.txt)"
grep -q 'big.wav' err.txt || fail "the failure does not name the file: $(cat err.txt)"
[ -e big.wav ] && fail "a half soundtrack was left"
[ "$(frames_sum frames)" = "$before" ] || fail "a failed run changed the frames"
no_hidden . frames

# A frame file that cannot be written fails the run from the thread that
# encodes it: status 1 after clean-up, and the frames stay as they were.
(ulimit -f 64; "$CAP" demo32 --frames 0-119 --seed 1 --raw frames --png frames -y --jobs 2 \
  --quiet 2>err.txt)
status=$?
[ "$status" -eq 1 ] || fail "a frame beyond the size limit gave status $status: $(cat err.txt)"
grep -qE 'frame_[0-9]{5}\.raw' err.txt || fail "the failure does not name the frame: $(cat err.txt)"
[ "$(frames_sum frames)" = "$before" ] || fail "a failed frame write changed the frames"
[ "$(ls frames | wc -l)" -eq 120 ] || fail "a failed frame write left files: $(ls frames | head)"
no_hidden . frames

# --- 4. a killed run: its leftovers are recognised and removed next time ------
"$CAP" demo32 --frames 0-599 --seed 1 --no-smear --png frames -y --quiet 2>/dev/null &
killed=$!
wait_until "staged frames" staged frames 10
kill -KILL "$killed"
wait "$killed" 2>/dev/null
[ "$(frames_sum frames)" = "$before" ] || fail "a killed run changed the frames"
left=$(find frames -mindepth 1 -maxdepth 1 -name ".demo-capture-partial-$killed-*")
[ -n "$left" ] || fail "the killed run's staging folder is not recognisable: $(ls -A frames)"
: >"frames/.demo-capture-partial-$$-busy"  # a writer that is still running
"$CAP" demo32 --frames 0-0 --seed 2 --raw frames --quiet || fail "the run after the killed one"
[ -e "$left" ] && fail "the killed run's leftovers were not removed"
[ -e "frames/.demo-capture-partial-$$-busy" ] || fail "a running writer's file was removed"
rm "frames/.demo-capture-partial-$$-busy"

# --- 5. every file says how to make it again ---------------------------------
# Not the default level: the PNG's command must give the very same bytes.
"$CAP" demo32 --frames 300-302 --png meta --png-level 2 --wav meta.wav --quiet 2>err.txt ||
  fail "capture without a seed failed"
[ -s err.txt ] && fail "--quiet printed: $(cat err.txt)"
python3 - "$CAP" <<'PY' || fail "the metadata does not reproduce the files"
import shlex, struct, subprocess, sys, zlib
def png_texts(path):
    b, at, texts = open(path, "rb").read(), 8, {}
    while at < len(b):
        n, kind = struct.unpack(">I4s", b[at:at + 8])
        body = b[at + 8:at + 8 + n]
        assert struct.unpack(">I", b[at + 8 + n:at + 12 + n])[0] == zlib.crc32(kind + body)
        if kind == b"tEXt":
            key, text = body.split(b"\0", 1)
            texts[key.decode()] = text.decode("latin-1")
        at += 12 + n
    return texts
def wav_comment(path):
    b, at = open(path, "rb").read(), 12
    while at < len(b):
        kind, n = struct.unpack("<4sI", b[at:at + 8])
        if kind == b"LIST" and b[at + 8:at + 12] == b"INFO":
            info, i = b[at + 12:at + 8 + n], 0
            while i < len(info):
                k, m = struct.unpack("<4sI", info[i:i + 8])
                if k == b"ICMT":
                    return info[i + 8:i + 8 + m].rstrip(b"\0").decode()
                i += 8 + m + (m & 1)
        at += 8 + n + (n & 1)
command = png_texts("meta/frame_00301.png")["Comment"]
args = shlex.split(command)
assert args[:2] == ["demo-capture", "demo32"] and "--seed" in args, command
assert args[-4:] == ["--frames", "301-301", "--png-level", "2"], command
assert wav_comment("meta.wav").startswith(" ".join(args[:-4])), wav_comment("meta.wav")
assert "--frames 300-302" in wav_comment("meta.wav"), wav_comment("meta.wav")
subprocess.run([sys.argv[1]] + args[1:] + ["--png", "again", "--quiet"], check=True)
assert open("again/frame_00301.png", "rb").read() == open("meta/frame_00301.png", "rb").read()
PY

# --- conventions -------------------------------------------------------------
"$CAP" --version >out.txt || fail "--version failed"
grep -qE '^demo-capture [0-9]+\.[0-9]+' out.txt || fail "--version printed: $(cat out.txt)"
"$CAP" demo8 --quiet >out.txt 2>err.txt || fail "speed test failed: $(cat err.txt)"
grep -qE '^demo8: 1568 frames .* rendered in [0-9.]+ s' out.txt || fail "speed test printed: $(cat out.txt)"

# The progress line on a terminal 30 columns wide never wraps.
python3 - "$CAP" <<'PY' || fail "the progress line does not fit the terminal"
import fcntl, os, pty, struct, sys, termios
pid, fd = pty.fork()
if pid == 0:
    fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 30, 0, 0))
    os.execv(sys.argv[1], [sys.argv[1], "demo8", "--frames", "0-200"])
out = b""
while True:
    try:
        chunk = os.read(fd, 4096)
    except OSError:
        break
    if not chunk:
        break
    out += chunk
os.waitpid(pid, 0)
text = out.decode().replace("\x1b[K", "")
lines = [part for line in text.split("\n") for part in line.split("\r")]
drawn = [l for l in lines if l.startswith("frame")]
assert drawn, text
assert all(len(l) < 30 for l in drawn), drawn
PY
echo "PASS"
