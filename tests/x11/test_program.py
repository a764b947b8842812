"""The program itself, driven only through the X server: a setting chosen with two plain clicks
and saved from the toolbar ends up in the ".kt" file."""

import os
import unittest

from xharness import Host, XSession

KT_SIZE = 420
PF1_OFFSET = 390 + 17  # the settings record follows the identification and 16 channels


class ProgramWithRealMouse(unittest.TestCase):
    def test_setting_chosen_by_clicks_is_saved(self):
        env = {"VORLEND_SERIAL_PORTS": ""}
        with XSession() as x:
            # The places of things, from the host's identical window.
            host = x.start_host(env=env)
            combo, save = host.rect("cboPF1"), host.rect("tolSave")
            x.click(combo.center)
            host.wait(lambda: host.popup_item(2) is not None, what="the list")
            self.assertEqual(host.popup_text(2), "Мощность H/L")
            item = host.popup_item(2)
            host.close()

            program = x.start_program(env=env)
            x.click(combo.center)
            x.click(item.center)
            x.click(save.center)
            # Qt's own save dialog takes a typed path; Return saves.
            path = os.path.join(x.folder, "chosen.kt")
            Host.wait(lambda: len(x.windows(program.pid)) >= 2, what="the save dialog")
            x.key("ctrl+a")
            x.type(path)
            x.key("Return")
            Host.wait(lambda: os.path.exists(path) and os.path.getsize(path) == KT_SIZE,
                      timeout=10, what="the saved file")
            self.assertIsNone(program.poll())
            with open(path, "rb") as f:
                data = f.read()
        self.assertEqual(data[:6], b"KTZ517")
        self.assertEqual(data[PF1_OFFSET], 2)


if __name__ == "__main__":
    unittest.main()
