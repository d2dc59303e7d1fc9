"""Timed gestures on the real program: left-click lengths, a quick double
click, the right-button hold, a menu mnemonic after M, and edge hovering.
Each ends in what the saved settings or the picture show."""
import os
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import SessionTest, main, settings_image  # noqa: E402

OPT_TOPMOST, MODE_COLORKEY, MODE_OPAQUE = 0x01, 2, 4
SETTING_DIALOG = "^Enter Setting$"


class Gestures(SessionTest):
    def start(self, image=None):
        self.session.write_settings(image or settings_image())
        self.program = self.session.start()
        self.window = self.session.wait_window()
        self.session.point_at(self.window)

    def saved_modes(self):
        """Closes the program and reads the two modes it saved (the active bit follows the focus)."""
        self.session.close_program(self.program)
        return struct.unpack_from("<I", self.session.read_settings(), 32)[0] & (MODE_COLORKEY | MODE_OPAQUE)

    def picture(self):
        return self.session.picture(self.window)

    def live(self):
        """Whether the picture moves (the guide ticks step along at 100 ms)."""
        before = self.picture()
        time.sleep(0.5)
        return self.picture() != before

    def press(self, hold):
        self.session.xdotool("mousedown", "1")
        time.sleep(hold)
        self.session.xdotool("mouseup", "1")

    def test_left_click_lengths_freeze_or_toggle_opaque(self):
        image = bytearray(settings_image())
        struct.pack_into("<I", image, 44, 100)  # a tick every 100 ms
        self.start(bytes(image))
        time.sleep(1.5)  # past the warm-up
        self.assertTrue(self.live())
        self.session.click(1, hold=0.08)
        self.assertFalse(self.live(), "a short click freezes")
        self.session.click(1, hold=0.08)
        self.assertTrue(self.live(), "a second one releases")

        # The second press of a quick double click arrives as a double click.
        self.press(0.08)
        time.sleep(0.2)
        self.press(0.08)
        time.sleep(0.3)
        self.assertTrue(self.live(), "a double click freezes and releases")

        self.session.click(1, hold=0.6)  # opaque
        self.session.click(1, hold=1.5)  # too long: nothing
        self.assertTrue(self.live(), "longer clicks never freeze")
        self.assertEqual(self.saved_modes(), MODE_OPAQUE, "one opaque toggle, by the 600 ms click")

    def test_a_menu_mnemonic_fires_no_gesture_of_its_letter(self):
        self.start()
        # T's key-up comes within a tap's length of M's key-down, as when typed quickly.
        self.session.tap("m", hold=0.08)  # the main popup opens
        self.session.tap("t", hold=0.08)  # "&Top Most"; T alone would toggle the colour key
        self.assertEqual(self.saved_modes(), 0, "the colour key untouched")
        self.assertEqual(struct.unpack_from("<I", self.session.read_settings(), 16)[0] & OPT_TOPMOST, 0,
                         "Top Most toggled off")

    def test_right_button_hold_opens_the_setting_submenu(self):
        self.start()
        # "i" is no item of the main popup; in the Setting submenu it opens the interval dialog.
        self.session.click(3, hold=0.15)
        time.sleep(0.7)
        self.session.tap("i")
        time.sleep(1.5)
        self.assertEqual(self.session.titled(SETTING_DIALOG), [], "a short click: main popup")
        self.session.tap("Escape")

        self.session.point_at(self.window)
        self.session.click(3, hold=0.8)
        time.sleep(0.7)
        self.session.tap("i")
        self.assertTrue(self.session.wait_titled(SETTING_DIALOG, timeout=10), "a held click: Setting submenu")
        self.session.tap("Escape")
        self.session.close_program(self.program)

    def test_hovering_the_edges_toggles_colour_key_and_opaque(self):
        # The default edge option is the vertical one: a vertical edge toggles the colour
        # key, a horizontal edge the opaque mode; a second toggle waits 1280 ms.
        self.start()
        x, y, width, height = self.session.geometry(self.window)
        time.sleep(1.5)

        def hover(px, py):
            self.session.xdotool("mousemove", str(px), str(py))
            time.sleep(0.3)
            self.session.xdotool("mousemove", str(x + width // 2), str(y + height // 2))
            time.sleep(0.3)

        hover(x + 1, y + height // 2)  # left edge: colour key on
        hover(x + width - 2, y + height // 2)  # right edge, too soon: nothing
        time.sleep(1.5)
        hover(x + width // 2, y + height - 2)  # bottom edge: opaque on
        self.assertEqual(self.saved_modes(), MODE_COLORKEY | MODE_OPAQUE)


if __name__ == "__main__":
    main()
