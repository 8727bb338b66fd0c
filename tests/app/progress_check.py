#!/usr/bin/env python3
"""The progress line of long work: on a terminal, each mode that works through more than a few
hundred levels shows "qorvedit: N of TOTAL levels" in place and erases it at the end; nothing on
a pipe, nothing with --quiet, nothing for fewer levels.
    progress_check.py QORVEDIT EXAMPLES"""
import os
import pty
import re
import shutil
import subprocess
import sys
import tempfile

QORVEDIT, EXAMPLES = sys.argv[1:3]
ERASE = b"\r\x1b[K"
LINE = re.compile(rb"qorvedit: [0-9]+ of ([0-9]+) levels(, [0-9]+ a second)?")


def on_terminal(arguments, work):
    """The status and every byte the program wrote to standard error, a pseudo-terminal."""
    master, slave = pty.openpty()
    program = subprocess.Popen([QORVEDIT] + arguments, cwd=work, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=slave)
    os.close(slave)
    received = b""
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:  # EIO: the program closed its side
            break
        if not chunk:
            break
        received += chunk
    os.close(master)
    return program.wait(), received


def shown_lines(received, total):
    """The progress lines, each drawn over the last; fails on anything else, or one left."""
    parts = received.split(ERASE)
    assert parts[0] == b"" and parts[-1] == b"", f"not erased at the end: {received[-80:]!r}"
    lines = [part for part in parts if part]
    for line in lines:
        match = LINE.fullmatch(line)
        assert match and int(match[1]) == total, f"not a progress line: {line!r}"
    return lines


def folder(work, name, level, count):
    """The folder's levels by name, as every mode takes them."""
    path = os.path.join(work, name)
    os.mkdir(path)
    shutil.copy(os.path.join(EXAMPLES, "all.bmp"), path)
    names = [f"{name}/l{number:03}.qre" for number in range(count)]
    for level_name in names:
        shutil.copy(os.path.join(EXAMPLES, level), os.path.join(work, level_name))
    return names


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        many = folder(work, "many", "maze.qre", 300)
        folder(work, "changed", "rooms.qre", 300)
        few = folder(work, "few", "maze.qre", 299)
        for output in ("review", "pictures"):
            os.mkdir(os.path.join(work, output))
        rows = [  # arguments, whether a line is shown
            (["--check"] + many, True),
            (["--render"] + many + ["--out-dir", "pictures"], True),
            (["--sheet", "sheet.png", "--scale", "40"] + many, True),
            (["--report", "web"] + many, True),
            (["--remap", "0=0"] + many, True),
            (["--review", "many", "changed", "-o", "review"], True),
            (["--check"] + few, False),
            (["--check", "--quiet"] + many, False),
            (["--render", "-q"] + many + ["--out-dir", "pictures"], False),
        ]
        for arguments, shown in rows:
            status, received = on_terminal(arguments, work)
            shown_as = " ".join(arguments[:3])
            try:
                assert status == 0, f"exit status {status}: {received!r}"
                lines = shown_lines(received, 300)
                assert bool(lines) == shown, f"{len(lines)} progress lines"
            except AssertionError as failure:
                print(f"{shown_as} ...: {failure}", file=sys.stderr)
                failures += 1
        # Standard error that is no terminal never gets one.
        piped = subprocess.run([QORVEDIT, "--check"] + many, cwd=work, capture_output=True)
        if piped.returncode != 0 or piped.stderr:
            print(f"--check on a pipe: {piped.returncode} {piped.stderr!r}", file=sys.stderr)
            failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
