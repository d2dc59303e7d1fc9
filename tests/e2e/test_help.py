"""The help file beside the real program: F1 and the Version item's second
variant open it in the system's help viewer; without it F1 opens nothing and
the Version item falls back to the About box."""
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import EXE, SessionTest, main  # noqa: E402

HELP_FILE = os.path.join(os.path.dirname(EXE), "Velnorid.chm")
VIEWER = "^Velnorid Help$"  # the title the help file gives its viewer
ABOUT = "^Velnorid " + os.environ["VELNORID_VERSION_TEXT"].replace(".", r"\.") + "$"


class HelpFile(SessionTest):
    def start(self, with_help):
        if with_help:
            self.assertTrue(os.path.isfile(HELP_FILE), f"{HELP_FILE} is missing: the build made no help file")
            shutil.copy(HELP_FILE, self.session.path("Velnorid.chm"))
        self.program = self.session.start()
        self.window = self.session.wait_window()
        self.session.point_at(self.window)

    def shown(self):
        return set(self.session.xdotool("search", "--onlyvisible", "--name", ""))

    def pick_version(self, shift):
        self.session.click(3)
        time.sleep(0.7)  # the menu opens
        if shift:
            self.session.xdotool("keydown", "shift")
        self.session.tap("v")  # "&Version"
        if shift:
            self.session.xdotool("keyup", "shift")

    def test_version_shows_the_about_box_and_f1_the_help_file(self):
        self.start(with_help=True)
        self.pick_version(shift=False)
        self.assertTrue(self.session.wait_titled(ABOUT), "the Version item shows the About box")
        self.assertEqual(self.session.titled(VIEWER), [], "and does not open the help")
        self.session.tap("Return")
        self.assertEqual(self.session.wait_gone(ABOUT), [], "Enter closes the About box")

        self.session.point_at(self.window)
        self.session.tap("F1")
        self.assertEqual(len(self.session.wait_titled(VIEWER)), 1, "the help viewer shows Velnorid.chm")
        time.sleep(1)
        self.assertEqual(self.session.titled(ABOUT), [])
        self.session.close_program(self.program)

    def test_shifted_version_opens_the_help_file_instead_of_the_about_box(self):
        self.start(with_help=True)
        self.pick_version(shift=True)
        self.assertEqual(len(self.session.wait_titled(VIEWER)), 1, "the help viewer shows Velnorid.chm")
        time.sleep(2)
        self.assertEqual(self.session.titled(ABOUT), [], "no About box once the help opened")
        self.session.close_program(self.program)

    def test_without_the_help_file_f1_opens_nothing_and_version_falls_back_to_about(self):
        self.start(with_help=False)
        before = self.shown()
        self.session.tap("F1")
        time.sleep(3)
        self.assertEqual(self.shown(), before, "F1 opens no window")

        self.pick_version(shift=True)
        self.assertTrue(self.session.wait_titled(ABOUT), "the About box shows instead of the help")
        self.assertEqual(self.session.titled(VIEWER), [])
        self.session.tap("Return")
        self.assertEqual(self.session.wait_gone(ABOUT), [], "Enter closes the About box")
        self.session.close_program(self.program)


if __name__ == "__main__":
    main()
