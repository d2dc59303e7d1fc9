"""A user's controls on the real program: the popup menu with its mnemonics,
the copy key with the real clipboard, the opacity arrows and the freeze key."""
import os
import re
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import SETTINGS_SIZE, SessionTest, main, settings_image  # noqa: E402

READOUT_TABLE = re.compile(r"^Rcv +[\d,]+ KB\tMax +[\d,]+ B/s\nSnt +[\d,]+ KB\tAve +[\d,]+ B/s$")


class Controls(SessionTest):
    def start(self, image=None):
        if image:
            self.session.write_settings(image)
        self.program = self.session.start()
        self.window = self.session.wait_window()
        self.session.point_at(self.window)

    def picture(self):
        return self.session.picture(self.window)

    def test_right_click_opens_the_menu_and_exit_saves_and_ends(self):
        self.start()
        self.session.click(3)
        time.sleep(0.7)  # the menu opens
        self.session.tap("x")  # "E&xit"
        self.program.wait(timeout=30)
        self.assertEqual(len(self.session.read_settings()), SETTINGS_SIZE)

    def test_alt_f4_closes_and_saves(self):
        self.start(settings_image(rect=(30, 40, 380, 240)))
        self.session.xdotool("key", "alt+F4")
        self.program.wait(timeout=30)
        saved = self.session.read_settings()
        self.assertEqual(len(saved), SETTINGS_SIZE)
        self.assertEqual(struct.unpack_from("<4i", saved, 0), (30, 40, 380, 240))

    def test_copy_key_puts_the_readouts_on_the_clipboard(self):
        self.start()
        # Under Wine the copy reaches other programs when it replaces text already there.
        self.session.put_on_clipboard("earlier text")
        self.session.tap("c")
        time.sleep(0.5)
        text = self.session.clipboard()
        self.assertRegex(text, READOUT_TABLE)
        self.session.close_program(self.program)

    def test_arrow_keys_step_the_opacity_that_is_saved(self):
        self.start()
        self.session.tap("Down")
        self.session.tap("Down")
        self.session.close_program(self.program)
        self.assertEqual(struct.unpack_from("<I", self.session.read_settings(), 56)[0], 0x800 | 60)

        self.start()
        for _ in range(5):
            self.session.tap("Up")  # the keys step no higher than 90
        self.session.close_program(self.program)
        self.assertEqual(struct.unpack_from("<I", self.session.read_settings(), 56)[0], 0x800 | 90)

    def test_space_freezes_the_picture_and_releases_it(self):
        image = bytearray(settings_image())
        struct.pack_into("<I", image, 44, 100)  # a tick every 100 ms: the guide ticks move along
        self.start(bytes(image))
        time.sleep(1.5)  # past the warm-up
        self.assertNotEqual(self.picture(), (time.sleep(0.5), self.picture())[1], "a live picture moves")
        self.session.tap("space")
        frozen = self.picture()
        time.sleep(0.8)
        self.assertEqual(self.picture(), frozen, "a frozen picture stands still")
        self.session.tap("space")
        time.sleep(0.3)
        self.assertNotEqual(self.picture(), frozen, "released, it moves again")
        self.session.close_program(self.program)


if __name__ == "__main__":
    main()
