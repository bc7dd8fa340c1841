"""demo-capture under tests/preload/move_fault.so, for the end-to-end tests
of its commit: a run stopped or failed at its Nth rename, the kinds of its
moves, and the files of a folder. Waits are for the process itself (waitpid
returns when it stops or ends); nothing waits for time to pass.
"""
import hashlib
import os
import signal
import subprocess

BUILD_DIR = os.environ["BUILD_DIR"]
CAPTURE = os.environ["DEMO_CAPTURE"]
PRELOAD = os.path.join(BUILD_DIR, "preload", "move_fault.so")
# Seconds after which a wait counts as a hang: a guard only, never a verdict.
HANG_GUARD = int(os.environ.get("E2E_HANG_GUARD", "300"))


def start(args, at=None, fault="stop", log=None, ignore_int=False):
    """Starts demo-capture with args; with at, its at-th rename fails
    (fault "fail") or stops it (fault "stop") until it is continued."""
    env = dict(os.environ, LD_PRELOAD=PRELOAD)
    for name in ("MOVE_FAULT_AT", "MOVE_FAULT", "MOVE_FAULT_LOG"):
        env.pop(name, None)
    if at is not None:
        env.update(MOVE_FAULT_AT=str(at), MOVE_FAULT=fault)
    if log is not None:
        env["MOVE_FAULT_LOG"] = log

    def child_signals():
        signal.signal(signal.SIGHUP, signal.SIG_DFL)
        if ignore_int:
            signal.signal(signal.SIGINT, signal.SIG_IGN)

    return subprocess.Popen([CAPTURE] + args, env=env, stderr=subprocess.PIPE,
                            preexec_fn=child_signals)


def stopped(run):
    """Waits until the run stops itself (True) or ends (False)."""
    signal.alarm(HANG_GUARD)
    _, status = os.waitpid(run.pid, os.WUNTRACED)
    signal.alarm(0)
    if os.WIFSTOPPED(status):
        return True
    run.returncode = os.waitstatus_to_exitcode(status)
    return False


def finish(run):
    """The run's exit status (negative: the signal that ended it) and stderr."""
    err = run.communicate(timeout=HANG_GUARD)[1].decode(errors="replace")
    return run.returncode, err


def moves(args, log):
    """The renames of a run that goes through: a list of (kind, from, to),
    kind "aside" (a replaced file set aside), "in" (a new file moved in) or
    "done" (a staging folder renamed at the end)."""
    if os.path.exists(log):
        os.remove(log)
    status, err = finish(start(args, log=log))
    assert status == 0, err
    found = []
    with open(log) as lines:
        for line in lines:
            _, source, target = line.rstrip("\n").split(" ")
            kind = ("done" if target.endswith("-done") else
                    "in" if "/new/" in source else "aside")
            found.append((kind, source, target))
    return found


def digest(folder, pattern=""):
    """Name -> SHA-256 of the visible files in folder whose names start with
    pattern, and the hidden entries there."""
    files, hidden = {}, []
    for name in sorted(os.listdir(folder)):
        if name.startswith("."):
            hidden.append(name)
        elif name.startswith(pattern) and os.path.isfile(os.path.join(folder, name)):
            with open(os.path.join(folder, name), "rb") as f:
                files[name] = hashlib.sha256(f.read()).hexdigest()
    return files, hidden
