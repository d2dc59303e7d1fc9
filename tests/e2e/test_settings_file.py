"""The real program reads and writes its settings file beside itself."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import SETTINGS_SIZE, SessionTest, default_settings, main  # noqa: E402

OFFSET_TOTAL_RECV = 20
OFFSET_OPTIONS = 16
OFFSET_PLOT = 48


class FirstStart(SessionTest):
    exe_name = "GRAPH.EXE"
    folder_name = "My Tools"  # a blank in the path: Wine quotes the program's path

    def test_writes_defaults_named_after_the_program(self):
        self.assertEqual(self.session.run(), 0)
        self.assertEqual(sorted(os.listdir(self.session.folder)), ["GRAPH.EXE", "GRAPH.qnf"])
        with open(self.session.path("GRAPH.qnf"), "rb") as f:
            self.assertEqual(f.read(), default_settings())


class StoredFile(SessionTest):
    def write(self, image):
        with open(self.session.path("Velnorid.qnf"), "wb") as f:
            f.write(image)

    def read(self):
        with open(self.session.path("Velnorid.qnf"), "rb") as f:
            return f.read()

    def test_longer_file_keeps_its_tail_and_bad_setting_is_repaired(self):
        image = bytearray(default_settings())
        struct.pack_into("<I", image, OFFSET_TOTAL_RECV, 777)
        struct.pack_into("<I", image, OFFSET_PLOT, 0)  # a plot count no dialog allows
        tail = bytes(range(80))
        self.write(bytes(image) + tail)
        self.assertEqual(self.session.run(), 0)
        saved = self.read()
        self.assertEqual(len(saved), SETTINGS_SIZE + len(tail))
        self.assertEqual(struct.unpack_from("<I", saved, OFFSET_TOTAL_RECV)[0], 777)
        self.assertEqual(struct.unpack_from("<I", saved, OFFSET_PLOT)[0], 32)
        self.assertEqual(saved[SETTINGS_SIZE:], tail)

    def test_file_failing_the_header_check_is_replaced_by_defaults(self):
        image = bytearray(default_settings())
        struct.pack_into("<I", image, OFFSET_OPTIONS, 256)
        struct.pack_into("<I", image, OFFSET_TOTAL_RECV, 777)
        self.write(bytes(image))
        self.assertEqual(self.session.run(), 0)
        self.assertEqual(self.read(), default_settings())


if __name__ == "__main__":
    main()
