"""Runs the real Velnorid.exe under Wine for end-to-end tests.

One Wine prefix is shared by all tests of a run (its first start is slow);
each test gets its own virtual X display and its own folder for the program
and its files. Everything a session starts is ended when it closes, also
when the test fails.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

EXE = os.environ.get("VELNORID_EXE", "")
PREFIX = os.environ.get("VELNORID_WINEPREFIX", os.path.join(tempfile.gettempdir(), "velnorid-wineprefix"))


def wine_env(display=None):
    env = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    return env


def prepare_prefix():
    """Creates the shared Wine prefix once; later calls find it ready."""
    if os.path.exists(os.path.join(PREFIX, "system.reg")):
        return
    subprocess.run(["wineboot", "-i"], env=wine_env(), check=True, timeout=300,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=wine_env(), timeout=120)


class WineSession:
    """A folder holding a copy of the program, a display, and the Wine processes started in it."""

    def __init__(self, exe_name="Velnorid.exe", folder_name="program"):
        prepare_prefix()
        self.root = tempfile.mkdtemp(prefix="velnorid-e2e-")
        self.folder = os.path.join(self.root, folder_name)
        os.makedirs(self.folder)
        self.exe = os.path.join(self.folder, exe_name)
        shutil.copy(EXE, self.exe)
        self.xvfb = None
        self.display = None
        self.processes = []

    def start_display(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                                      "-nolisten", "tcp"], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            self.display = ":" + pipe.readline().strip()

    def run(self, *args, timeout=60):
        """Runs the program to its end and returns its exit code."""
        return subprocess.run(["wine", self.exe, *args], env=wine_env(self.display), cwd=self.folder,
                              timeout=timeout, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode

    def path(self, name):
        return os.path.join(self.folder, name)

    def close(self):
        for p in self.processes:
            p.kill()
        subprocess.run(["wineserver", "-k"], env=wine_env(), timeout=60)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=10)
        shutil.rmtree(self.root, ignore_errors=True)


class SessionTest(unittest.TestCase):
    """A test case with a fresh session in self.session."""
    exe_name = "Velnorid.exe"
    folder_name = "program"

    def setUp(self):
        self.session = WineSession(self.exe_name, self.folder_name)
        self.addCleanup(self.session.close)


# ---- The settings file, as other programs see it ----
SETTINGS_SIZE = 220


def default_settings():
    """The 220 bytes a first start writes."""
    image = struct.pack("<4iI2I2H3I", 10, 10, 360, 210, 0x2D, 0, 0, 0, 0, 1, 127, 0)
    image += struct.pack("<4I", 1000, 32, 17, 0x850)
    image += struct.pack("<9I", 0x363636, 0x32FF64, 0xFFC864, 0x00FFFF, 0xF0F0F0,
                         0x32FF64, 0xFFC864, 0x306CFF, 0x00FFFF)
    image += struct.pack("<16I", 0x32FF64, 0xFFC864, 0x00FFFF, 0xF0F0F0,
                         0x32FF64, 0xFFC864, 0x306CFF, 0x00FFFF, *[0] * 8)
    image += struct.pack("<5i8B32s", -17, 0, 0, 0, 400, 0, 0, 0, 0, 3, 2, 1, 0x31, b"MS Gothic")
    assert len(image) == SETTINGS_SIZE
    return image


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--prepare":
        prepare_prefix()
        return
    unittest.main(module="__main__", verbosity=2)
