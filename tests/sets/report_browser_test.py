#!/usr/bin/env python3
"""The page of --report in a real browser: headless Chromium, driven through the DevTools
protocol over a pipe (no network, no port). Every level's entry is in the page, every picture
loaded, the console stayed quiet, and a screenshot shows the first thumbnail's own pixels
where its <img> stands. Usage: report_browser_test.py QORVEDIT EXAMPLES_FOLDER
Exit status 77 (skipped) when Chromium is not installed, except under CI, where it must run."""

import base64
import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

from png import read_png

program, examples = sys.argv[1], sys.argv[2]
LEVELS = ["caverns.qre", "maze.qre", "rooms.qre"]
chromium = shutil.which("chromium")
if not chromium:
    if os.environ.get("CI"):
        sys.exit("chromium is not installed, and CI must run this test: scripts/setup.sh installs it")
    print("skipped: chromium is not installed (scripts/setup.sh installs it)")
    sys.exit(77)


class DevTools:
    """Commands to the browser on fd 3 of Chromium, answers and events from its fd 4, each
    message JSON ended by a NUL byte."""

    def __init__(self, profile):
        to_browser, self.commands = os.pipe()
        self.answers, from_browser = os.pipe()
        # CI runs as root, and Chromium refuses to run as root inside its sandbox.
        sandbox = ["--no-sandbox"] if os.geteuid() == 0 else []
        self.browser = subprocess.Popen(
            [chromium, "--headless", "--remote-debugging-pipe", "--disable-gpu",
             "--force-device-scale-factor=1", "--no-first-run", f"--user-data-dir={profile}",
             # Containers give /dev/shm a few megabytes, too few for Chromium's renderer.
             "--disable-dev-shm-usage",
             *sandbox, "about:blank"],
            # Closing descriptors would happen after the moves to 3 and 4 and undo them.
            close_fds=False, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
            preexec_fn=lambda: self.move_to_3_and_4(to_browser, from_browser))
        os.close(to_browser)
        os.close(from_browser)
        self.next_id, self.buffer, self.events, self.session = 0, b"", [], None

    @staticmethod
    def move_to_3_and_4(to_browser, from_browser):
        # Copies first: either end may be 3 or 4 already, and a dup2 onto itself would keep
        # it closed on exec.
        reading, writing = os.dup(to_browser), os.dup(from_browser)
        os.dup2(reading, 3)
        os.dup2(writing, 4)

    def send(self, method, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if self.session:
            message["sessionId"] = self.session
        os.write(self.commands, json.dumps(message).encode() + b"\0")
        answer = self.wait(lambda m: m.get("id") == self.next_id)
        if "error" in answer:
            raise RuntimeError(f"{method}: {answer['error']}")
        return answer["result"]

    def wait(self, wanted, seconds=60):
        deadline = time.monotonic() + seconds
        while True:
            for i, message in enumerate(self.events):
                if wanted(message):
                    return self.events.pop(i)
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.answers], [], [], left)[0]:
                raise TimeoutError("Chromium did not answer")
            self.buffer += os.read(self.answers, 1 << 20)
            *messages, self.buffer = self.buffer.split(b"\0")
            self.events += [json.loads(m) for m in messages]

    def close(self):
        self.browser.kill()
        self.browser.wait()


def evaluate(devtools, expression):
    return devtools.send("Runtime.evaluate", expression=expression, returnByValue=True)["result"]["value"]


with tempfile.TemporaryDirectory() as work:
    report = os.path.join(work, "report")
    subprocess.run([program, "--report", report, *(os.path.join(examples, n) for n in LEVELS)],
                   check=True)
    devtools = DevTools(os.path.join(work, "profile"))
    try:
        page = next(t for t in devtools.send("Target.getTargets")["targetInfos"] if t["type"] == "page")
        devtools.session = devtools.send("Target.attachToTarget", targetId=page["targetId"],
                                         flatten=True)["sessionId"]
        for domain in ("Page", "Runtime", "Log"):
            devtools.send(f"{domain}.enable")
        devtools.send("Emulation.setDeviceMetricsOverride", width=1000, height=800,
                      deviceScaleFactor=1, mobile=False)
        devtools.send("Page.navigate", url="file://" + os.path.join(report, "index.html"))
        devtools.wait(lambda m: m.get("method") == "Page.loadEventFired")
        names = evaluate(devtools, "[...document.querySelectorAll('li.level h2')].map(h => h.textContent)")
        widths = evaluate(devtools, "[...document.images].map(i => i.complete ? i.naturalWidth : 0)")
        thumbnail = evaluate(devtools, "document.images[0].src")
        box = evaluate(devtools, "(r => [r.x, r.y, r.width, r.height])"
                                 "(document.images[0].getBoundingClientRect())")
        shot = devtools.send("Page.captureScreenshot", format="png", clip={
            "x": box[0], "y": box[1], "width": box[2], "height": box[3], "scale": 1})
        complaints = [m for m in devtools.events if m.get("method") == "Runtime.exceptionThrown"
                      or m.get("method") == "Runtime.consoleAPICalled" and m["params"]["type"] == "error"
                      or m.get("method") == "Log.entryAdded" and m["params"]["entry"]["level"] == "error"]
    finally:
        devtools.close()
    failures = []
    if sorted(names) != sorted(os.path.join(examples, n) for n in LEVELS):
        failures.append(f"the page lists {names}")
    if len(widths) != len(LEVELS) or 0 in widths:
        failures.append(f"images loaded with widths {widths}")
    if complaints:
        failures.append(f"the console says {complaints}")
    with open(os.path.join(work, "shot.png"), "wb") as file:
        file.write(base64.b64decode(shot["data"]))
    with open(os.path.join(work, "thumbnail.png"), "wb") as file:
        file.write(base64.b64decode(thumbnail.split(",", 1)[1]))
    if read_png(os.path.join(work, "shot.png")) != read_png(os.path.join(work, "thumbnail.png")):
        failures.append(f"the screenshot at {box} is not the first thumbnail's pixels")
print("\n".join(failures) or "ok")
sys.exit(1 if failures else 0)
