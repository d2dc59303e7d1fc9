"""The real program starts, shows its window where the settings say, paints
its picture and keeps to one instance."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import SessionTest, main, rgb, settings_image  # noqa: E402

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
        program = self.session.start()
        window = self.session.wait_window()
        rows = lambda shot: [r for r in range(10, 400)  # noqa: E731  of the Max readout, the one text in its colour
                             if PEAK_TEXT in (shot.pixel(c, r) for c in range(10, 700))]
        before = rows(self.session.screenshot_until(rows))
        self.assertEqual(self.session.system_event("dpi"), 0)  # which Wine never sends: for 144 dpi, grown by half
        self.assertEqual(self.session.geometry(window), (10, 10, 525, 300))
        after = rows(self.session.screenshot_until(lambda shot: len(rows(shot)) > len(before)))
        self.assertLessEqual(abs(len(after) - 1.5 * len(before)), 2, (before, after))  # give or take a row at each end
        self.session.close_program(program)


if __name__ == "__main__":
    main()
