"""The real program reads its settings file at start and writes it when its
window is closed: beside itself, or at the path the command line names."""
import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import LOADER, SETTINGS_SIZE, SessionTest, default_settings, main, settings_image, wine_env  # noqa: E402

OFFSET_PLOT = 48
OFFSET_FONT_SETTING = 52
OFFSET_FONT_HEIGHT = 160


class FirstStart(SessionTest):
    exe_name = "GRAPH.EXE"
    folder_name = "My Tools"  # a blank in the path: Wine quotes the program's path

    def test_writes_a_file_named_after_the_program(self):
        program = self.session.start()
        self.session.wait_window()
        self.assertEqual(self.session.message_boxes(), [], "a folder that can be written: nothing to say")
        self.session.close_program(program)  # a box at the save would hold the program past the time
        self.assertEqual(sorted(os.listdir(self.session.folder)), ["GRAPH.EXE", "GRAPH.qnf"])
        saved = self.session.read_settings("GRAPH.qnf")
        self.assertEqual(len(saved), SETTINGS_SIZE)
        self.assertEqual(saved[:20], default_settings()[:20])      # rectangle and options
        self.assertEqual(saved[44:], default_settings()[44:])      # settings, colours, font
        self.assertNotEqual(struct.unpack_from("<H", saved, 28)[0], 0)  # the first start stamped a reset


class StoredFile(SessionTest):
    def run_once(self, *args):
        program = self.session.start(*args)
        self.session.wait_window()
        self.session.close_program(program)

    def test_longer_file_keeps_its_tail_and_a_bad_setting_is_repaired(self):
        image = bytearray(settings_image(total=777))
        struct.pack_into("<I", image, OFFSET_PLOT, 0)  # a plot count no dialog allows
        tail = bytes(range(80))
        self.session.write_settings(bytes(image) + tail)
        self.run_once()
        saved = self.session.read_settings()
        self.assertEqual(len(saved), SETTINGS_SIZE + len(tail))
        self.assertEqual(struct.unpack_from("<I", saved, OFFSET_PLOT)[0], 32)
        self.assertEqual(saved[SETTINGS_SIZE:], tail)

    def test_damaged_file_starts_with_defaults(self):
        self.session.write_settings(settings_image(rect=(300, 300, 400, 400), options=0x1FF))
        program = self.session.start()
        window = self.session.wait_window()
        self.assertEqual(self.session.geometry(window), (10, 10, 350, 200))
        self.session.close_program(program)
        self.assertEqual(self.session.read_settings()[:20], default_settings()[:20])

    def test_settings_path_on_the_command_line(self):
        self.session.write_settings(settings_image(rect=(70, 80, 470, 320)), "other.qnf")
        program = self.session.start("/" + self.session.windows_path("other.qnf"))
        window = self.session.wait_window()
        self.assertEqual(self.session.geometry(window)[:2], (70, 80))
        self.session.close_program(program)
        self.assertEqual(len(self.session.read_settings("other.qnf")), SETTINGS_SIZE)
        self.assertFalse(os.path.exists(self.session.path("Velnorid.qnf")))

    def test_a_file_held_at_start_or_not_ours_is_left_as_it_is_and_said_once(self):
        for name, contents, held in (("Velnorid.qnf", settings_image(total=777), True),
                                     ("notes.txt", b"my own notes\r\n" * 71 + b"end.\r\n", False)):
            self.session.write_settings(contents, name)
            holder = self.session.hold(name, 8000) if held else None
            program = self.session.start(*(() if held else ("/" + self.session.windows_path(name),)))
            self.session.wait_window()
            text = self.session.wait_message_box()
            self.assertIn(self.session.windows_path(name), text.split("\n"))
            self.session.dismiss()
            if holder:
                holder.wait(timeout=30)
            self.session.close_program(program)
            self.assertEqual(self.session.read_settings(name), contents, name)

    def test_started_by_name_from_a_prompt_it_keeps_the_file_beside_itself(self):
        elsewhere = os.path.join(self.session.root, "elsewhere")
        os.makedirs(elsewhere)
        self.session.start_display()
        env = dict(wine_env(self.session.display), WINEPATH=self.session.windows_path("")[:-1])
        prompt = subprocess.Popen([*self.session.inside, LOADER, "cmd", "/c", "Velnorid.exe"], env=env, cwd=elsewhere,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.session.processes.append(prompt)
        self.session.wait_window()
        self.session.close_program(prompt)
        self.assertEqual(os.listdir(elsewhere), [])
        self.assertEqual(len(self.session.read_settings()), SETTINGS_SIZE)

    def test_font_heights_kept_whatever_the_run_s_dpi(self):
        """20 points, the font picker's largest size, are 40 pixels at 144 dpi: that height
        survives a restart on a screen the program is told is 96 dpi (as Windows tells a
        program started without DPI awareness), and a taller one than any scaling gives
        (20 points at 480 dpi, 133 pixels) comes down to that."""
        for stored, kept in ((-40, -40), (-200, -133)):
            image = bytearray(settings_image())
            struct.pack_into("<i", image, OFFSET_FONT_HEIGHT, stored)
            self.session.write_settings(bytes(image))
            self.run_once("/v")
            saved = self.session.read_settings()
            self.assertEqual(struct.unpack_from("<i", saved, OFFSET_FONT_HEIGHT)[0], kept, stored)
            self.assertEqual(struct.unpack_from("<I", saved, OFFSET_FONT_SETTING)[0] & 0xFF, -kept, stored)


if __name__ == "__main__":
    main()
