"""Real X input for the program's window: an Xvfb server of its own, the window, and xdotool.

QTest's synthetic events go straight to a widget; these go through the X server, so pointer and
keyboard grabs, pop-up windows and focus behave as they do for a user.

    from xharness import XSession

    with XSession() as x:                    # Xvfb on a free display, torn down at the end
        app = x.start_host()                 # the main window (x11_host), shown and focused
        x.click(app.rect("cboPF1").center)   # xdotool: move there, press and release button 1
        app.wait(lambda: app.popup() is not None)
        x.click(app.popup_item(2).center)
        app.wait(lambda: app.text("cboPF1") == "Мощность H/L")
        x.key("Escape")                      # xdotool key names: Tab, F11, Return, ctrl+s ...
        x.type("145,5")                      # types text into the focused widget

XSession
    click(point, button=1), press(point), release(point), move(point), wheel(point, clicks)
    key(*names), type(text)
    start_host(env=None) -> Host        the main window with its query line (XHost.cpp)
    start_program(env=None) -> Popen    the program itself, which answers nothing
    folder                              a temporary folder of the session (also HOME, TMPDIR)
    start(argv, env=None) -> Popen      any other program on this display
    windows(pid)                        its visible X windows (main window, dialogs, lists)
Host (answers come from the window itself; see XHost.cpp for the requests)
    rect(name), cell(row, col), popup(), popup_item(n)  -> Rect (x, y, w, h; .center) or None
    text(name), cell_text(row, col), popup_text(n)      -> str
    focus(), modal()                    -> str: object name and class / title, or "none"
    pixel(point)                        "#rrggbb" of one screen pixel, as the user sees it
    screenshot(path, rect=None, zoom=1) the screen (or a Rect of it), pop-ups included, as PNG
    wait(condition, timeout=5)          polls until condition() is true, else AssertionError
    close()                             ends the program

Paths come from the environment: VORLEND_X11_HOST (the host executable), VORLEND_PROGRAM (the
program); Xvfb and xdotool are looked up on PATH (tools/install-deps.sh installs them).
VORLEND_X11_SHOTS, when set, names a folder where tests leave screenshots for a person to see.

A new test: a unittest module test_*.py in this folder and one vorlend_add_x11_test(name module)
line in CMakeLists.txt, which labels it x11 and passes the paths.
"""

import os
import shutil
import subprocess
import tempfile
import time
from collections import namedtuple


