"""Where the settings file cannot be written, the real program says so once,
in a box of its own that names the file, gives the system's reason and says
what to do, and goes on or ends cleanly once the box is answered: a folder
that cannot be written (a read-only mount, which root cannot write either) is
known at start, a full disk at the first save.

Needs root to mount; without it the test reports itself skipped."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import SessionTest, main  # noqa: E402

SKIPPED = 77


def mount(*args):
    subprocess.run(["mount", *args], check=True, capture_output=True, timeout=30)


def unmount(folder):
    subprocess.run(["umount", "-l", folder], capture_output=True, timeout=30)


class UnwritableSettings(SessionTest):
    def mounted(self, folder, *args):
        mount(*args, folder)
        self.addCleanup(unmount, folder)  # before the session's folder goes

    def assert_says_where_why_and_what(self, text, windows_name):
        lines = text.split("\n")
        self.assertIn(windows_name, lines, text)
        reason = lines[lines.index(windows_name) + 2]
        self.assertTrue(reason and not reason.startswith("Error "), f"the system's own words: {text}")
        self.assertIn("/C:\\", text, "a settings path the user can name")

    def test_a_folder_that_cannot_be_written_is_said_at_start_and_only_then(self):
        folder = self.session.folder
        self.mounted(folder, "--bind", folder)
        mount("-o", "remount,bind,ro", folder)
        program = self.session.start()
        self.session.wait_window()
        text = self.session.wait_message_box()
        self.assert_says_where_why_and_what(text, self.session.windows_path("Velnorid.qnf"))
        self.session.dismiss()
        time.sleep(2)
        self.assertIsNone(program.poll(), "the program goes on")
        self.assertTrue(self.session.windows())
        self.session.close_program(program)  # a second box at the failed save would hold it past the time
        self.assertEqual(program.returncode, 0)
        self.assertEqual(os.listdir(folder), ["Velnorid.exe"])

    def test_a_full_disk_is_said_at_the_save_that_fails(self):
        full = os.path.join(self.session.root, "full")
        os.makedirs(full)
        self.mounted(full, "-t", "tmpfs", "-o", "size=64k", "tmpfs")
        with open(os.path.join(full, "filler"), "wb", buffering=0) as f:
            try:
                while True:
                    f.write(bytes(4096))
            except OSError:
                pass
        name = "Z:" + full.replace("/", "\\") + "\\v.qnf"
        program = self.session.start("/" + name)
        self.session.wait_window()
        time.sleep(1)
        self.assertEqual(self.session.message_boxes(), [], "nothing is lost yet: nothing to say")
        self.session.ask_to_close()
        text = self.session.wait_message_box()
        self.assert_says_where_why_and_what(text, name)
        self.assertIsNone(program.poll(), "the box waits for the user")
        self.assertEqual(self.session.system_event("logoff"), 0, "a logoff while the box is open is agreed to")
        self.session.dismiss()
        program.wait(timeout=30)
        self.assertEqual(program.returncode, 0)


if __name__ == "__main__":
    if os.geteuid() != 0:
        print("SKIPPED: a read-only folder and a full disk need root to mount")
        sys.exit(SKIPPED)
    main()
