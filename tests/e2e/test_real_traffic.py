"""Real traffic, seen only from outside: two network namespaces joined by a
veth pair (addresses from the benchmarking range 198.18.0.0/15), the whole
Wine session of the program in one of them, a known amount of UDP sent from
the other. The program must pick the veth end by itself, count what the
kernel counted, copy the same readouts, and draw the traffic.

Needs root for the namespaces; without it the test reports itself skipped."""
import os
import json
import re
import shutil
import signal
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import SERVER, SETTINGS_SIZE, SessionTest, WineSession, main, rgb, settings_image, wine_env  # noqa: E402

SKIPPED = 77  # ctest's skip code for this test
PROGRAM_NS, PEER_NS = f"velnorid-a{os.getpid()}", f"velnorid-b{os.getpid()}"
PROGRAM_END, PEER_END = "velnorid0", "velnorid1"
PROGRAM_ADDRESS, PEER_ADDRESS = "198.18.0.1", "198.18.0.2"
BURSTS = 4
BURST_DATAGRAMS = 1498  # 1,400-byte datagrams: about 2 MiB of payload a burst, 8 MiB in all
DATAGRAM = 1400
WIRE_OVERHEAD = 14 + 20 + 8  # Ethernet, IPv4 and UDP headers, as the kernel counts bytes on a veth
BURST_GAP = 1.5  # seconds: each burst falls into one or two one-second intervals of its own

BACKGROUND, GUIDE, RECV_GRAPH = rgb(0x363636), rgb(0xF0F0F0), rgb(0x32FF64)
FONT_PX = 17

SENDER = """
import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
payload = b"v" * int(sys.argv[2])
for n in range(int(sys.argv[1])):
    s.sendto(payload, (sys.argv[3], 9))
    if n % 100 == 99:
        time.sleep(0.002)  # stays within the receiving backlog
"""


def ip(*args, check=True):
    return subprocess.run(["ip", *args], check=check, capture_output=True, text=True, timeout=30)


class NetworkPair:
    """Two namespaces joined by a veth pair; IPv6 off so that the link stays quiet."""

    def __init__(self):
        ip("netns", "add", PROGRAM_NS)
        ip("netns", "add", PEER_NS)
        for ns in (PROGRAM_NS, PEER_NS):
            ip("-n", ns, "link", "set", "lo", "up")
        self.add_pair(PROGRAM_END, PEER_END, PROGRAM_ADDRESS, PEER_ADDRESS)

    @classmethod
    def add_pair(cls, program_end, peer_end, program_address, peer_address, index=None):
        """A veth pair between the two namespaces, each end up with its address; the
        program's end with the interface index given, or the next free one."""
        ip("link", "add", program_end, *(["index", str(index)] if index else []), "netns", PROGRAM_NS, "type", "veth",
           "peer", "name", peer_end, "netns", PEER_NS)
        for ns, end, address in ((PROGRAM_NS, program_end, program_address), (PEER_NS, peer_end, peer_address)):
            cls.run(ns, "sysctl", "-q", "-w", f"net.ipv6.conf.{end}.disable_ipv6=1")
            ip("-n", ns, "addr", "add", f"{address}/24", "dev", end)
            ip("-n", ns, "link", "set", end, "up")

    @staticmethod
    def run(ns, *command):
        return subprocess.run(["ip", "netns", "exec", ns, *command], check=True, capture_output=True, text=True,
                              timeout=120)

    def received_bytes(self, end=PROGRAM_END, direction="rx"):
        """The kernel's own count of bytes received (or sent) on an end in the program's namespace."""
        return int(self.run(PROGRAM_NS, "cat", f"/sys/class/net/{end}/statistics/{direction}_bytes").stdout)

    def send_burst(self, to=PROGRAM_ADDRESS, source_ns=PEER_NS):
        self.run(source_ns, sys.executable, "-c", SENDER, str(BURST_DATAGRAMS), str(DATAGRAM), to)

    @staticmethod
    def remove():
        for ns in (PROGRAM_NS, PEER_NS):
            ip("netns", "del", ns, check=False)


