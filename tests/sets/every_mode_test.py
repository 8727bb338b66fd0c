#!/usr/bin/env python3
"""Every mode that takes a set of levels, over one folder of awkward names, with and without
-r: each sees the same levels and reports the same failures in the same words; each reads
standard input and a pipe. Usage: every_mode_test.py QORVEDIT EXAMPLES_FOLDER"""

import csv
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

from png import read_png

program, examples = sys.argv[1], sys.argv[2]
failures = []
MARK = (0xF4, 0xC7, 0xC3)  # the pale red of a place whose level cannot be read
NOT_TEXT = b"\xff.qre"

# The folder: name -> what it holds ("level" a copy of maze.qre, else a description).
READABLE = [b".hidden.qre", b":a.qre", b"ROOMS.QRE", b"a.qre", b"c.qrl"]
BELOW = [b"sub/d.qre"]  # seen with -r only
# Why each unreadable level cannot be read, in the words every mode uses.
UNREADABLE = {
    b"conflicted.qre": "unresolved merge conflict at line 4",
    b"gone.qre": "File not found",
    NOT_TEXT: "not a name this system can spell in text; rename the file",
}
NEVER = [b"fifo.qre", b"notes.txt", b"folder.qre"]  # no level, whatever the mode


def shown(name):
    """A name as messages quote it: bytes that are not text in $'\\NNN'."""
    text = name.decode("utf-8", "surrogateescape")
    if text.isascii() and re.fullmatch(r"[\w./:-]+", text):
        return text
    return "'" + re.sub(r"[^\x20-\x7e]", lambda m: "'$'\\%03o''" % (ord(m.group()) - 0xDC00), text) + "'"


def make_folder(root):
    folder = os.path.join(root, "set").encode()
    os.makedirs(os.path.join(folder, b"sub"))
    os.makedirs(os.path.join(folder, b"folder.qre"))
    maze = open(os.path.join(examples, "maze.qre"), "rb").read()
    for name in READABLE + BELOW + [NOT_TEXT, b"notes.txt"]:
        open(os.path.join(folder, name), "wb").write(maze)
    lines = maze.split(b"\r\n")
    open(os.path.join(folder, b"conflicted.qre"), "wb").write(
        b"\r\n".join(lines[:3] + [b"<<<<<<< HEAD", lines[3], b"=======", lines[3], b">>>>>>> x"]
                     + lines[4:]))
    os.symlink(b"nowhere", os.path.join(folder, b"gone.qre"))
    os.mkfifo(os.path.join(folder, b"fifo.qre"))
    shutil.copy(os.path.join(examples, "all.bmp"), folder.decode())
    shutil.copy(os.path.join(examples, "all.bmp"), os.path.join(folder, b"sub").decode())
    return "set"


def run(*arguments, status=None, stdin=None, pass_fds=()):
    done = subprocess.run([program, *arguments], capture_output=True, stdin=stdin,
                          pass_fds=pass_fds, timeout=60)
    if status is not None and done.returncode != status:
        failures.append(f"{arguments}: status {done.returncode}, {done.stderr!r}")
    return done


def complaints(err):
    """The failures a mode told on standard error, as 'NAME: why'."""
    return sorted(line[len("qorvedit: "):] for line in err.decode("utf-8", "replace").splitlines()
                  if line.startswith("qorvedit: "))


def expected_failures(prefix):
    return sorted(f"{shown(prefix + b'/' + name)}: {why}" for name, why in UNREADABLE.items())


def levels_of(recursive):
    return sorted(READABLE + (BELOW if recursive else []))


def check_mode(mode, seen, told, recursive):
    wanted_seen = [b"set/" + name for name in levels_of(recursive)]
    if seen is not None and sorted(seen) != wanted_seen:
        failures.append(f"{mode} -r={recursive} saw {sorted(seen)}, not {wanted_seen}")
    if told != expected_failures(b"set"):
        failures.append(f"{mode} -r={recursive} told {told}, not {expected_failures(b'set')}")


