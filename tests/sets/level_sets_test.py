#!/usr/bin/env python3
"""--sheet and --report over the example levels and a generated folder, checked against
--render's own pictures (subsampled here) and the level files' bytes. Usage:
level_sets_test.py QORVEDIT EXAMPLES_FOLDER"""

import base64
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

from png import read_png

program, examples = sys.argv[1], sys.argv[2]
failures = []
MARGIN, CAPTION = 8, 14  # the sheet's layout: white around each place, the name's band


def run(*arguments, status=0):
    done = subprocess.run([program, *arguments], capture_output=True)
    if done.returncode != status or (done.stderr and status == 0):
        failures.append(f"{arguments}: status {done.returncode}, {done.stderr!r}")
    return done


def rendered(level, work):
    picture = os.path.join(work, "render.png")
    run("--render", level, picture)
    return read_png(picture)


def check_sheet(name, arguments, levels, work, scale, columns):
    options = [] if scale is None else ["--scale", str(scale)]
    options += [] if columns is None else ["--columns", str(columns)]
    sheet_file = os.path.join(work, "sheet.png")
    run("--sheet", sheet_file, *arguments, *options)
    scale = scale or 4
    columns = columns or next(n for n in range(1, 99) if n * n >= len(levels))
    sheet = read_png(sheet_file)
    width, height = 640 // scale, 450 // scale
    rows = -(-len(levels) // columns)
    if (len(sheet[0]), len(sheet)) != (MARGIN + columns * (width + MARGIN),
                                       MARGIN + rows * (height + CAPTION + MARGIN)):
        failures.append(f"{name} at scale {scale}: a sheet of {len(sheet[0])}x{len(sheet)}")
        return
    for index, level in enumerate(levels):
        picture = rendered(level, work)
        left = MARGIN + index % columns * (width + MARGIN)
        top = MARGIN + index // columns * (height + CAPTION + MARGIN)
        place = [row[left : left + width] for row in sheet[top : top + height]]
        expected = [row[::scale][:width] for row in picture[::scale][:height]]
        if place != expected:
            failures.append(f"{name} at scale {scale}: {level} is not --render's every {scale}th pixel")
        band = [row[left : left + width] for row in sheet[top + height : top + height + CAPTION]]
        if (0, 0, 0) not in {pixel for row in band for pixel in row}:
            failures.append(f"{name} at scale {scale}: no name under {level}")


def check_report(name, arguments, levels, work):
    """`levels`: the readable levels among `arguments`, which end with one that is not."""
    folder = os.path.join(work, "report")
    run("--report", folder, *arguments, status=1)
    page_file = os.path.join(folder, "index.html")
    with open(page_file, "rb") as file:
        page = file.read().decode("utf-8")
    tidy = subprocess.run(["tidy", "-errors", "-q", page_file], capture_output=True, text=True)
    if tidy.stdout or tidy.stderr:
        failures.append(f"{name}: tidy says {tidy.stderr}{tidy.stdout}")
    if "\x1b" in page or "<b>" in page:
        failures.append(f"{name}: a name reached the page unescaped")
    pictures = re.findall(r'<a href="([^"]*)"><img src="data:image/png;base64,([^"]*)"', page)
    if re.search(r"https?:|//|url\(|@import|<script|src=\"(?!data:)", re.sub(r"base64,[^\"]*", "", page)):
        failures.append(f"{name}: the page refers to something outside its folder")
    if len(pictures) != len(levels) or len({full for full, _ in pictures}) != len(levels):
        failures.append(f"{name}: {len(pictures)} pictures for {len(levels)} levels, or one shared")
    for level, (full, thumb) in zip(levels, pictures):
        picture, thumbnail = rendered(level, work), os.path.join(work, "thumbnail.png")
        with open(thumbnail, "wb") as file:
            file.write(base64.b64decode(thumb))
        if read_png(os.path.join(folder, full)) != picture or read_png(thumbnail) != [
            row[::4][:160] for row in picture[::4][:112]
        ]:
            failures.append(f"{name}: the pictures of {level} are not --render's")
    totals = re.search(r"<table>(.*?)</table>", page, re.S).group(1)
    cells = sum(int(count) for count in re.findall(r"<td>\d+</td><td>(\d+)</td>", totals))
    if cells != 64 * 45 * len(levels):
        failures.append(f"{name}: the totals count {cells} cells")
    run("--report", folder, *arguments, status=1)
    with open(page_file, "rb") as file:
        if file.read().decode("utf-8") != page:
            failures.append(f"{name}: a second run wrote another page")


def generated_folder(work):
    """Levels of random tiles, made of the bytes the example levels hold, in a folder and a
    sub-folder with the same names, one of them a name that HTML and terminals must escape."""
    tiles = set()
    for name in ("caverns.qre", "maze.qre", "rooms.qre"):
        with open(os.path.join(examples, name), "rb") as file:
            tiles |= set(file.read()) - set(b"\r\n")
    tiles, random_tiles = sorted(tiles), random.Random(26)
    folder = os.path.join(work, "set")
    os.makedirs(os.path.join(folder, "more"))
    names = ["a.qre", "b.qrl", "z.qre", "more/a.qre", "<b>&\"'\n\x1b.qre", "skipped.txt"]
    for name in names:
        with open(os.path.join(folder, name), "wb") as file:
            file.write(b"".join(bytes(random_tiles.choice(tiles) for _ in range(64)) + b"\r\n"
                                for _ in range(45)))
    shutil.copy(os.path.join(examples, "all.bmp"), folder)
    shutil.copy(os.path.join(examples, "all.bmp"), os.path.join(folder, "more"))
    with open(os.path.join(work, "broken.qre"), "wb") as file:
        file.write(b"#" * 1000)
    return folder


with tempfile.TemporaryDirectory() as work:
    example_levels = [os.path.join(examples, n) for n in ("caverns.qre", "maze.qre", "rooms.qre")]
    folder = generated_folder(work)
    more_a = os.path.join(folder, "more", "a.qre")
    in_folder = sorted((os.path.join(folder, n) for n in os.listdir(folder)
                        if n.endswith((".qre", ".qrl"))), key=os.fsencode)
    sets = [("the examples", example_levels, [None, 5]), ("the generated folder", [folder], [3, 4, 7])]
    for name, arguments, scales in sets:
        levels = in_folder if arguments == [folder] else arguments
        for scale in scales:
            check_sheet(name, arguments, levels, work, scale, None if scale != 7 else 2)
        # The sheet stands in name order, whatever the order given.
        by_name = sorted(levels + [more_a], key=lambda p: (os.fsencode(os.path.basename(p)), os.fsencode(p)))
        check_sheet(name, [more_a] + arguments[::-1], by_name, work, 4, None)
        more = os.path.join(folder, "more", "a.qre")  # a second a.png that must not replace the first
        broken = os.path.join(work, "broken.qre")  # its failure a badge on the page
        check_report(name, arguments + [more, broken], levels + [more], work)
    run("--sheet", os.path.join(work, "none.png"), *example_levels, "--scale", "0", status=2)
    # A rules file that does not parse is wrong input, as for --check: nothing is made.
    ruled = os.path.join(work, "ruled")
    os.makedirs(ruled)
    shutil.copy(example_levels[0], ruled)
    with open(os.path.join(ruled, "qorvedit-rules.toml"), "w") as rules:
        rules.write("[[rule]]\nborder = [1,\n")
    run("--report", os.path.join(work, "unmade"), ruled, status=2)
    if os.path.exists(os.path.join(work, "unmade")):
        failures.append("--report made its folder for levels whose rules do not parse")

print("\n".join(failures) or "ok")
sys.exit(1 if failures else 0)
