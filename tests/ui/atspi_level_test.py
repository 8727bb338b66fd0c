#!/usr/bin/env python3
"""The editing raster through AT-SPI, as a screen reader meets it: a table of 45 rows and 64
columns; after each movement key the focused cell's name; a stamp, a pick and a selection
announced on the cursor's cell.

Usage: dbus-run-session -- python3 atspi_level_test.py QORVEDIT TILE_SHEET
Runs the editor on a private X display with openbox and a private session bus; exits 77
(skipped) where pyatspi, Xvfb, openbox or xdotool is missing."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    import pyatspi
    from gi.repository import GLib
except ImportError:
    print("pyatspi is not installed (python3-pyatspi): skipped")
    sys.exit(77)

COLUMNS, ROWS = 64, 45
WAIT = 30.0  # seconds for anything the editor or the bus must do, on a busy machine


def pump(until, limit=WAIT):
    """Runs the bus's events until `until()` holds or `limit` seconds pass."""
    context = GLib.MainContext.default()
    end = time.monotonic() + limit
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        if until():
            return True
        time.sleep(0.01)
    return until()


def tile_of_new_level(x, y):
    return 1 if x in (0, COLUMNS - 1) or y in (0, ROWS - 1) else 0


def cell_name(x, y, tile):
    return f"column {x}, row {y}: tile {tile}"


def run_of(x, y, dx, dy):
    """Where Control with an arrow goes on a new level: the next cell of another tile."""
    tile = tile_of_new_level(x, y)
    while 0 <= x + dx < COLUMNS and 0 <= y + dy < ROWS:
        x, y = x + dx, y + dy
        if tile_of_new_level(x, y) != tile:
            break
    return x, y


def clamp(x, y):
    return min(max(x, 0), COLUMNS - 1), min(max(y, 0), ROWS - 1)


# Each key, and where it takes the cursor from (x, y), worked out on a new level.
MOVES = {
    "Right": lambda x, y: clamp(x + 1, y),
    "Left": lambda x, y: clamp(x - 1, y),
    "Down": lambda x, y: clamp(x, y + 1),
    "Up": lambda x, y: clamp(x, y - 1),
    "Home": lambda x, y: (0, y),
    "End": lambda x, y: (COLUMNS - 1, y),
    "Next": lambda x, y: clamp(x, y + 10),
    "Prior": lambda x, y: clamp(x, y - 10),
    "ctrl+Home": lambda x, y: (0, 0),
    "ctrl+End": lambda x, y: (COLUMNS - 1, ROWS - 1),
    "ctrl+Right": lambda x, y: run_of(x, y, 1, 0),
    "ctrl+Down": lambda x, y: run_of(x, y, 0, 1),
}
KEYS = ["Right", "Right", "Down", "Left", "Up", "Up", "Next", "End", "Prior", "Home",
        "ctrl+End", "ctrl+Home", "Down", "Right", "ctrl+Right", "Left", "ctrl+Down"]


class Desktop:
    """Xvfb with openbox, and the editor on it, in a scratch working directory."""

    def __init__(self, editor, sheet):
        self.dir = tempfile.mkdtemp(prefix="qorv-atspi-")
        shutil.copy(sheet, os.path.join(self.dir, "all.bmp"))
        read, write = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                        "1024x768x24", "-nolisten", "tcp"],
                                       pass_fds=[write], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as numbers:
            self.display = ":" + numbers.readline().strip()
        self.env = dict(os.environ, DISPLAY=self.display, QT_QPA_PLATFORM="xcb",
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                        XDG_STATE_HOME=os.path.join(self.dir, "state"))
        self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        # The editor starts once the window manager manages the screen, as on a desktop.
        if not pump(self.window_manager_ready):
            self.close()
            sys.exit("openbox never managed the screen")
        self.editor = subprocess.Popen([os.path.abspath(editor)], env=self.env, cwd=self.dir)

    def window_manager_ready(self):
        answer = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env,
                                capture_output=True, text=True, timeout=WAIT).stdout
        return "window id" in answer

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True,
                              text=True, timeout=WAIT).stdout.split()

    def close(self):
        started = (getattr(self, name, None) for name in ("editor", "wm", "server"))
        for process in filter(None, started):
            process.terminate()
            try:
                process.wait(timeout=WAIT)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(self.dir, ignore_errors=True)


