"""The keeper of a desktop of scripts/desktop.sh: the ancestor of every process on it.

    python3 desktop_keeper.py --check              exits 0 where the keeper can work
    python3 desktop_keeper.py PARENT COMMAND...    runs COMMAND (the desktop) below it

It makes itself a child subreaper (PR_SET_CHILD_SUBREAPER): a process on the desktop whose
parent ends, even one that left its process group and session with setsid, becomes the
keeper's child instead of init's, so that nothing started on the desktop gets out of its
reach. It runs in a session of its own, so that neither the terminal's signals nor a kill of
the script's process group reach it; the script asks its desktop to end through the
keeper's process group, which COMMAND shares and the keeper ignores. It ends every process
left below it (SIGKILL) once COMMAND has ended, or at once when PARENT, the script that
started it, ends in any way (the kernel's parent-death signal), even by kill -KILL. A child
is killed only while it is unreaped, so its process id cannot have been reused.
Exit status: COMMAND's; 1 when the script had already ended, 2 on wrong use.
"""

import ctypes
import os
import signal
import sys

PR_SET_NAME = 15
PR_SET_CHILD_SUBREAPER = 36
PR_SET_PDEATHSIG = 1
PARENT_GONE = signal.SIGUSR1


class ParentGone(Exception):
    pass


def prctl(option, value):
    libc = ctypes.CDLL(None, use_errno=True)
    argument = ctypes.c_char_p(value) if isinstance(value, bytes) else ctypes.c_ulong(value)
    if libc.prctl(option, argument, 0, 0, 0) != 0:
        raise OSError(ctypes.get_errno(), os.strerror(ctypes.get_errno()))


def children():
    """The process ids whose parent is this process, from /proc."""
    me = os.getpid()
    found = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat", "rb") as stat:
                fields = stat.read().rpartition(b")")[2].split()
        except OSError:
            continue  # ended meanwhile
        if int(fields[1]) == me:
            found.append(int(name))
    return found


def end_everything_below():
    """Kills and reaps every process below: orphans keep arriving until none is left."""
    while True:
        for child in children():
            try:
                os.kill(child, signal.SIGKILL)
            except ProcessLookupError:
                pass
        try:
            os.waitpid(-1, 0)
        except ChildProcessError:
            return


def run(parent, command):
    os.setsid()
    prctl(PR_SET_CHILD_SUBREAPER, 1)
    prctl(PR_SET_NAME, b"qorv-keeper")  # what ps shows
    # Set before the check: a script that ends after it still sends the signal.
    signal.signal(PARENT_GONE, lambda *_: (_ for _ in ()).throw(ParentGone()))
    prctl(PR_SET_PDEATHSIG, PARENT_GONE)
    if os.getppid() != parent:
        return 1
    endings = (signal.SIGTERM, signal.SIGINT, signal.SIGHUP)
    for ending in endings:  # for COMMAND, which ends the desktop in order
        signal.signal(ending, signal.SIG_IGN)
    status = 1
    try:
        pid = os.fork()
        if pid == 0:
            try:
                for own in (PARENT_GONE, *endings):
                    signal.signal(own, signal.SIG_DFL)
                os.execvp(command[0], command)
            finally:
                os._exit(127)  # never back into the keeper's code
        _, wait_status = os.waitpid(pid, 0)
        status = os.waitstatus_to_exitcode(wait_status)
        status = status if status >= 0 else 128 - status
    except ParentGone:
        pass
    signal.signal(PARENT_GONE, signal.SIG_IGN)
    end_everything_below()
    return status


def main(arguments):
    if arguments == ["--check"]:
        try:
            prctl(PR_SET_CHILD_SUBREAPER, 0)
        except (OSError, AttributeError):
            return 1
        return 0
    if len(arguments) < 2 or not arguments[0].isdigit():
        print("usage: desktop_keeper.py --check | PARENT COMMAND...", file=sys.stderr)
        return 2
    return run(int(arguments[0]), arguments[1:])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
