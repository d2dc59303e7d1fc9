"""The real program starts, shows its window where the settings say, paints
its picture and keeps to one instance."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import SessionTest, default_settings, main, rgb, settings_image  # noqa: E402

BACKGROUND = rgb(0x363636)
RECV_TEXT = rgb(0x32FF64)
PEAK_TEXT = rgb(0x306CFF)


class ProgramWindow(SessionTest):
    def test_window_stands_at_the_saved_rectangle_and_paints(self):
        self.session.write_settings(settings_image(rect=(40, 50, 440, 290)))
        program = self.session.start()
        window = self.session.wait_window()
        x, y, width, height = self.session.geometry(window)
        self.assertEqual((x, y, width, height), (40, 50, 400, 240))

        inner = (width - 20) * (height - 20)
        shot = self.session.screenshot_until(
            lambda s: s.count(BACKGROUND, x + 10, y + 10, x + width - 10, y + height - 10) > inner * 3 // 4)
        self.assertGreater(shot.count(BACKGROUND, x + 10, y + 10, x + width - 10, y + height - 10), inner * 3 // 4)
        self.assertGreater(shot.count(RECV_TEXT, x, y, x + width // 2, y + 30), 20, "the Rcv readout")
        self.assertGreater(shot.count(PEAK_TEXT, x + width // 2, y, x + width, y + 30), 20, "the Max readout")
        self.session.close_program(program)

    def test_second_start_leaves_one_window(self):
        program = self.session.start()
        self.session.wait_window()
        self.assertEqual(self.session.run(), 0)  # shows the first one and ends
        self.assertEqual(len(self.session.windows()), 1)
        self.session.close_program(program)

    def test_start_options_replace_the_modes(self):
        for option, modes in (("/J", 0), ("/T", 2)):
            self.session.write_settings(settings_image(modes=6))
            program = self.session.start(option)
            self.session.wait_window()
            self.session.close_program(program)
            saved_modes = struct.unpack_from("<I", self.session.read_settings(), 32)[0]
            self.assertEqual(saved_modes & ~1, modes, option)  # bit 0 follows activation

    def test_a_dpi_change_takes_the_suggested_rectangle_and_grows_the_text(self):
        """Wine gives every monitor the system's DPI and sends no WM_DPICHANGED: the
        test sends it for 144 dpi, with the window's rectangle grown by half."""
        program = self.session.start()
        window = self.session.wait_window()
        x, y, width, height = self.session.geometry(window)
        before = self.peak_text_height(window)
        self.assertEqual(self.session.system_event("dpi"), 0)
        self.assertEqual(self.session.geometry(window), (x, y, width * 3 // 2, height * 3 // 2))
        after = self.peak_text_height(window, before + 1)
        self.assertLessEqual(abs(after - before * 3 / 2), 2, (before, after))  # a glyph's ink rounds at either end
        self.session.close_program(program)
        saved = self.session.read_settings()
        self.assertEqual(struct.unpack_from("<4i", saved), (10, 10, 535, 310))
        self.assertEqual(saved[44:], default_settings()[44:], "the font kept in pixels at the system's DPI")

    def peak_text_height(self, window, least=1):
        """From the top to the bottom row of the Max readout, the one text in its colour."""
        x, y, width, height = self.session.geometry(window)
        def rows(shot):
            return [r for r in range(y, y + height) if any(shot.pixel(c, r) == PEAK_TEXT for c in range(x, x + width))]
        found = rows(self.session.screenshot_until(lambda shot: len(rows(shot)) >= least))
        return found[-1] - found[0] + 1 if found else 0


if __name__ == "__main__":
    main()
