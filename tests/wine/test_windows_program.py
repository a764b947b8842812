"""VORLEND.exe from the Windows package, under Wine with its X11 driver on an Xvfb server of its
own, driven only through the X server (xdotool), as a user would.

Wine's COM ports are pseudo-terminals: COM3 an echoing line that is no radio, COM5 the
simulated radio with a rich image, COM6 a blank simulated radio. Where things are in the
window comes from the Linux build's identical window (x11_host), which stays on the display,
off-screen, to read pixels and take screenshots.

Environment (tools/windows-gui-test.sh sets it): VORLEND_WINE_PROGRAM (VORLEND.exe unpacked
from the zip), VORLEND_X11_HOST, VORLEND_SIMRADIO, VORLEND_PTY_PEER, VORLEND_WINE_SHIM,
VORLEND_WINE_LINES (the folder of the COM ports' device links), WINEPREFIX, and
VORLEND_WINE_SHOTS (where the screenshots are kept).
"""

import os
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "x11"))
from xharness import Host, Rect, XSession  # noqa: E402

TITLE = "Программное обеспечение ВОРЛЕНД"
KT_SIZE = 420
SETTINGS = 390
PF1 = SETTINGS + 17
# The window names and places learnt from the Linux window.
CONTROLS = ("closebtn", "minbtn", "cboCOM", "cboPF1", "tolOpen", "tolSave", "LabPort", "channelList")


def crc16(data):
    crc = 0xFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return bytes((crc >> 8, crc & 0xFF))


def kt_file(channels, settings):
    """A .kt file: identification, 16 channel records, the settings record, the checksum."""
    assert len(channels) == 16 and all(len(c) == 24 for c in channels)
    record = bytearray(28)
    for offset, value in settings.items():
        record[offset] = value
    body = b"KTZ517" + b"".join(channels) + bytes(record)
    return body + crc16(body)


def rich_channels(seed):
    """Every corner of a record: both DCS polarities, tones, no code, odd power, width and scan
    bytes, bytes 15..23 in use."""
    channels = []
    for i in range(16):
        rx = 400012500 + 250000 * i + 5000 * seed
        tx = 410025000 + 125000 * i
        rx_code = (0x2017, 0xA2F2, 1273, 0xFFFF)[(i + seed) % 4]
        tx_code = 0xFFFF if i % 2 == 0 else 0x2000 + 0x1A5
        power, width, scan = (0x01, 0x00)[i % 2], (0x7F, 0x00)[i % 4 != 0], (0x00, 0x33)[i % 5 != 0]
        tail = bytes((17 * i + 29 * seed + 3 * b) & 0xFF for b in range(9))
        channels.append(struct.pack("<IIHHBBB", rx, tx, rx_code, tx_code, power, width, scan) + tail)
    return channels


# Settings offsets: battery saving, squelch, time-out, voice, PF1, PF2, scan (all in range).
RICH = kt_file(rich_channels(1), {4: 1, 14: 6, 15: 120, 16: 1, 17: 2, 18: 1, 19: 0})
OTHER = kt_file(rich_channels(2), {4: 0, 14: 3, 15: 180, 16: 2, 17: 1, 18: 2, 19: 1})
BLANK = kt_file([b"\xff" * 24] * 16, {})


def window_geometry(env, window):
    """Where an X window is on the screen, and its size."""
    found = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=env,
                           capture_output=True, text=True, check=True)
    values = dict(line.split("=", 1) for line in found.stdout.split())
    return Rect(int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))


