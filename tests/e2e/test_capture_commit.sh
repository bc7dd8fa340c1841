#!/usr/bin/env bash
# demo-capture's final moves are one transaction. A run is stopped at chosen
# moves of its commit (tests/preload/move_fault.so):
#   - SIGINT, SIGTERM or SIGHUP there: the run ends by that signal, says so,
#     and every file of every folder is as before;
#   - SIGKILL there: the next run into any one of its folders puts back the
#     old files in all of them and says so;
#   - a second run into a folder that a live run is writing (rendering or
#     moving) is refused with status 2, naming the first run's process, and
#     changes nothing; the first run then finishes as if alone;
#   - a run started with SIGINT ignored keeps it ignored, also in its commit.
. "$(dirname "$0")/lib.sh"
enter_move_fault_test

PYTHONPATH=$HERE python3 - <<'PY' || fail "see above"
import os, signal
from capture_moves import start, stopped, finish, moves, digest, HANG_GUARD

# Old and new sets: the same names in three folders, other pictures and sound.
def run_args(fps, *extra):
    return ["demo32", "--fps", str(fps), "--seed", "1", "--frames", "0-29", "--png", "p",
            "--stems", "s", "--wav", "w.wav", "--quiet", *extra]
OLD, NEW = run_args(50), run_args(60, "-y")

def state():
    return digest("p"), digest("s"), digest(".", "w.wav")

def fresh_old():
    status, err = finish(start(run_args(50, "-y")))
    assert status == 0, err
    return state()

old = fresh_old()
plan = moves(NEW, os.path.abspath("moves.log"))
assert old != state(), "the two sets do not differ"
kinds = [kind for kind, _, _ in plan]
assert kinds.count("done") == 3 and kinds.count("aside") == kinds.count("in") == 30 + 12 + 1, kinds
new = state()
# Stops: the first move, a set-aside and a move-in in the middle, the first
# and the last rename of a staging folder.
first_done = kinds.index("done") + 1
stops = {"first move": 1, "setting aside": 20, "moving in": kinds.index("in") + 20,
         "first done rename": first_done, "last done rename": len(kinds)}
old = fresh_old()

for name in ("INT", "TERM", "HUP"):
    sig = getattr(signal, "SIG" + name)
    for where, at in stops.items():
        run = start(NEW, at=at)
        assert stopped(run), f"SIG{name} at the {where}: the run ended before move {at}"
        os.kill(run.pid, sig)
        os.kill(run.pid, signal.SIGCONT)
        status, err = finish(run)
        assert status == -sig, f"SIG{name} at the {where}: status {status}: {err}"
        if at == len(kinds):
            # The last rename makes the new files count: a signal that comes
            # with it ends the run, which is complete.
            assert "interrupted after every file was in place; the files stay" in err, err
            assert state() == new, f"SIG{name} at the {where}: not the new files: {err}"
            old = fresh_old()
            continue
        assert f"interrupted by SIG{name} while moving the files into place" in err, err
        assert state() == old, f"SIG{name} at the {where} changed the files: {err}"

# SIGKILL: the next run into one folder puts back all three.
cleanups = (["--png", "p"], ["--stems", "s"], ["--wav", "w.wav"])
for k, (where, at) in enumerate(stops.items()):
    for folder_args in (cleanups[k % 3],):
        run = start(NEW, at=at)
        assert stopped(run), f"SIGKILL at the {where}: the run ended early"
        os.kill(run.pid, signal.SIGKILL)
        finish(run)
        killed = run.pid
        if at > 1:
            assert state() != old, f"SIGKILL at the {where}: nothing to put back?"
        nxt = start(["demo32", "--frames", "0-0", "--quiet", *folder_args])
        status, err = finish(nxt)
        assert status == 2 and "add -y" in err, f"the run after SIGKILL: {status}: {err}"
        if at > 1:
            assert f"run {killed} was killed while moving its files into place" in err, err
        assert state() == old, f"after SIGKILL at the {where} and a run into {folder_args}: {err}"

# Two runs into one folder: refused while the first renders, and while it moves.
def second_run_refused(first, what):
    run = start(["demo32", "--fps", "60", "--frames", "20-49", "--png", "p", "-y", "--quiet"])
    status, err = finish(run)
    assert status == 2, f"a second run while the first {what}: status {status}: {err}"
    assert f"another demo-capture run (process {first.pid})" in err, err
    assert not [n for n in os.listdir("p") if n.startswith(".demo-capture-partial-")
                and not n.startswith(f".demo-capture-partial-{first.pid}-")], os.listdir("p")

first = start(NEW, at=1)  # stops itself before its first move, all its files made
assert stopped(first)
second_run_refused(first, "moves its files")
os.kill(first.pid, signal.SIGCONT)
status, err = finish(first)
assert status == 0 and state() == new, err

first = start(NEW)
signal.alarm(HANG_GUARD)
while not any(n.startswith(".demo-capture-partial-") for n in os.listdir("p")):
    assert first.poll() is None, "the first run ended before it started writing"
signal.alarm(0)
os.kill(first.pid, signal.SIGSTOP)
assert stopped(first)
second_run_refused(first, "renders")
os.kill(first.pid, signal.SIGCONT)
status, err = finish(first)
assert status == 0 and state() == new, err

# SIGINT ignored by the caller stays ignored, during the moves too.
old = fresh_old()
run = start(NEW, at=30, ignore_int=True)
assert stopped(run)
os.kill(run.pid, signal.SIGINT)
os.kill(run.pid, signal.SIGCONT)
status, err = finish(run)
assert status == 0, f"an ignored SIGINT ended the run: {status}: {err}"
assert state() == new, err
PY
echo "PASS"