def every_mode(work, recursive):
    r = ["-r"] if recursive else []
    out = os.path.join(work, "out")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    # --check: no rules, so its lines are the failures, FILE:LINE:COL: why
    done = run("--check", "set", *r, status=1)
    told = sorted(re.sub(r"^(.*?\.qre)(:\d+)*: ", r"\1: ", line)
                  for line in done.stdout.decode().splitlines())
    check_mode("--check", None, told, recursive)
    # --render --out-dir: a picture per readable level
    done = run("--render", "set", *r, "--out-dir", out, status=1)
    pictures = sorted(os.fsencode(n) for n in os.listdir(out))
    wanted = sorted(os.path.basename(n).rsplit(b".", 1)[0] + b".png" for n in levels_of(recursive))
    if pictures != wanted:
        failures.append(f"--render -r={recursive} drew {pictures}, not {wanted}")
    check_mode("--render", None, complaints(done.stderr), recursive)
    # --stats: a row per level, the unreadable ones with their reasons
    done = run("--stats", "set", *r, status=1)
    rows = list(csv.reader(io.StringIO(done.stdout.decode())))
    if len({len(row) for row in rows}) != 1:
        failures.append(f"--stats -r={recursive}: rows of {sorted({len(row) for row in rows})} columns")
    seen = [os.fsencode(row[1]) for row in rows if row[0] == "level"]
    check_mode("--stats", seen, complaints(done.stderr), recursive)
    told_in_csv = sorted(f"{row[1]}: {row[2]}" for row in rows if row[0] == "unreadable")
    if told_in_csv != expected_failures(b"set"):
        failures.append(f"--stats -r={recursive} rows told {told_in_csv}")
    document = json.loads(run("--stats", "set", *r, "--format", "json").stdout)
    # JSON names are text: a name that is not is told with U+FFFD for its bytes.
    told_in_json = sorted(f"{e['file']}: {e['error']}" for e in document["levels"] if "error" in e)
    if told_in_json != sorted(f"set/{n.decode(errors='replace')}: {why}"
                              for n, why in UNREADABLE.items()):
        failures.append(f"--stats --format json -r={recursive} told {told_in_json}")
    # --find-tile: tile 1 is in every level
    done = run("--find-tile", "1", "set", *r, status=2)
    seen = {os.fsencode(line.rsplit(":", 3)[0]) for line in done.stdout.decode().splitlines()}
    check_mode("--find-tile", seen, complaints(done.stderr), recursive)
    # --remap --dry-run: every level changes
    done = run("--remap", "0=1", "--dry-run", "set", *r, status=1)
    seen = [os.fsencode(line[:-1]) for line in done.stdout.decode().splitlines() if line.endswith(":")]
    check_mode("--remap", seen, complaints(done.stderr), recursive)
    # --sheet: a place for every level, the unreadable ones marked
    sheet = os.path.join(work, "sheet.png")
    done = run("--sheet", sheet, "set", *r, "--scale", "8", "--columns", "1", status=1)
    check_mode("--sheet", None, complaints(done.stderr), recursive)
    pixels = read_png(sheet)
    count = len(levels_of(recursive)) + len(UNREADABLE)
    if len(pixels) != 8 + count * (56 + 14 + 8):
        failures.append(f"--sheet -r={recursive}: {len(pixels)} rows for {count} places")
    marked = sum(1 for top in range(10, len(pixels), 78) if pixels[top][10] == MARK)
    if marked != len(UNREADABLE):
        failures.append(f"--sheet -r={recursive}: {marked} places marked")
    # --report: every level on the page, the unreadable ones with a failure badge
    web = os.path.join(work, "web")
    done = run("--report", web, "set", *r, status=1)
    check_mode("--report", None, complaints(done.stderr), recursive)
    page = open(os.path.join(web, "index.html"), encoding="utf-8").read()
    if page.count("<img ") != len(levels_of(recursive)) or page.count("1 failure<") != len(UNREADABLE):
        failures.append(f"--report -r={recursive}: {page.count('<img ')} pictures, "
                        f"{page.count('1 failure<')} failing")
    # --diff and --review of the folder against a copy with :a.qre changed; a ./:a.qre in the
    # working directory means nothing to the join.
    shutil.rmtree(b"new", ignore_errors=True)
    shutil.copytree(b"set", b"new", symlinks=True, ignore=lambda d, names: [b"fifo.qre"])
    os.mkfifo(b"new/fifo.qre")
    with open(b"new/:a.qre", "r+b") as level:
        level.write(b"5")
    done = run("--diff", "set", "new", *r, status=1)
    unchanged = len(levels_of(recursive)) - 1
    lines = done.stdout.decode("utf-8", "replace").splitlines()
    wanted = ["changed :a.qre: 1 cell"] + [f"unreadable {shown(n)}: {why}" for n, why in
                                            sorted(UNREADABLE.items())] + [f"{unchanged} unchanged"]
    if lines != wanted:
        failures.append(f"--diff -r={recursive}: {lines}, not {wanted}")
    check_mode("--diff", None, complaints(done.stderr), recursive)
    review = os.path.join(work, "review")
    shutil.rmtree(review, ignore_errors=True)
    os.makedirs(review)
    done = run("--review", "set", "new", *r, "-o", review, status=1)
    check_mode("--review", None, complaints(done.stderr), recursive)
    markdown = open(os.path.join(review, "review.md"), encoding="utf-8", errors="replace").read()
    if (f"1 changed, 0 added, 0 removed, {unchanged} unchanged, 3 could not be read." not in markdown
            or not os.path.exists(os.path.join(review, ":a.qre.changes.png"))
            or "unresolved merge conflict at line 4" not in markdown):
        failures.append(f"--review -r={recursive}: {markdown!r}")