def find_role(node, role):
    for child in node:
        if child is None:
            continue
        if child.getRole() == role:
            return child
        if child.getRole() != pyatspi.ROLE_TABLE_CELL:
            found = find_role(child, role)
            if found is not None:
                return found
    return None


def walk(node):
    for child in node:
        if child is not None and child.getRole() != pyatspi.ROLE_TABLE_CELL:
            yield child
            yield from walk(child)


class Events:
    """What the editor tells AT-SPI, as (kind, name, description) read when it arrives."""

    KINDS = {"object:state-changed:focused": "focus",
             "object:property-change:accessible-name": "name",
             "object:property-change:accessible-description": "description"}

    def __init__(self):
        self.seen = []
        for kind in self.KINDS:
            pyatspi.Registry.registerEventListener(self.on_event, kind)

    def on_event(self, event):
        kind = self.KINDS.get(event.type)
        if kind is None or (kind == "focus" and event.detail1 != 1):
            return
        source = event.source
        self.seen.append((kind, source.name, source.description))

    def wait_for(self, wanted):
        return pump(lambda: wanted in self.seen)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: atspi_level_test.py QORVEDIT TILE_SHEET")
    for tool in ("Xvfb", "openbox", "xdotool", "xprop"):
        if shutil.which(tool) is None:
            print(f"{tool} is missing: skipped")
            sys.exit(77)
    failures = []

    def check(ok, what):
        print(("ok      " if ok else "FAILED  ") + what, flush=True)
        if not ok:
            failures.append(what)

    events = Events()
    desktop = Desktop(sys.argv[1], sys.argv[2])
    try:
        app = None

        def found_app():
            nonlocal app
            for candidate in pyatspi.Registry.getDesktop(0):
                if candidate is not None and candidate.get_process_id() == desktop.editor.pid:
                    app = candidate
            return app is not None and find_role(app, pyatspi.ROLE_TABLE) is not None

        if not pump(found_app, 3 * WAIT):
            sys.exit("the editor never showed its windows to AT-SPI")
        table = find_role(app, pyatspi.ROLE_TABLE)
        cells = table.queryTable()
        check(table.getRoleName() == "table", f"the raster's role is {table.getRoleName()}")
        check((cells.nRows, cells.nColumns) == (ROWS, COLUMNS),
              f"{cells.nRows} rows and {cells.nColumns} columns")
        check(cells.getAccessibleAt(3, 5).name == cell_name(5, 3, 0), "cell (5, 3) named")

        windows = []

        def mapped():
            windows[:] = desktop.xdotool("search", "--onlyvisible", "--name", "^QorvEdit$")
            return bool(windows)

        if not pump(mapped):
            texts = [node.name for node in walk(app) if node.getRole() == pyatspi.ROLE_LABEL]
            sys.exit(f"the editor's main window never appeared; its labels: {texts}")
        main_window = windows[0]
        desktop.xdotool("windowactivate", "--sync", main_window)
        # Keys pressed before the raster has the focus would go nowhere.
        check(events.wait_for(("focus", table.name, "")), "the raster takes the focus")
        x, y = 1, 1  # the cursor starts on the first interior cell
        for key in KEYS:
            x, y = MOVES[key](x, y)
            desktop.xdotool("key", key)
            name = cell_name(x, y, tile_of_new_level(x, y))
            check(events.wait_for(("focus", name, "")), f"{key}: the focused cell is \"{name}\"")

        # The cursor stands on the wall at (62, 44): up to the floor for a stamp, back down to
        # the wall for a pick, then a selection of two by two cells.
        assert (x, y) == (62, 44)
        desktop.xdotool("key", "Up", "space")
        stamped = cell_name(62, 43, 2)
        check(events.wait_for(("description", stamped, "Stamped tile 2, size 1")),
              "a stamp is announced")
        check(events.wait_for(("name", stamped, "Stamped tile 2, size 1")),
              "a stamp renames the cell")
        desktop.xdotool("key", "Down", "i")
        check(events.wait_for(("description", cell_name(62, 44, 1), "Foreground: tile 1")),
              "a pick is announced")
        desktop.xdotool("key", "Up", "Up", "Left", "shift+Right", "shift+Up")
        check(events.wait_for(("description", cell_name(62, 41, 0), "Selection size: (2 x 2)")),
              "the selection's size is announced")
    finally:
        desktop.close()
    if failures:
        print("\n".join(f"- {event}" for event in events.seen), file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
