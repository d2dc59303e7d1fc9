"""Runs the real Velnorid.exe under Wine for end-to-end tests.

One Wine prefix is shared by all tests of a run (its first start is slow);
each test gets its own virtual X display and its own folder for the program
and its files. Everything a session starts is ended when it closes, also
when the test fails, and everything it leaves, Wine's own temporary files
included, lives in one folder of the test process that goes when it ends.
"""
import atexit
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
# The program's architecture (32, 64 or arm64) picks the Wine that runs it.
ARCH = os.environ.get("VELNORID_WINE_ARCH", "32")
WINE_SH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "wine.sh")
# The test program that sends the window what Windows sends on suspend, resume and device changes.
SYSTEM_EVENT = os.environ.get("VELNORID_SYSTEM_EVENT", "")
# The test program that reads the text of the message boxes shown.
MESSAGE_BOXES = os.environ.get("VELNORID_MESSAGE_BOXES", "")
# The test program that holds a file without sharing for a while.
HOLD_FILE = os.environ.get("VELNORID_HOLD_FILE", "")
# The caption of the box that says the settings file cannot be written.
UNSAVED_CAPTION = "Velnorid: settings not saved"


# Wine has neither of the Japanese fonts the program names: the readouts' MS
# Gothic (IPAGothic has its metrics, half-width glyphs half an em wide) and
# the setting dialog's MS UI Gothic, without which the prompts show as boxes.
FONT_REPLACEMENTS = {"MS Gothic": "IPAGothic", "MS UI Gothic": "IPAPGothic"}


