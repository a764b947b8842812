"""Every kind of combo of the window with a real mouse: a plain click leaves the list open, a
click on an item chooses it; press-drag-release, Escape, a click elsewhere, the wheel and the
keys keep their meaning. And the mark of the focused control, as the screen shows it."""

import os
import tempfile
import unittest

from xharness import XSession

ACCENT = "#1883d7"  # the skin's accent: the window's frame, the focus marks


class CombosWithRealMouse(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.x = XSession().__enter__()
        cls.ports = tempfile.TemporaryDirectory(prefix="vorlend-ports-")
        # Plain files the program lists as ports: names that differ only at the end.
        cls.port_paths = []
        for name in ("ttyUSB1", "ttyUSB10"):
            path = os.path.join(cls.ports.name, name)
            open(path, "w").close()
            cls.port_paths.append(path)

    @classmethod
    def tearDownClass(cls):
        cls.x.__exit__(None, None, None)
        cls.ports.cleanup()

    def setUp(self):
        self.app = self.x.start_host(env={"VORLEND_SERIAL_PORTS": ":".join(self.port_paths)})

    def tearDown(self):
        shots = os.environ.get("VORLEND_X11_SHOTS")
        if shots:
            os.makedirs(shots, exist_ok=True)
            self.app.screenshot(os.path.join(shots, self.id().split(".")[-1] + ".png"))
        self.app.close()

    # Steps shared by the cases.

    def open_by_click(self, point):
        """A plain click; the list must be open and stay open after the button's release."""
        self.x.click(point)
        self.app.wait(lambda: self.app.popup() is not None, what="the list to open")
        popup = self.app.popup()
        # Hovering the list is what a user does next; the list is still there afterwards.
        self.x.move((popup.x + popup.w // 2, popup.y + 2))
        self.assertIsNotNone(self.app.popup(), "the click's release closed the list")
        return popup

    def row_of(self, text):
        for row in range(50):
            if self.app.popup_text(row) == text:
                return row
        self.fail(f"{text!r} is not in the list")

    def choose(self, row):
        item = self.app.popup_item(row)
        self.assertIsNotNone(item, f"list row {row} is not shown")
        self.x.click(item.center)
        self.app.wait(lambda: self.app.popup() is None, what="the list to close")

    def wait_text(self, name, text):
        self.app.wait(lambda: self.app.text(name) == text, what=f"{name} to show {text!r}")

    # The cases.

    def test_settings_combo(self):
        combo = self.app.rect("cboPF1")
        self.assertEqual(self.app.text("cboPF1"), "Монитор")
        self.open_by_click(combo.center)
        self.choose(2)
        self.wait_text("cboPF1", "Мощность H/L")

        # Escape and a click elsewhere close the list without choosing.
        self.open_by_click(combo.center)
        self.x.key("Up")
        self.x.key("Escape")
        self.app.wait(lambda: self.app.popup() is None, what="Escape to close the list")
        self.open_by_click(combo.center)
        title = self.app.rect("title")
        self.x.click(title.center)
        self.app.wait(lambda: self.app.popup() is None, what="a click outside to close it")
        self.assertEqual(self.app.text("cboPF1"), "Мощность H/L")

        # Press, drag onto an item, release: chosen, list closed.
        other = self.app.rect("cboPF2")
        self.x.press(other.center)
        self.app.wait(lambda: self.app.popup() is not None, what="the list to open")
        item = self.app.popup_item(1)
        self.x.move((item.center[0], item.center[1] + 1))
        self.x.release(item.center)
        self.app.wait(lambda: self.app.popup() is None, what="the release to choose")
        self.wait_text("cboPF2", "Монитор")

        # The wheel over the closed combo and the arrow keys on the focused one.
        self.x.wheel(other.center, 1)
        self.wait_text("cboPF2", "Мощность H/L")
        self.x.key("Up", "Up")
        self.wait_text("cboPF2", "Нет")

    def test_port_combo(self):
        combo = self.app.rect("cboCOM")
        self.open_by_click(combo.center)
        wanted = self.port_paths[1 if self.app.text("cboCOM") != self.port_paths[1] else 0]
        self.choose(self.row_of(wanted))
        self.wait_text("cboCOM", wanted)

    def test_grid_two_choice_editors(self):
        for column, row, text in ((5, 1, "Низкая"), (6, 1, "Узкая (N)"), (7, 0, "Нет")):
            with self.subTest(column=column):
                cell = self.app.cell(2, column)
                # The first click places the editor over the cell; the second, a separate click
                # (not the second half of a double click), opens its list.
                self.x.click(cell.center)
                self.app.wait(lambda: "CComboUI" in self.app.focus(), what="the cell's editor")
                self.open_by_click((cell.center[0] + 20, cell.center[1]))
                self.choose(row)
                # Leaving the cell commits the choice.
                self.x.click(self.app.cell(5, 0).center)
                self.app.wait(lambda: self.app.cell_text(2, column) == text,
                              what=f"the cell to read {text!r}")

    def test_code_cell_arrow_strip(self):
        cell = self.app.cell(3, 3)
        self.x.click(cell.center)
        self.app.wait(lambda: "CComboEditUI" in self.app.focus(), what="the code editor")
        # The arrow strip: the right 22 pixels of the editor, which overhangs the cell by 2.
        self.open_by_click((cell.x + cell.w - 8, cell.y + cell.h // 2))
        code = self.app.popup_text(3)
        self.choose(3)
        self.x.click(self.app.cell(5, 0).center)
        self.app.wait(lambda: self.app.cell_text(3, 3) == code, what=f"the cell to read {code}")

    def test_focus_marks(self):
        """The focused combo, grid editor or button wears a ring of the accent just inside its
        edge; the others do not."""
        def marked(rect):
            return self.app.pixel((rect.x + 1, rect.y + rect.h // 2)) == ACCENT

        away = self.app.rect("title").center
        tot, sq = self.app.rect("cboTOT"), self.app.rect("cboSQLev")
        self.open_by_click(tot.center)
        self.x.key("Escape")
        self.x.move(away)  # no hot face under the pointer
        self.app.wait(lambda: marked(tot), what="the mark on the focused combo")
        self.assertFalse(marked(sq))

        cell = self.app.cell(4, 1)
        self.x.click(cell.center)
        self.x.move(away)
        self.app.wait(lambda: "CFreqEdit" in self.app.focus(), what="the frequency editor")
        self.app.wait(lambda: marked(cell), what="the mark on the grid's editor")
        self.assertFalse(marked(tot))

        # A button pressed and left before the release: focused, nothing done.
        button = self.app.rect("btnWrite")
        self.x.press(button.center)
        self.x.release(away)
        self.app.wait(lambda: marked(button), what="the mark on the focused button")
        self.assertEqual(self.app.modal(), "none")


if __name__ == "__main__":
    unittest.main()