def client_area(shot, x, y, width, height):
    """The client rectangle inside the window's frame, which is as wide on every side:
    the frame ends where the background begins on a row through the middle."""
    middle = y + height // 2
    frame = next(px for px in range(x, x + width) if shot.pixel(px, middle) == BACKGROUND) - x
    return x + frame, y + frame, width - 2 * frame, height - 2 * frame


def guide_rows(client_height):
    """Rows of the two guide lines, as the painter's geometry places them."""
    bottom = client_height - 1
    t = bottom - 2 * FONT_PX - 8
    t = bottom if t <= 31 else t & ~1
    return bottom - (t >> 1), bottom - t


class TrafficTest(SessionTest):
    """A test case with a network pair in self.network and a session in its program's namespace."""

    def setUp(self):
        self.addCleanup(NetworkPair.remove)
        self.network = NetworkPair()
        self.session = WineSession(netns=PROGRAM_NS)
        self.addCleanup(self.session.close)

    def copied_readouts(self, window):
        """Rcv, Max, Snt and Ave as the copy key puts them on the clipboard."""
        self.session.point_at(window)
        self.session.put_on_clipboard("earlier text")
        self.session.tap("c")
        time.sleep(0.5)
        copied = self.session.clipboard()
        numbers = re.match(r"Rcv +([\d,]+) KB\tMax +([\d,]+) B/s\nSnt +([\d,]+) KB\tAve +([\d,]+) B/s$", copied)
        self.assertIsNotNone(numbers, copied)
        return [int(n.replace(",", "")) for n in numbers.groups()]


