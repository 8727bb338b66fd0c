#!/usr/bin/env python3
"""--stats, --find-tile and --remap against a computation of their own over the level bytes:
the example levels and a folder of generated ones, with the examples' tile sheet.
Usage: level_set_check.py <qorvedit> <examples folder>"""
import csv
import io
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile

# The level text's character table, byte -> tile: runs of bytes with rising tiles; any other
# byte is tile 255.
RUNS = [(0x30, 0x39, 0), (0x41, 0x5A, 10), (0x61, 0x6D, 36), (0x6E, 0x6E, 244),
        (0x6F, 0x71, 49), (0x73, 0x73, 52), (0x77, 0x79, 53), (0x7C, 0x87, 56),
        (0x89, 0xA8, 68), (0xAA, 0xC9, 100), (0xCA, 0xCA, 202), (0xCB, 0xD6, 132)]
TILE = [255] * 256
for first, last, tile in RUNS:
    for byte in range(first, last + 1):
        TILE[byte] = tile + byte - first
BYTE = {}
for byte in range(255, -1, -1):
    BYTE[TILE[byte]] = byte  # the lowest byte of each tile

program, examples = sys.argv[1], sys.argv[2]
failures = []


def run(*arguments, status=0):
    done = subprocess.run([program, *arguments], capture_output=True)
    if done.returncode != status:
        failures.append(f"{arguments}: status {done.returncode}, {done.stderr!r}")
    return done.stdout


def expect(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}:\n  got    {got!r}\n  wanted {wanted!r}")


def rows_in(data):  # the 45 rows of 64 tiles of a level file of whole lines
    return [[TILE[b] for b in line[:64]] for line in data.split(b"\r\n")[:45]]


def rows_of(path):
    return rows_in(open(path, "rb").read())


def counts_of(path):
    counts = {}
    for row in rows_of(path):
        for tile in row:
            counts[tile] = counts.get(tile, 0) + 1
    return counts


def sheet_tiles(bmp):
    data = open(bmp, "rb").read()
    width = int.from_bytes(data[18:22], "little", signed=True)
    height = abs(int.from_bytes(data[22:26], "little", signed=True))
    return {t for t in range(256) if t % 16 * 10 + 10 <= width and t // 16 * 10 + 10 <= height}


work = tempfile.mkdtemp()
try:
    levels = os.path.join(work, "levels")
    os.mkdir(levels)
    for name in sorted(os.listdir(examples)):
        if name.endswith(".qre") or name == "all.bmp":
            shutil.copy(os.path.join(examples, name), levels)
    chance = random.Random(26)
    for i in range(6):  # a few tiles often, some rare ones, tile 255 as 0x00
        alphabet = [BYTE[t] for t in chance.sample(sorted(BYTE), 5)] + [0x30, 0x31]
        with open(os.path.join(levels, f"gen{i}.qrl"), "wb") as level:
            for _ in range(45):
                level.write(bytes(chance.choice(alphabet) for _ in range(64)) + b"\r\n")
    os.chdir(work)
    names = sorted(n for n in os.listdir(levels) if n.endswith((".qre", ".qrl")))
    paths = [f"levels/{n}" for n in names]
    counts = [counts_of(p) for p in paths]
    total = {}
    for level in counts:
        for tile, n in level.items():
            total[tile] = total.get(tile, 0) + n
    # The sheet's tiles that a level can hold (the character table's) and no level uses.
    unused = sorted(sheet_tiles("levels/all.bmp") & set(TILE) - set(total))

    # --stats as CSV, read by Python's csv module, and as JSON.
    text = run("--stats", "levels")
    expect("--stats a second time", run("--stats", "levels"), text)
    table = list(csv.reader(io.StringIO(text.decode())))
    columns = sorted(set(total) | set(unused))  # every row has every column
    expect("CSV header", table[0], ["kind", "level", "reason"] + [str(t) for t in columns])
    for path, level, row in zip(paths, counts, table[1:]):
        expect(f"CSV row {path}", row,
               ["level", path, ""] + [str(level.get(t, 0)) for t in columns])
    expect("CSV totals", table[-2], ["total", "", ""] + [str(total.get(t, 0)) for t in columns])
    expect("CSV unused", table[-1], ["unused", "", ""] + [str(int(t in unused)) for t in columns])
    expect("CSV rows", len(table), len(paths) + 3)
    document = json.loads(run("--stats", "levels", "--format", "json"))
    expect("JSON levels", document["levels"],
           [{"file": p, "counts": {str(t): n for t, n in sorted(c.items())}}
            for p, c in zip(paths, counts)])
    expect("JSON total", document["total"], {str(t): n for t, n in sorted(total.items())})
    expect("JSON unused", document["unused"], unused)

    # --find-tile: the rare tiles of the generated levels, and one no level holds.
    wanted_tiles = {2, 202, 255, 244}
    found = [f"{p}:{y + 1}:{x + 1}: tile {t}" for p in paths
             for y, row in enumerate(rows_of(p)) for x, t in enumerate(row) if t in wanted_tiles]
    expect("--find-tile", run("--find-tile", "2,202,255,244", "levels").decode().splitlines(),
           found)
    run("--find-tile", str(unused[0]), "levels", status=1)

    # --remap: a swap and a move, all at once; the dry run's cells, then the bytes written.
    table_map = {0: 1, 1: 0, 2: 255}
    before = {p: open(p, "rb").read() for p in paths}
    changes = []
    for p in paths:
        cells = [f"{x},{y}: {t} -> {table_map[t]}" for y, row in enumerate(rows_of(p))
                 for x, t in enumerate(row) if table_map.get(t, t) != t]
        if cells:
            changes += [f"{p}:"] + cells
    expect("--remap --dry-run", run("--remap", "0=1,1=0,2=255", "--dry-run", "levels")
           .decode().splitlines(), changes)
    expect("--dry-run wrote nothing", {p: open(p, "rb").read() for p in paths}, before)
    run("--remap", "0=1,1=0,2=255", "levels")
    for p in paths:
        old = rows_in(before[p])
        new = [[table_map.get(t, t) for t in row] for row in old]
        written = b"".join(bytes(BYTE[t] for t in row) + b"\r\n" for row in new)
        expect(f"--remap {p}", open(p, "rb").read(), before[p] if new == old else written)
finally:
    shutil.rmtree(work)

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