def unspellable_arguments(work):
    """A name that is not text given as LEVEL, as a shell's glob gives it: told, the rest read."""
    told = f"{shown(b'set/' + NOT_TEXT)}: {UNREADABLE[NOT_TEXT]}"
    modes = [(["--check"], 1), (["--render", "--out-dir", os.path.join(work, "out")], 1),
             (["--stats"], 1), (["--find-tile", "1"], 2), (["--remap", "0=1", "--dry-run"], 1),
             (["--sheet", os.path.join(work, "two.png")], 1),
             (["--report", os.path.join(work, "two")], 1)]
    for mode, status in modes:
        done = run(*mode, b"set/a.qre", b"set/" + NOT_TEXT, status=status)
        said = done.stdout.decode() if mode == ["--check"] else done.stderr.decode()
        if said.replace("qorvedit: ", "").splitlines() != [told]:
            failures.append(f"{mode} with a name that is not text: {said!r}")


def review_either_side(work):
    """A level that cannot be read before or after: the rest is reviewed, it is listed."""
    maze = open(os.path.join(examples, "maze.qre"), "rb").read()
    for broken, side in (("old", "before"), ("new", "after")):
        for folder in ("old", "new"):
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            shutil.copy(os.path.join(examples, "all.bmp"), folder)
            open(os.path.join(folder, "x.qre"), "wb").write(maze[:1000] if folder == broken else maze)
            open(os.path.join(folder, "y.qre"), "wb").write(maze if folder == "old" else b"5" + maze[1:])
        review = os.path.join(work, "review-" + side)
        os.makedirs(review)
        done = run("--review", "old", "new", "-o", review, status=1)
        markdown = open(os.path.join(review, "review.md")).read()
        if (f"`x.qre`: could not be read ({side}): `Read beyond end of file`" not in markdown
                or "### `y.qre`: 1 cell changed" not in markdown
                or complaints(done.stderr) != [f"{broken}/x.qre: Read beyond end of file"]):
            failures.append(f"--review with x.qre unreadable {side}: {markdown!r} {done.stderr!r}")


def standard_input_and_pipes(work):
    """Each mode reads - once and a pipe as a file; --report draws what it checked."""
    maze = os.path.join(examples, "maze.qre")
    web, pictures = os.path.join(work, "in-web"), os.path.join(work, "in-pictures")
    os.makedirs(pictures, exist_ok=True)
    modes = [["--check"], ["--render", "--out-dir", pictures], ["--stats"], ["--find-tile", "11"],
             ["--remap", "0=1", "--dry-run"], ["--sheet", os.path.join(work, "in.png")],
             ["--report", web]]
    for mode in modes:
        with open(maze, "rb") as level:
            run(*mode, "-", stdin=level, status=0)
        read, write = os.pipe()
        with open(maze, "rb") as level:
            os.write(write, level.read())
        os.close(write)
        run(*mode, f"/dev/fd/{read}", pass_fds=(read,), status=0)
        os.close(read)
    # - given twice is standard input, read once: the same level twice
    with open(maze, "rb") as level:
        done = run("--stats", "-", "-", stdin=level, status=0)
    rows = list(csv.reader(io.StringIO(done.stdout.decode())))
    if [row[0] for row in rows[1:3]] != ["level", "level"] or rows[1][3:] != rows[2][3:]:
        failures.append(f"--stats - -: {rows[:3]}")


with tempfile.TemporaryDirectory() as work:
    os.chdir(work)
    make_folder(work)
    open(":a.qre", "wb").write(open(os.path.join(examples, "rooms.qre"), "rb").read())
    shutil.copy(os.path.join(examples, "all.bmp"), work)  # for - and pipes
    for recursive in (False, True):
        every_mode(work, recursive)
    standard_input_and_pipes(work)
    review_either_side(work)
    unspellable_arguments(work)

print("\n".join(failures) or "ok")
sys.exit(1 if failures else 0)
