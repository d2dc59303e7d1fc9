"""The real program's dialogs under the platform's own controls: the setting
dialog with its arrows, range check and check boxes, the colour and font
pickers, and the About box. Each ends in what the saved settings, the
window, the picture or the clipboard show."""
import os
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import SessionTest, main, rgb, settings_image  # noqa: E402

SETTING_DIALOG = "^Enter Setting$"
ABOUT = "^Velnorid " + os.environ["VELNORID_VERSION_TEXT"].replace(".", r"\.") + "$"
INTERVAL, FONT, OPACITY, COLORS, CUSTOM_COLORS, LOG_FONT = 44, 52, 56, 60, 96, 160
SETTING_FLAG = 0x800
SCREEN = (1280, 800)


class Dialogs(SessionTest):
    def start(self, image=None, *args):
        self.session.write_settings(image or settings_image())
        self.program = self.session.start(*args)
        self.window = self.session.wait_window()
        self.session.point_at(self.window)

    def saved(self, offset, count=1):
        """Closes the program and reads words of what it saved."""
        self.session.close_program(self.program)
        return struct.unpack_from(f"<{count}I", self.session.read_settings(), offset)

    def open_setting(self, key, shift=False):
        """Opens the Setting submenu by its key and picks the item of the key."""
        self.session.point_at(self.window)
        self.session.tap("s")
        time.sleep(0.5)
        self.session.xdotool("key", ("shift+" if shift else "") + key)

    def keys(self, *names):
        for name in names:
            self.session.xdotool("key", name)
            time.sleep(0.15)

    def type(self, text):
        self.session.xdotool("type", "--delay", "80", text)
        time.sleep(0.2)

    def test_interval_arrows_step_by_ten_within_the_range_and_ok_checks_it(self):
        self.start()
        self.open_setting("i")
        self.assertTrue(self.session.wait_titled(SETTING_DIALOG))
        self.keys("Up", "Down", "Down", "Return")  # 1000 stays at the top, then 990, 980
        self.assertEqual(self.saved(INTERVAL), (980,))

        self.start(self.session.read_settings())
        self.open_setting("i")
        self.assertTrue(self.session.wait_titled(SETTING_DIALOG))
        self.keys("End", *["BackSpace"] * 4)
        self.type("79")
        self.keys("Return")
        time.sleep(1)
        self.assertTrue(self.session.titled(SETTING_DIALOG), "79 is refused and the dialog stays open")
        self.keys("Down", "Down", "Up", "Return")  # pulled up to 80, stays at 80, then 90
        self.assertEqual(self.session.wait_gone(SETTING_DIALOG), [])
        self.assertEqual(self.saved(INTERVAL), (90,))

    def test_font_and_opacity_dialogs_have_their_check_box_and_the_interval_dialog_none(self):
        self.start()
        # Backwards from the number field the next stop is the check box when it is
        # shown, else Cancel.
        self.open_setting("f")
        self.assertTrue(self.session.wait_titled(SETTING_DIALOG))
        self.keys("shift+Tab", "space", "Return")  # "Bold" ticked
        self.assertEqual(self.session.wait_gone(SETTING_DIALOG), [])
        self.open_setting("l")
        self.assertTrue(self.session.wait_titled(SETTING_DIALOG))
        self.keys("shift+Tab", "space", "Return")  # "Trans." cleared
        self.assertEqual(self.session.wait_gone(SETTING_DIALOG), [])
        self.open_setting("i")
        self.assertTrue(self.session.wait_titled(SETTING_DIALOG))
        self.keys("shift+Tab", "space")  # Cancel
        self.assertEqual(self.session.wait_gone(SETTING_DIALOG), [], "no check box in the interval dialog")
        self.session.close_program(self.program)
        settings = self.session.read_settings()
        self.assertEqual(struct.unpack_from("<4I", settings, INTERVAL), (1000, 32, SETTING_FLAG | 17, 80))
        self.assertEqual(struct.unpack_from("<iiiii", settings, LOG_FONT)[::4], (-17, 700), "a bold font built")

    def test_colour_picker_stores_the_colour_and_the_custom_colour(self):
        self.start()
        self.open_setting("b")
        self.assertTrue(self.session.wait_titled("^Back Color$"), "the picker has the colour's caption")
        self.type("200")  # red, then green and blue
        self.keys("Tab")
        self.type("100")
        self.keys("Tab")
        self.type("50")
        self.keys("alt+a", "Return")  # "&Add to Custom Colors", OK
        x, y, width, height = self.session.geometry(self.window)
        spot = (x + width // 2, y + height - 30)  # the graph's background
        shot = self.session.screenshot_until(lambda s: s.pixel(*spot) == (200, 100, 50))
        self.assertEqual(shot.pixel(*spot), (200, 100, 50), "the window shows the new background")
        picked = 0x3264C8
        colors = self.saved(COLORS, 9 + 16)
        default = struct.unpack_from("<25I", settings_image(), COLORS)
        self.assertEqual(colors[0], picked)
        self.assertEqual(colors[9], picked, "the first custom colour replaced in place")
        self.assertEqual(colors[1:9] + colors[10:], default[1:9] + default[10:])
        self.assertEqual(rgb(picked), (200, 100, 50))

    def test_font_picker_stores_a_bold_pick(self):
        self.start()
        self.open_setting("f", shift=True)
        self.assertTrue(self.session.wait_titled("^Select Font$"), "the picker has the program's caption")
        self.keys("alt+y", "Down", "Down", "Return")  # style Regular, Italic, Bold; OK
        time.sleep(0.5)
        self.session.close_program(self.program)
        settings = self.session.read_settings()
        height, weight = struct.unpack_from("<iiiii", settings, LOG_FONT)[::4]
        self.assertEqual(weight, 700)
        self.assertEqual(struct.unpack_from("<I", settings, FONT)[0], SETTING_FLAG | abs(height))
        self.assertTrue(settings[LOG_FONT + 28:LOG_FONT + 60].rstrip(b"\0"), "a face name")

    def about_box(self):
        """Opens the About box from the menu, closes it with Enter and gives its geometry."""
        self.session.click(3)
        time.sleep(0.7)
        self.session.tap("v")  # "&Version"
        found = self.session.wait_titled(ABOUT)
        self.assertTrue(found)
        time.sleep(0.5)  # placed once shown
        geometry = self.session.geometry(found[0])
        self.keys("Return")
        return geometry

    def test_about_box_opens_at_the_window_on_screen_and_tells_the_settings_file(self):
        # Wine's message box offers no copy of its text: the two texts are told apart by
        # their width, two short lines against one long path.
        self.start(settings_image(rect=(400, 300, 750, 500)))
        x, y, about_width, _ = self.about_box()
        # The box's window is placed 3 right of and 5 below the window's corner; its client
        # area, which the display shows, lies within the frame and caption.
        self.assertTrue(403 <= x <= 403 + 8 and 305 <= y <= 305 + 40, (x, y))
        self.session.close_program(self.program)

        # In the screen's bottom right corner the box would not fit there.
        self.session.write_settings(settings_image(rect=(920, 590, 1270, 790)), "work.qnf")
        self.start(None, "/" + self.session.windows_path("work.qnf"))
        x, y, path_width, path_height = self.about_box()
        self.assertLessEqual(x + path_width, SCREEN[0])
        self.assertLessEqual(y + path_height, SCREEN[1])
        self.assertGreater(path_width, about_width, "the long settings path")
        self.session.close_program(self.program)


if __name__ == "__main__":
    main()
