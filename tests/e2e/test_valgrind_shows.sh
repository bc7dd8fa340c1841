#!/usr/bin/env bash
# Valgrind's memcheck over a short run of each program under Xvfb: demo32 with
# sound (the synthesizer on SDL's audio thread) and the debug overlay, skipped
# through all 29 song positions with Backspace so that every scene draws
# frames; demo8 with its music for 150 frames. Both end with Escape. No invalid read or write, no use of uninitialised memory, no leak
# may involve the project's code. Reports whose every stack (allocation and
# origin stacks included) lies wholly in SDL, X11, Mesa or the system
# libraries are listed but do not fail the test.
# SDL is asked for its plain software renderer: under valgrind the OpenGL
# path through Mesa would take most of the run without touching our code.
. "$(dirname "$0")/lib.sh"
command -v valgrind >/dev/null 2>&1 || { echo "SKIP: valgrind is not installed"; exit 77; }
command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 missing"; exit 77; }
if ldd "$DEMO32" | grep -q -e libasan -e libtsan; then
  echo "SKIP: valgrind cannot run sanitizer builds"
  exit 77
fi
start_xvfb
enter_workdir
export SDL_FRAMEBUFFER_ACCELERATION=0 SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=disk

memcheck() {  # name program args...
  local name=$1
  shift
  start_app env SDL_DISKAUDIOFILE="$WORK/$name.raw" valgrind --tool=memcheck --xml=yes \
    --xml-file="$WORK/$name.%p.xml" --track-origins=yes --leak-check=full --num-callers=50 \
    --error-exitcode=99 "$@"
}

# Every error is read from valgrind's XML reports (one per process: SDL's
# libraries may fork helpers). Each has the stack where it happened and, for
# a bad address, an uninitialised value or a leak, the stack that allocated
# the memory. An error is ours if, in any of its stacks, the first frame
# outside the allocator is in the program's file or in a source file of this
# repository: our code made the bad access, or the memory is ours. Only being
# further down a stack does not count - every SDL call starts in main, and SDL
# works on memory of its own (it presents the screen it allocated when demo8
# sets the palette, before the program has drawn anything into it).
classify() {  # name program
  python3 - "$(readlink -f "$2")" "$(readlink -f "${SOURCE_DIR:?}")" "$WORK/$1".*.xml <<'PY'
import sys, xml.etree.ElementTree as ET
program, source = sys.argv[1:3]
errors = [e for report in sys.argv[3:] for e in ET.parse(report).getroot().iter("error")]
ALLOCATORS = {"malloc", "calloc", "realloc", "memalign", "posix_memalign", "aligned_alloc",
              "operator new(unsigned long)", "operator new[](unsigned long)", "strdup"}
ours, theirs = [], {}
for error in errors:
    kind = error.findtext("kind")
    frames = list(error.iter("frame"))
    def is_ours(f):
        obj = f.findtext("obj") or ""
        where = f.findtext("dir") or ""
        return obj == program or where == source or where.startswith(source + "/")
    def first_real_frame(stack):
        return next((f for f in stack.iter("frame") if f.findtext("fn") not in ALLOCATORS
                     and "vgpreload" not in (f.findtext("obj") or "")), None)
    tops = [first_real_frame(stack) for stack in error.findall("stack")]
    if any(top is not None and is_ours(top) for top in tops):
        lines = [kind, (error.findtext("what") or error.findtext("xwhat/text") or "").strip()]
        for f in frames[:20]:
            lines.append(f"    {f.findtext('fn') or '?'} ({f.findtext('file') or f.findtext('obj') or '?'}"
                         f":{f.findtext('line') or ''})")
        ours.append("\n".join(lines))
    else:
        objs = [f.findtext("obj") or "" for f in frames]
        top = next((o for o in objs if o and "vgpreload" not in o), "?").rsplit("/", 1)[-1]
        theirs[f"{kind} in {top}"] = theirs.get(f"{kind} in {top}", 0) + 1
for what, n in sorted(theirs.items()):
    print(f"  not ours, ignored: {n} x {what}")
print(f"  {len(errors)} reports read, {len(ours)} in the project's code")
if ours:
    print("\n\n".join(ours))
    sys.exit(1)
PY
}

finish() {  # name program
  local pid=$APP_PID
  wait_app
  [ "$APP_STATUS" -eq 0 ] || [ "$APP_STATUS" -eq 99 ] ||
    fail "$1: exit status $APP_STATUS: $(tail -n 20 err.txt)"
  grep -q '<state>FINISHED</state>' "$WORK/$1.$pid.xml" || fail "$1: valgrind did not finish its report"
  echo "$1:"
  classify "$1" "$2" || fail "$1: memcheck found errors in the project's code"
  mv out.txt "$1.out"
  mv err.txt "$1.err"
}

# The synthesizer fills CLOCK_CALLS buffers (about 1.9 s of song position 0);
# then the probe holds the song clock, so that the k-th Backspace shows
# position k and the 29th position 0 again: each scene draws its frames.
CLOCK_CALLS=20
SHOW_PROBE_CLOCK_CALLS=$CLOCK_CALLS memcheck demo32 "$DEMO32" -window -debug
focus_window --onlyvisible --name "zyrkon malvestra 2"
wait_frames 2 audio_calls "$CLOCK_CALLS" || fail "demo32 ended early: $(tail -n 20 err.txt)"
for k in $(seq 1 29); do
  key BackSpace
  wait_frames 2 backspace "$k" || fail "demo32 ended at position $k: $(tail -n 20 err.txt)"
done
key Escape
finish demo32 "$DEMO32"
grep -qx 'wag: 14.989903' demo32.out || fail "demo32 ran without its synthesizer"
[ -f vintage.bmp ] || fail "demo32 wrote no screenshot"

memcheck demo8 "$DEMO8" w
focus_window --onlyvisible --class demo8
xdotool mousemove --window "$WINDOW_ID" 20 20
wait_frames 150 || fail "demo8 ended before Escape: $(tail -n 20 err.txt)"
wait_frames 1 audio_calls 4 || fail "demo8 ended before its music played: $(tail -n 20 err.txt)"
key Escape
finish demo8 "$DEMO8"
echo "PASS"
