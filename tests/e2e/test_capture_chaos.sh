#!/usr/bin/env bash
# demo-capture's commit under a fixed number of runs, each of which
# replaces the files of three folders and is cut short at a random move of
# its commit (tests/preload/move_fault.so) by SIGKILL, SIGINT or a failing
# move, or left to finish. After every run, and after a SIGKILL once the next
# run into one of the folders has cleaned up, every folder holds exactly
# the old set of files or exactly the new one, the same set in all three,
# with nothing hidden left over. The seed is fixed (CHAOS_SEED overrides it)
# and printed with any failure.
. "$(dirname "$0")/lib.sh"
enter_move_fault_test

PYTHONPATH=$HERE python3 - <<'PY' || fail "see above"
import os, random, signal, sys
from capture_moves import start, stopped, finish, moves, digest

SEED = int(os.environ.get("CHAOS_SEED", "20250611"))
RUNS = 36
rng = random.Random(SEED)

def run_args(fps):
    return ["demo32", "--fps", str(fps), "--seed", "1", "--frames", "0-29", "--png", "p",
            "--stems", "s", "--wav", "w.wav", "-y", "--quiet"]

def state():
    return digest("p"), digest("s"), digest(".", "w.wav")

sets = {}
for fps in (50, 60):
    status, err = finish(start(run_args(fps)))
    assert status == 0, err
    sets[fps] = state()
assert sets[50] != sets[60]
total = len(moves(run_args(50), os.path.abspath("moves.log")))
assert total == 2 * (30 + 12 + 1) + 3, total
current = 50

def check(expect, what):
    got = state()
    if got != sets[expect]:
        other = 110 - expect
        where = "the other set" if got == sets[other] else "a mix"
        sys.exit(f"FAIL: chaos seed {SEED}, {what}: the folders hold {where}, "
                 f"not the {expect} fps set: {got}")

cleanups = (["--png", "p"], ["--stems", "s"], ["--wav", "w.wav"])
for i in range(RUNS):
    target = 110 - current
    how = rng.choice(["KILL", "INT", "fail", "finish"])
    at = rng.randint(1, total)
    what = f"run {i}: {target} fps over {current} fps, {how} at move {at} of {total}"
    if how == "finish":
        status, err = finish(start(run_args(target)))
        assert status == 0, f"chaos seed {SEED}, {what}: {err}"
        current = target
        check(current, what)
        continue
    run = start(run_args(target), at=at, fault="fail" if how == "fail" else "stop")
    if how != "fail":
        assert stopped(run), f"chaos seed {SEED}, {what}: ended before the move"
        os.kill(run.pid, getattr(signal, "SIG" + how))
        os.kill(run.pid, signal.SIGCONT)
    status, err = finish(run)
    expected = {"KILL": -signal.SIGKILL, "INT": -signal.SIGINT, "fail": 1}[how]
    assert status == expected, f"chaos seed {SEED}, {what}: status {status}: {err}"
    if how == "INT" and at == total:
        current = target  # it came with the last rename, which makes the new set count
    if how == "KILL":
        # The next run into one of the folders, refused for its existing files.
        cleanup = rng.choice(cleanups)
        what += f", cleaned up by a run with {' '.join(cleanup)}"
        status, err = finish(start(["demo32", "--frames", "0-0", "--quiet", *cleanup]))
        assert status == 2 and "add -y" in err, f"chaos seed {SEED}, {what}: {status}: {err}"
    check(current, what)
print(f"chaos seed {SEED}: {RUNS} runs, every folder whole after each")
PY
echo "PASS"