class Wine:
    """One Wine and its prefix. Its loader and server are called directly, as scripts/wine.sh
    names them. The arm64 one runs in the arm64 Debian root through qemu-user: chrooted, with
    /proc, /sys (the network namespace's) and /dev in a mount namespace of its own, whose
    mounts go with its last process. Its prefix lies in the root, and this machine's paths of
    the files in the root name them inside it too (scripts/arm64-root.sh makes it so)."""

    def __init__(self, arch, prefix):
        self.arch = arch
        self.loader, self.server, root = subprocess.run(
            ["bash", "-c", 'source "$0" && wine_loader "$1" && wine_server "$1" && arm64_root', WINE_SH, arch],
            capture_output=True, text=True, check=True).stdout.split()
        self.root = root if arch == "arm64" else None
        self.enter = []
        if self.root:
            if not os.path.exists(self.root + self.loader):
                sys.exit(f"The arm64 root {self.root} with its Wine is not there: scripts/arm64-root.sh makes it "
                         "(scripts/test.sh runs it) or says why it cannot.")
            self.enter = ["unshare", "--mount", "sh", "-c", 'for d in proc sys dev; do mount --rbind "/$d" "$0/$d"; '
                          'done; exec chroot "$0" "$@"', self.root]
            prefix = self.root + prefix
        self.prefix = prefix

    def command(self, *args):
        return [*self.enter, self.loader, *args]

    def server_command(self, *args):
        return [*self.enter, self.server, *args]

    def env(self, display=None):
        env = dict(os.environ, WINEPREFIX=self.prefix, WINELOADER=self.loader, WINESERVER=self.server,
                   WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        if display:
            env["DISPLAY"] = display
        else:
            env.pop("DISPLAY", None)
        return env

    def runs(self):
        """Whether this machine executes the loader at all (some run no i386 code)."""
        try:
            return subprocess.run(self.command("--version"), capture_output=True, timeout=60).returncode == 0
        except OSError:
            return False

    def prepare(self):
        """Creates the shared Wine prefix once; later calls find it ready."""
        if os.path.exists(os.path.join(self.prefix, "system.reg")):
            return
        if not self.runs():
            sys.exit(f"{self.loader} does not start in {self.root}: the chroot and its mounts need root, and the "
                     "kernel qemu-aarch64 through binfmt_misc (scripts/arm64-root.sh sets that up)." if self.root else
                     f"{self.loader} does not run on this machine: it executes no {self.arch}-bit code. "
                     "Run the end-to-end tests of the other build (scripts/test.sh chooses).")
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        subprocess.run(self.command("wineboot", "-i"), env=self.env(), check=True, timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for font, replacement in FONT_REPLACEMENTS.items():
            subprocess.run(self.command("reg", "add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", font,
                                        "/t", "REG_SZ", "/d", replacement, "/f"), env=self.env(), check=True,
                           timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(self.server_command("-w"), env=self.env(), timeout=120)


WINE = Wine(ARCH, PREFIX)
LOADER, SERVER, wine_env = WINE.loader, WINE.server, WINE.env
# The temporary folder of this test process and of every program it starts
# (in the arm64 root when there is one): Wine keeps its server's socket there,
# and the sessions their folders.
RUN_FOLDER = tempfile.mkdtemp(prefix="velnorid-e2e-", dir=WINE.root and WINE.root + "/tmp")
atexit.register(shutil.rmtree, RUN_FOLDER, True)
os.environ["TMPDIR"] = tempfile.tempdir = RUN_FOLDER


class WineSession:
    """A folder holding a copy of the program, a display, and the Wine processes started in it."""

    def __init__(self, exe_name="Velnorid.exe", folder_name="program", netns=None, program=None, wine=WINE):
        self.wine = wine
        wine.prepare()
        # Everything of the session runs in this network namespace when one is given.
        self.inside = ["ip", "netns", "exec", netns] if netns else []
        self.root = tempfile.mkdtemp(prefix="session-")
        self.folder = os.path.join(self.root, folder_name)
        os.makedirs(self.folder)
        self.exe = os.path.join(self.folder, exe_name)
        shutil.copy(program or EXE, self.exe)
        # Test programs that Wine in the root runs are copied into it, beside the program's folder.
        self.system_event_exe = shutil.copy(SYSTEM_EVENT, self.root) if wine.root else SYSTEM_EVENT
        self.xvfb = None
        self.display = None
        self.processes = []

    def start_display(self):
        read_end, write_end = os.pipe()
        # Clients reach it through its abstract socket: no folder is made for it in /tmp.
        self.xvfb = subprocess.Popen([*self.inside, "Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                                      "-nolisten", "tcp", "-nolisten", "unix"], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            self.display = ":" + pipe.readline().strip()

    def in_wine(self, *args):
        """A command line of the session's Wine loader."""
        return [*self.inside, *self.wine.command(*args)]

    def run(self, *args, timeout=60):
        """Runs the program to its end and returns its exit code."""
        return subprocess.run(self.in_wine(self.exe, *args), env=self.wine.env(self.display), cwd=self.folder,
                              timeout=timeout, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode

    def start(self, *args, exe=None):
        """Starts the program (or another one of the session's) and leaves it running."""
        if not self.display:
            self.start_display()
        p = subprocess.Popen(self.in_wine(exe or self.exe, *args), env=self.wine.env(self.display), cwd=self.folder,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(p)
        return p

    def xdotool(self, *args):
        r = subprocess.run([*self.inside, "xdotool", *args], env=wine_env(self.display), capture_output=True, text=True,
                           timeout=30)
        return r.stdout.split()

    def windows(self):
        """The program's main windows on this display."""
        return self.xdotool("search", "--name", "^Velnorid$")

    def wait_window(self, timeout=30):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.windows()
            if found:
                time.sleep(0.5)  # let it paint
                return found[0]
            time.sleep(0.2)
        raise AssertionError("no Velnorid window appeared; " + self.what_runs())

    def what_runs(self):
        """What the display shows and how the programs of the session ended, for a failure to tell."""
        shown = [" ".join(self.xdotool("getwindowname", w)) for w in self.xdotool("search", "--onlyvisible", "--name", "")]
        return f"shown: {shown}; exit codes: {[p.poll() for p in self.processes]}"

    def titled(self, title):
        """The shown windows of this title (Wine may leave a closed dialog's window unmapped)."""
        return self.xdotool("search", "--onlyvisible", "--name", title)

    def wait_titled(self, title, timeout=20):
        """The shown windows of this title once there are some, or [] when the time is up."""
        deadline = time.time() + timeout
        while not self.titled(title) and time.time() < deadline:
            time.sleep(0.3)
        return self.titled(title)

    def wait_gone(self, title, timeout=10):
        """The windows of this title still shown when they are gone or the time is up (Wine hides late)."""
        deadline = time.time() + timeout
        while self.titled(title) and time.time() < deadline:
            time.sleep(0.3)
        return self.titled(title)

    def picture(self, window):
        """The window's pixels as the display shows them, row by row."""
        x, y, width, height = self.geometry(window)
        shot = self.screenshot()
        return [shot.pixel(px, py) for py in range(y, y + height) for px in range(x, x + width)]

    def geometry(self, window):
        """(x, y, width, height) of a window."""
        values = dict(v.split("=") for v in self.xdotool("getwindowgeometry", "--shell", window))
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def point_at(self, window):
        """Puts the pointer inside the window's client area: keys go to the window under it."""
        x, y, width, height = self.geometry(window)
        self.xdotool("mousemove", str(x + width // 2), str(y + height // 2))
        time.sleep(0.2)

    def tap(self, key, hold=0.1):
        """A real key press held long enough to count as a tap (47 to 640 ms)."""
        self.xdotool("keydown", key)
        time.sleep(hold)
        self.xdotool("keyup", key)
        time.sleep(0.3)

    def click(self, button, hold=0.1):
        """A real click of a mouse button where the pointer stands."""
        self.xdotool("mousedown", str(button))
        time.sleep(hold)
        self.xdotool("mouseup", str(button))
        time.sleep(0.3)

    def system_event(self, word):
        """Sends the window "suspend", "resume", "devices" or "close" as Windows would; 0 when it took them all."""
        return subprocess.run(self.in_wine(self.system_event_exe, word), env=self.wine.env(self.display), timeout=60,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode

    def message_boxes(self, caption=UNSAVED_CAPTION):
        """The texts of the message boxes of this caption now shown."""
        r = subprocess.run(self.in_wine(MESSAGE_BOXES, caption), env=self.wine.env(self.display), timeout=60,
                           capture_output=True)
        texts = r.stdout.decode(errors="replace").replace("\r\n", "\n").split("\n\f\n")[:-1]
        assert len(texts) == r.returncode, (r.returncode, texts)
        return texts

    def wait_message_box(self, caption=UNSAVED_CAPTION, timeout=20):
        """The text of the one box of this caption once it is shown."""
        self.wait_titled(caption, timeout)
        texts = self.message_boxes(caption)
        assert len(texts) == 1, texts
        return texts[0]

    def dismiss(self, caption=UNSAVED_CAPTION):
        """Presses Return in the box of this caption, as a user answers it."""
        box = self.titled(caption)[0]
        self.point_at(box)
        self.xdotool("key", "Return")
        assert not self.wait_gone(caption), "the box went away"

    def put_on_clipboard(self, text):
        """Text on the X clipboard, served until another program takes it over."""
        p = subprocess.Popen([*self.inside, "xclip", "-i", "-selection", "clipboard", "-quiet"], stdin=subprocess.PIPE,
                             env=wine_env(self.display), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        p.stdin.write(text.encode())
        p.stdin.close()
        self.processes.append(p)
        time.sleep(0.3)

    def clipboard(self):
        r = subprocess.run([*self.inside, "xclip", "-o", "-selection", "clipboard"], env=wine_env(self.display),
                           capture_output=True, timeout=10)
        return r.stdout.decode(errors="replace")

    def hold(self, name, milliseconds):
        """Holds a file of the program's folder without sharing for that long, from once it returns."""
        if not self.display:  # Wine's desktop, started by the first program, needs it
            self.start_display()
        p = subprocess.Popen(self.in_wine(HOLD_FILE, str(milliseconds), self.windows_path(name)),
                             env=self.wine.env(self.display), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.processes.append(p)
        held = p.stdout.readline()
        p.stdout.close()
        assert held == b"held\n", "the file is held"
        return p

    def ask_to_close(self):
        """Asks the program to close as a user would (WM_CLOSE). Under qemu-user taskkill finds no
        process (Wine's server reads other processes through ptrace, which qemu lacks): there the
        system-event sender hands the window the message."""
        if self.wine.root:
            self.system_event("close")
            return
        subprocess.run(self.in_wine("taskkill", "/IM", os.path.basename(self.exe)), env=self.wine.env(self.display),
                       timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close_program(self, process, timeout=30):
        """Closes the program as a user would (WM_CLOSE) and waits for it to end."""
        self.ask_to_close()
        process.wait(timeout=timeout)

    def screenshot_until(self, test, timeout=10):
        """Screenshots until test(image) holds (the window may still be painting); returns the last."""
        deadline = time.time() + timeout
        while True:
            shot = self.screenshot()
            if test(shot) or time.time() > deadline:
                return shot
            time.sleep(0.3)

    def screenshot(self):
        """The whole display as an Image."""
        ppm = subprocess.run([*self.inside, "import", "-window", "root", "-depth", "8", "ppm:-"], env=wine_env(self.display),
                             capture_output=True, timeout=60, check=True).stdout
        return Image(ppm)

    def path(self, name):
        return os.path.join(self.folder, name)

    def write_settings(self, image, name="Velnorid.qnf"):
        with open(self.path(name), "wb") as f:
            f.write(image)

    def read_settings(self, name="Velnorid.qnf"):
        with open(self.path(name), "rb") as f:
            return f.read()

    def windows_path(self, name):
        """The name of a file in the program's folder as Wine's programs see it."""
        return "Z:" + self.path(name).replace("/", "\\")

    def close(self):
        for p in self.processes:
            p.kill()
        subprocess.run(self.wine.server_command("-k"), env=self.wine.env(), timeout=60)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=10)
        shutil.rmtree(self.root, ignore_errors=True)


class Image:
    """A screenshot: pixels as (r, g, b) from a binary PPM."""

    def __init__(self, ppm):
        fields, at = [], 0
        while len(fields) < 4:  # magic, width, height, maximum
            while ppm[at:at + 1].isspace():
                at += 1
            end = at
            while not ppm[end:end + 1].isspace():
                end += 1
            fields.append(ppm[at:end])
            at = end
        self.width, self.height = int(fields[1]), int(fields[2])
        assert fields[3] == b"255", "8-bit samples expected"
        self.pixels = ppm[at + 1:]

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])

    def count(self, colour, x0, y0, x1, y1):
        """How many pixels of the rectangle [x0, x1) x [y0, y1) have this colour."""
        return sum(self.pixel(x, y) == colour for y in range(y0, y1) for x in range(x0, x1))


def rgb(colorref):
    """A COLORREF (0x00BBGGRR) as (r, g, b)."""
    return (colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF)


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


def settings_image(rect=None, options=None, modes=None, total=None):
    """The default image with some fields changed."""
    image = bytearray(default_settings())
    if rect:
        struct.pack_into("<4i", image, 0, *rect)
    if options is not None:
        struct.pack_into("<I", image, 16, options)
    if total is not None:
        struct.pack_into("<I", image, 20, total)
    if modes is not None:
        struct.pack_into("<I", image, 32, modes)
    return bytes(image)


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--prepare":
        where = f" in {WINE.root} through qemu-user" if WINE.root else ""
        print(f"Wine: {os.path.basename(EXE)} ({dict(zip(('32', '64'), ('i386', 'x86_64'))).get(ARCH, ARCH)}) "
              f"under {LOADER}{where}, prefix {WINE.prefix}")
        WINE.prepare()
        return
    unittest.main(module="__main__", verbosity=2)


if __name__ == "__main__":
    main()