class WineSession:
    """The program under Wine on the X session, with its COM ports' far ends."""

    def __init__(self, x, folder):
        self.x = x
        self.folder = folder
        self.lines = os.environ["VORLEND_WINE_LINES"]
        self.env = {
            "WINEPREFIX": os.environ["WINEPREFIX"],
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            # Wine's WaitCommEvent needs the modem status, which a pty does not have.
            "LD_PRELOAD": os.environ["VORLEND_WINE_SHIM"],
            # Wine lists no COM ports in the ports device class; the program also takes names.
            "VORLEND_SERIAL_PORTS": "COM3:COM5:COM6",
        }

    def line(self, name, argv):
        """Starts a far end at lines/NAME and waits for its device link."""
        link = os.path.join(self.lines, name)
        if os.path.lexists(link):
            os.unlink(link)
        with open(os.path.join(self.folder, name + ".log"), "w") as log:
            self.x.start(argv + [link], stdout=log, stderr=subprocess.STDOUT)
        Host.wait(lambda: os.path.islink(link), what=f"the line {name}")
        return os.readlink(link)

    def radio(self, name, image, adapter, save=None):
        path = os.path.join(self.folder, name + "-loaded.kt")
        with open(path, "wb") as f:
            f.write(image)
        argv = [os.environ["VORLEND_SIMRADIO"], "--load", path, "--adapter", adapter]
        if save:
            argv += ["--save", save]
        pty = self.line(name, argv + ["--link"])
        # A session of its own for the pty, so Wine never takes it as a terminal.
        self.x.start([os.environ["VORLEND_PTY_PEER"], "--claim", pty],
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start(self):
        return self.x.start(["wine", os.environ["VORLEND_WINE_PROGRAM"]], env=self.env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def windows(self):
        """The program's visible X windows: the main window, boxes, dialogs, open lists."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", r"^vorlend\.exe$"],
                               env=self.x.env, capture_output=True, text=True)
        return found.stdout.split()

    def name(self, window):
        found = subprocess.run(["xdotool", "getwindowname", window], env=self.x.env,
                               capture_output=True, text=True)
        return found.stdout.rstrip("\n")

    def others(self, main):
        """The program's windows besides the main window, with their names."""
        return [(w, self.name(w)) for w in self.windows() if w != main]

    def geometry(self, window):
        return window_geometry(self.x.env, window)


class WindowsProgramUnderWine(unittest.TestCase):
    """One run of the program, step by step: the steps build on each other, in name order."""

    @classmethod
    def setUpClass(cls):
        cls.shots = os.environ.get("VORLEND_WINE_SHOTS") or None
        if cls.shots:
            os.makedirs(cls.shots, exist_ok=True)
        cls.x = XSession(1280, 800).__enter__()
        try:
            cls._learn_places()
            # The lines' logs stay with the screenshots, for a failure to be looked into.
            cls.wine = WineSession(cls.x, cls.shots or cls.x.folder)
            cls.wine.line("com3", [os.environ["VORLEND_PTY_PEER"]])
            cls.wine.radio("com5", RICH, "ftdi:16")
            cls.written = os.path.join(cls.x.folder, "com6-written.kt")
            # Its answers in small pieces: the probe's 80 ms are tight for a 16 ms latency
            # timer under Wine on a busy machine, and a failed probe on the chosen port
            # can leave a late identification to the write.
            cls.wine.radio("com6", BLANK, "ch340", save=cls.written)
            cls.program = cls.wine.start()
            Host.wait(lambda: cls.wine.windows(), timeout=60, what="the program's window")
            cls.window = cls.wine.windows()[0]
        except BaseException:
            cls.x.__exit__(None, None, None)
            raise

    @classmethod
    def tearDownClass(cls):
        cls.x.__exit__(None, None, None)

    @classmethod
    def _learn_places(cls):
        x = cls.x
        # Three port entries, as the program will list COM3, COM5 and COM6.
        ports = [os.path.join(x.folder, n) for n in ("port1", "port2", "port3")]
        for p in ports:
            open(p, "w").close()
        cls.host = host = x.start_host(env={"VORLEND_SERIAL_PORTS": ":".join(ports)})
        origin = cls._host_window_geometry()
        cls.host_size = (origin.w, origin.h)
        cls.places = {}
        for name in CONTROLS:
            rect = host.rect(name)
            assert rect is not None, name
            cls.places[name] = Rect(rect.x - origin.x, rect.y - origin.y, rect.w, rect.h)
        for combo, row in (("cboPF1", 2), ("cboCOM", 2)):
            x.click(host.rect(combo).center)
            host.wait(lambda: host.popup_item(row) is not None, what=f"the list of {combo}")
            item = host.popup_item(row)
            cls.places[f"{combo}/{row}"] = Rect(item.x - origin.x, item.y - origin.y, item.w, item.h)
            x.key("Escape")
            host.wait(lambda: host.popup() is None, what="the list to close")
        # The skin's own pixels at places without text: the caption buttons and the corners.
        close = cls.places["closebtn"]
        cls.skin_points = [close.center, (close.x - 40, close.y + close.h // 2), (3, 3),
                           (origin.w - 4, origin.h - 4), (3, origin.h - 4), (origin.w // 2, 2)]
        cls.skin_colours = [host.pixel((origin.x + px, origin.y + py)) for px, py in cls.skin_points]
        if cls.shots:
            host.screenshot(os.path.join(cls.shots, "linux-window.png"), origin)
        # Out of the way, still on the display: it reads the screen for the tests.
        x.xdotool("windowmove", cls.host_window, 1400, 0)

    @classmethod
    def _host_window_geometry(cls):
        cls.host_window = cls.x.wait_window(cls.host.process.pid)
        return window_geometry(cls.x.env, cls.host_window)

    # Helpers.

    def at(self, name, where="center"):
        origin = self.wine.geometry(self.window)
        rect = self.places[name]
        point = rect.center if where == "center" else where(rect)
        return (origin.x + point[0], origin.y + point[1])

    def shot(self, name, rect=None, below=0):
        """A screenshot of the main window (and `below` pixels under it, for open lists)."""
        if self.shots:
            if rect is None:
                window = self.wine.geometry(self.window)
                rect = Rect(window.x, window.y, window.w, window.h + below)
            self.host.screenshot(os.path.join(self.shots, name + ".png"), rect)

    def root_property(self, name):
        found = subprocess.run(["xprop", "-root", name], env=self.x.env, capture_output=True,
                               text=True)
        return "#" in found.stdout or "0x" in found.stdout

    def active_window(self):
        found = subprocess.run(["xprop", "-root", "_NET_ACTIVE_WINDOW"], env=self.x.env,
                               capture_output=True, text=True)
        return int(found.stdout.rsplit(" ", 1)[-1], 16) if "0x" in found.stdout else None

    def window_state(self):
        found = subprocess.run(["xprop", "-id", self.window, "WM_STATE"], env=self.x.env,
                               capture_output=True, text=True)
        return found.stdout

    def focus_window(self):
        self.x.xdotool("windowfocus", "--sync", self.window)

    def wait_box(self, what, boxes_only=True):
        """A window over the main window: a message box (captioned with the window title, unlike
        the progress dialog), or any when not `boxes_only` (a file dialog)."""
        found = []

        def shown():
            found[:] = [w for w, name in self.wine.others(self.window)
                        if name == TITLE or not boxes_only]
            return bool(found)

        Host.wait(shown, timeout=30, what=what)
        time.sleep(0.5)  # drawn
        return found[0]

    def dismiss_box(self, box, key="Return"):
        self.x.xdotool("windowfocus", "--sync", box)
        self.x.key(key)
        Host.wait(lambda: len(self.wine.windows()) == 1, timeout=10, what="the box to close")

    def file_dialog(self, button, path, what):
        """Clicks a toolbar button and types a path into Windows' file dialog."""
        self.x.click(self.at(button))
        dialog = self.wait_box(what, boxes_only=False)
        time.sleep(1)  # Windows' dialog fills itself in after it shows
        self.x.xdotool("windowfocus", "--sync", dialog)
        self.x.key("ctrl+a")
        self.x.type("Z:" + path.replace("/", "\\"))
        self.x.key("Return")
        return dialog

    def choose(self, combo, row, shot):
        """Opens a combo's list with a click, shoots it, and clicks one of its rows."""
        self.x.click(self.at(combo))
        Host.wait(lambda: len(self.wine.windows()) >= 2, what=f"the list of {combo}")
        time.sleep(0.5)
        self.shot(shot, below=150)
        self.x.click(self.at(f"{combo}/{row}"))
        Host.wait(lambda: len(self.wine.windows()) == 1, what=f"the list of {combo} to close")

    def save(self, name):
        path = os.path.join(self.x.folder, name)
        self.file_dialog("tolSave", path, "the save dialog")
        Host.wait(lambda: os.path.exists(path) and os.path.getsize(path) == KT_SIZE, timeout=15,
                  what=f"the saved {name}")
        Host.wait(lambda: len(self.wine.windows()) == 1, timeout=10, what="the dialog to close")
        time.sleep(0.3)
        with open(path, "rb") as f:
            return f.read()

    # The steps.

    def test_1_window_shows_the_skin(self):
        geometry = self.wine.geometry(self.window)
        self.assertEqual((geometry.w, geometry.h), (950, 466))
        self.assertEqual(self.host_size, (950, 466))
        self.assertEqual(self.program.poll(), None)
        time.sleep(2)  # the probe's result in the status bar
        self.shot("wine-window")
        colours = [self.host.pixel((geometry.x + px, geometry.y + py)) for px, py in self.skin_points]
        self.assertEqual(colours, self.skin_colours, "the skin's pixels differ from Linux's")

    def wait_for_port_text(self, combo, timeout=20.0):
        """Waits until the combo shows a text, as a user waits to see the probe's port."""
        origin = self.wine.geometry(self.window)
        rect = self.places[combo]
        row = origin.y + rect.y + rect.h // 2
        background = self.host.pixel((origin.x + rect.x + 3, row))
        xs = range(origin.x + rect.x + 4, origin.x + rect.x + min(rect.w - 20, 44))
        Host.wait(lambda: any(self.host.pixel((x, row)) != background for x in xs),
                  timeout=timeout, what=f"a port in {combo}")

    def test_2_f11_reads_the_radio_the_probe_found(self):
        # Nothing chosen: only the probe, past the echoing COM3, can have picked COM5.
        self.wait_for_port_text("cboCOM")
        self.focus_window()
        self.x.key("F11")
        box = self.wait_box("the read's result box")
        self.shot("wine-read-done")
        self.dismiss_box(box)
        self.assertEqual(self.save("read.kt"), RICH)

    def test_3_f12_writes_it_into_the_blank_radio(self):
        # COM6 chosen from the port list with the mouse; the probe opens it.
        self.choose("cboCOM", 2, "wine-port-list")
        time.sleep(3)  # the probe on the chosen port: a write waits for no probe
        self.focus_window()
        self.x.key("F12")
        box = self.wait_box("the write's result box")
        self.shot("wine-write-done")
        self.dismiss_box(box)
        Host.wait(lambda: os.path.exists(self.written), timeout=10, what="the radio's image")
        with open(self.written, "rb") as f:
            self.assertEqual(f.read(), RICH)

    def test_4_kt_files_open_exactly_and_a_corrupt_one_is_refused(self):
        other = os.path.join(self.x.folder, "other.kt")
        with open(other, "wb") as f:
            f.write(OTHER)
        self.file_dialog("tolOpen", other, "the open dialog")
        Host.wait(lambda: len(self.wine.windows()) == 1, timeout=10, what="the dialog to close")
        time.sleep(0.5)
        self.assertEqual(self.save("other-again.kt"), OTHER)

        corrupt = os.path.join(self.x.folder, "corrupt.kt")
        with open(corrupt, "wb") as f:
            f.write(RICH[:100] + bytes([RICH[100] ^ 0x40]) + RICH[101:])
        self.file_dialog("tolOpen", corrupt, "the open dialog")
        # The box follows the dialog at once; it alone bears the window title.
        box = self.wait_box("the checksum box")
        self.shot("wine-crc-box", self.wine.geometry(box))
        self.dismiss_box(box)
        # Grid and settings unchanged.
        self.assertEqual(self.save("after-corrupt.kt"), OTHER)

    def test_5_a_click_on_a_combo_opens_its_list(self):
        self.choose("cboPF1", 2, "wine-combo-list")
        saved = self.save("pf1.kt")
        self.assertEqual(OTHER[PF1], 1)
        self.assertEqual(saved[PF1], 2)

    def test_6_a_second_copy_raises_the_first_and_ends(self):
        # A window manager for this step: without one, a window is never minimised or raised.
        wm = self.x.start(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
        try:
            Host.wait(lambda: self.root_property("_NET_SUPPORTING_WM_CHECK"), timeout=10,
                      what="the window manager")
            time.sleep(1)
            self.x.click(self.at("minbtn"))
            Host.wait(lambda: self.wine.windows() == [], timeout=10, what="the window minimised")
            self.assertIn("Iconic", self.window_state())

            second = self.wine.start()
            self.assertEqual(second.wait(timeout=60), 0)
            Host.wait(lambda: self.wine.windows() == [self.window], timeout=10,
                      what="the first window shown again")
            self.assertIn("Normal", self.window_state())
            Host.wait(lambda: int(self.window) == self.active_window(), timeout=10,
                      what="the first window active")
            time.sleep(0.5)
            self.shot("wine-raised-by-second-copy")
            self.assertIsNone(self.program.poll())
        finally:
            wm.terminate()
            wm.wait()
            time.sleep(1)  # the windows handed back to the root window

    def test_7_the_close_button_ends_with_0(self):
        self.x.click(self.at("closebtn"))
        self.assertEqual(self.program.wait(timeout=30), 0)


if __name__ == "__main__":
    unittest.main()