class RealTraffic(TrafficTest):

    def test_counts_copies_and_draws_real_traffic(self):
        program = self.session.start()
        window = self.session.wait_window()
        time.sleep(2.5)  # the first reading only takes the baselines
        for burst in range(BURSTS):
            self.network.send_burst()
            time.sleep(BURST_GAP)
        time.sleep(2.5)
        received = self.network.received_bytes()
        burst_bytes = BURST_DATAGRAMS * (DATAGRAM + WIRE_OVERHEAD)
        self.assertGreaterEqual(received, BURSTS * burst_bytes)

        # The picture: background, both guide lines, the received graph below the readouts.
        x, y, width, height = self.session.geometry(window)
        shot = self.session.screenshot()
        cx, cy, cw, ch = client_area(shot, x, y, width, height)
        for row in guide_rows(ch):
            on_guide = shot.count(GUIDE, cx, cy + row, cx + cw, cy + row + 1)
            self.assertGreater(on_guide, cw * 3 // 4, f"guide line at client row {row}")
        graph_top = cy + 2 * FONT_PX + 8
        self.assertGreater(shot.count(RECV_GRAPH, cx, graph_top, cx + cw, cy + ch), 20, "received graph drawn")
        self.assertGreater(shot.count(BACKGROUND, cx, cy, cx + cw, cy + ch), cw * ch // 2)
        if os.environ.get("VELNORID_SCREENSHOT"):
            self.save_screenshot(x, y, width, height)

        copied_total, peak, _, _ = self.copied_readouts(window)
        self.assertGreaterEqual(peak, burst_bytes // 2, "a burst falls into at most two intervals")
        self.assertLessEqual(peak, burst_bytes + burst_bytes // 20)

        self.session.close_program(program)
        saved = self.session.read_settings()
        self.assertEqual(len(saved), SETTINGS_SIZE)
        total_kib, = struct.unpack_from("<I", saved, 20)
        slot, adapter_type = struct.unpack_from("<2I", saved, 36)
        self.assertNotEqual(slot, 127, "the veth end was selected by itself")
        self.assertEqual(adapter_type, 6, "an Ethernet-type interface, not the loopback")
        self.assertLessEqual(abs(total_kib - received // 1024), 1, (total_kib, received))
        self.assertEqual(copied_total, total_kib)

    def test_counts_fast_links_exactly(self):
        """TCP for 8 s at 8, 3.5 and 1 Gbit/s, with the program's process stopped for 5 or 6 s, or
        sent Windows' resume message, 2 s in: the saved total is the kernel's count, and the peak
        the link's rate (after a stop, the rate over it, never the stop's bytes in one sample)."""
        saved_kib = 0
        for rate, pause, word in (("8G", 0, None), ("8G", 5, None), ("3500M", 0, None), ("1G", 6, None),
                                  ("1G", 0, "resume")):
            received_before = self.network.received_bytes()
            program = self.session.start()
            window = self.session.wait_window()
            time.sleep(2.5)  # the first reading only takes the baselines
            server = subprocess.Popen(["ip", "netns", "exec", PROGRAM_NS, "iperf3", "-s", "-1", "-B", PROGRAM_ADDRESS],
                                      stdout=subprocess.DEVNULL)
            self.addCleanup(server.kill)
            time.sleep(1)
            client = subprocess.Popen(["ip", "netns", "exec", PEER_NS, "iperf3", "-c", PROGRAM_ADDRESS, "-t", "8",
                                       "-b", rate, "-J"], stdout=subprocess.PIPE)
            time.sleep(2)
            if word:  # five readings the graph leaves out, and the totals count
                self.assertEqual(self.session.system_event(word), 0)
            if pause:
                os.kill(program.pid, signal.SIGSTOP)
                time.sleep(pause)
                os.kill(program.pid, signal.SIGCONT)
            link_rate = json.loads(client.communicate(timeout=60)[0])["end"]["sum_received"]["bits_per_second"] / 8
            server.wait(timeout=30)
            time.sleep(2.5)
            _, peak, _, _ = self.copied_readouts(window)
            self.session.close_program(program)
            total_kib, = struct.unpack_from("<I", self.session.read_settings(), 20)
            received = self.network.received_bytes() - received_before
            self.assertLess(abs((total_kib - saved_kib) * 1024 - received), received / 200, (rate, pause, received))
            self.assertLess(abs(peak - link_rate), link_rate / (2 if pause else 5), (rate, pause, peak, link_rate))
            saved_kib = total_kib

    def test_the_picked_adapter_wherever_the_table_puts_it(self):
        """The pick is the third row, from a file without its check: it gets one. Then a new
        adapter of its type with a lower index pushes it down a row, and it is renamed (as a
        driver update renames an adapter), and the program still counts it; then it is gone and
        another adapter has its row: nothing is watched, and the pick keeps its check to be found again."""
        picked = ("velnorid2", "velnorid3", "198.18.1.1", "198.18.1.2", 20)
        for pair in (picked, ("velnorid4", "velnorid5", "198.18.2.1", "198.18.2.2", 30)):
            NetworkPair.add_pair(*pair)
        first_index = self.network.run(PROGRAM_NS, "cat", f"/sys/class/net/{PROGRAM_END}/ifindex").stdout
        self.assertLess(int(first_index), 10, "the rows are lo, velnorid0, velnorid2, velnorid4")
        image = bytearray(settings_image())
        struct.pack_into("<2I", image, 36, 2, 6)  # row 2, Ethernet: as older programs wrote it
        self.session.write_settings(bytes(image))
        newcomer = ("velnorid6", "velnorid7", "198.18.3.1", "198.18.3.2", 10)
        total = 0
        for change, to, watched, slot in ((None, "198.18.1.1", "velnorid2", 2), (newcomer, "198.18.1.1", "velnorid8", 3),
                                          ("velnorid8", "198.18.2.1", None, 0xFFFF)):
            if isinstance(change, tuple):
                NetworkPair.add_pair(*change)
                ip("-n", PROGRAM_NS, "link", "set", "velnorid2", "down")
                ip("-n", PROGRAM_NS, "link", "set", "velnorid2", "name", watched, "up")
            elif change:
                ip("-n", PROGRAM_NS, "link", "del", change)
            before = self.network.received_bytes(watched) if watched else 0
            program = self.session.start()
            self.session.wait_window()
            time.sleep(2.5)  # the first reading only takes the baselines
            self.network.send_burst(to)
            time.sleep(2.5)
            received = self.network.received_bytes(watched) - before if watched else 0
            self.session.close_program(program)
            subprocess.run([SERVER, "-w"], env=wine_env(), timeout=60)  # Wine reads the table afresh, as after a reboot
            saved_total, saved_slot = struct.unpack_from("<4xI12xI", self.session.read_settings(), 16)
            self.assertLessEqual(abs(saved_total - total - received // 1024), 2, (slot, saved_total - total, received))
            self.assertEqual(saved_slot & 0xFFFF, slot, hex(saved_slot))
            self.assertTrue(saved_slot >> 16, "a selection keeps its adapter's check")
            total = saved_total

    def test_internet_follows_the_default_route(self):
        """Internet, chosen by its mnemonic, follows the default route between two pairs: the saved totals
        are what the route's interface carried in each phase, also after a restart, with no pick."""
        NetworkPair.add_pair("velnorid2", "velnorid3", "198.18.1.1", "198.18.1.2")
        gateways = {PROGRAM_END: PEER_ADDRESS, "velnorid2": "198.18.1.2"}
        program, carried, saved_kib = None, 0, 0
        for end, restart in ((PROGRAM_END, False), ("velnorid2", False), (PROGRAM_END, False), ("velnorid2", True)):
            ip("-n", PROGRAM_NS, "route", "replace", "default", "via", gateways[end])
            if restart:
                self.session.close_program(program)
                saved_kib = sum(struct.unpack_from("<2I", self.session.read_settings(), 20))
            if not program or restart:  # two adapters offered: nothing is picked by itself
                program = self.session.start()
                window = self.session.wait_window()
            if not carried:
                self.session.point_at(window)
                for key in "mai":  # the menu, "&Adapter", "&Internet"
                    self.session.tap(key)
            time.sleep(3.5)  # a look at the route every 2 s, then the next tick
            before = self.network.received_bytes(end) + self.network.received_bytes(end, "tx")
            self.network.send_burst("198.19.0.1", PROGRAM_NS)  # only the default route leads there
            time.sleep(1.5)
            carried += self.network.received_bytes(end) + self.network.received_bytes(end, "tx") - before
        self.session.close_program(program)
        saved = self.session.read_settings()
        self.assertEqual(struct.unpack_from("<I", saved, 40)[0], 0xFFFFFFFF, "the mode is kept in the file")
        total_kib = sum(struct.unpack_from("<2I", saved, 20))
        self.assertGreater(carried, 4 * BURST_DATAGRAMS * DATAGRAM)
        self.assertLess(abs(total_kib * 1024 - carried), carried / 200 + 2048, (total_kib, saved_kib, carried))
        self.assertGreater(total_kib - saved_kib, BURST_DATAGRAMS * DATAGRAM // 1024, "counted after the restart")

    def save_screenshot(self, x, y, width, height):
        path = os.environ["VELNORID_SCREENSHOT"]
        subprocess.run([*self.session.inside, "import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}",
                        "+repage", path], env=dict(os.environ, DISPLAY=self.session.display), check=True, timeout=60)


def skip_without_namespaces():
    if os.geteuid() != 0 or not shutil.which("ip"):
        print("SKIPPED: real traffic needs root and iproute2 to make network namespaces")
        sys.exit(SKIPPED)
    if subprocess.run(["ip", "netns", "list"], capture_output=True).returncode != 0:
        print("SKIPPED: network namespaces are not available here")
        sys.exit(SKIPPED)


if __name__ == "__main__":
    skip_without_namespaces()
    main()