class Rect(namedtuple("Rect", "x y w h")):
    @property
    def center(self):
        return (self.x + self.w // 2, self.y + self.h // 2)

    def point(self, dx, dy):
        """A point inside, counted from the left (or, when negative, the right) and top edges."""
        return (self.x + dx if dx >= 0 else self.x + self.w + dx,
                self.y + dy if dy >= 0 else self.y + self.h + dy)


def _tool(name):
    path = shutil.which(name)
    if path is None:
        raise RuntimeError(f"{name} is missing: run tools/install-deps.sh")
    return path


def _rect(answer):
    if answer == "none" or answer.startswith("error"):
        return None
    return Rect(*map(int, answer.split()))


class Host:
    """The main window with its query line on stdin/stdout."""

    def __init__(self, process):
        self.process = process
        line = process.stdout.readline().strip()
        if line != "ready":
            raise RuntimeError(f"host did not start: {line!r}")

    def ask(self, request):
        if self.process.poll() is not None:
            raise AssertionError(f"the program ended with {self.process.returncode}")
        self.process.stdin.write(request + "\n")
        self.process.stdin.flush()
        return self.process.stdout.readline().rstrip("\n")

    def close(self):
        """Ends the program as its query line closes."""
        self.process.stdin.close()
        self.process.wait(timeout=10)
        self.process.stdout.close()

    def rect(self, name):
        return _rect(self.ask(f"rect {name}"))

    def cell(self, row, column):
        return _rect(self.ask(f"cell {row} {column}"))

    def popup(self):
        return _rect(self.ask("popup"))

    def popup_item(self, row):
        return _rect(self.ask(f"popupitem {row}"))

    def popup_text(self, row):
        return self.ask(f"popuptext {row}")

    def text(self, name):
        return self.ask(f"text {name}")

    def cell_text(self, row, column):
        return self.ask(f"celltext {row} {column}")

    def focus(self):
        return self.ask("focus")

    def modal(self):
        return self.ask("modal")

    def pixel(self, point):
        return self.ask(f"pixel {point[0]} {point[1]}")

    def screenshot(self, path, rect=None, zoom=1):
        part = "" if rect is None else f" {rect.x} {rect.y} {rect.w} {rect.h} {zoom}"
        answer = self.ask(f"grab {os.path.abspath(path)}{part}")
        if answer != "ok":
            raise AssertionError(answer)
        return path

    @staticmethod
    def wait(condition, timeout=5.0, what="condition"):
        end = time.monotonic() + timeout
        while True:
            if condition():
                return
            if time.monotonic() > end:
                raise AssertionError(f"timed out waiting for {what}")
            time.sleep(0.05)


class XSession:
    def __init__(self, width=1280, height=800):
        self._size = f"{width}x{height}x24"
        self._children = []
        self._tmp = tempfile.TemporaryDirectory(prefix="vorlend-x11-")
        self.env = None

    def __enter__(self):
        # -displayfd: the server picks a free display number and tells it.
        read_end, write_end = os.pipe()
        self._xvfb = subprocess.Popen(
            [_tool("Xvfb"), "-displayfd", str(write_end), "-screen", "0", self._size,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=f":{number}", QT_QPA_PLATFORM="xcb")
        self.env.pop("XAUTHORITY", None)
        # No desktop settings of the developer's session: Qt's defaults (double-click time).
        self.env.pop("XDG_CURRENT_DESKTOP", None)
        self.env["HOME"] = self._tmp.name
        self.env["XDG_RUNTIME_DIR"] = self._tmp.name
        # The single-instance lock and socket live in the temporary folder: this session's own.
        self.env["TMPDIR"] = self._tmp.name
        return self

    @property
    def folder(self):
        return self._tmp.name

    def __exit__(self, *exc):
        for child in reversed(self._children):
            if child.poll() is None:
                child.terminate()
                try:
                    child.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    child.kill()
                    child.wait()
        self._xvfb.terminate()
        self._xvfb.wait()
        self._tmp.cleanup()
        return False

    # Programs on this display.

    def start(self, argv, env=None, **popen):
        process = subprocess.Popen(argv, env=dict(self.env, **(env or {})), **popen)
        self._children.append(process)
        return process

    def start_program(self, env=None):
        """The program itself (VORLEND_PROGRAM), once its window is shown and focused. It is
        centred like the host's, so places learnt from the host hold for it too."""
        program = os.environ.get("VORLEND_PROGRAM")
        if not program:
            raise RuntimeError("VORLEND_PROGRAM names no program")
        process = self.start([program], env=env)
        self.xdotool("windowfocus", "--sync", self.wait_window(process.pid))
        return process

    def start_host(self, env=None):
        host = os.environ.get("VORLEND_X11_HOST")
        if not host:
            raise RuntimeError("VORLEND_X11_HOST names no program")
        process = self.start([host], env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             text=True, encoding="utf-8", bufsize=1)
        app = Host(process)
        window = self.wait_window(process.pid)
        self.xdotool("windowfocus", "--sync", window)
        app.wait(lambda: app.focus() != "none" or app.rect("title") is not None,
                 what="the window")
        return app

    def windows(self, pid):
        """The visible X windows of a process (its main window, dialogs, open lists)."""
        found = subprocess.run([_tool("xdotool"), "search", "--onlyvisible", "--pid", str(pid)],
                               env=self.env, capture_output=True, text=True)
        return found.stdout.split()

    def wait_window(self, pid, timeout=10.0):
        """The first visible X window of the process, once it is mapped."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if shown := self.windows(pid):
                return shown[0]
            time.sleep(0.05)
        raise AssertionError("the window did not appear")

    # Input, through the X server.

    def xdotool(self, *args):
        subprocess.run([_tool("xdotool"), *map(str, args)], env=self.env, check=True)

    def move(self, point):
        # No --sync: it waits for the pointer to move and hangs when it is already there. Each
        # xdotool run ends with its requests processed, so input stays in order anyway.
        self.xdotool("mousemove", point[0], point[1])

    def click(self, point, button=1):
        self.move(point)
        self.xdotool("click", button)

    def press(self, point, button=1):
        self.move(point)
        self.xdotool("mousedown", button)

    def release(self, point, button=1):
        self.move(point)
        self.xdotool("mouseup", button)

    def wheel(self, point, clicks):
        """Positive clicks turn the wheel towards the user (down), negative away (up)."""
        self.move(point)
        for _ in range(abs(clicks)):
            self.xdotool("click", 5 if clicks > 0 else 4)

    def key(self, *names):
        self.xdotool("key", "--delay", 30, *names)

    def type(self, text):
        self.xdotool("type", "--delay", 30, text)
