"""Hours of running, shortened to a given number of minutes: the real program
at 80 ms under Wine in a network namespace, traffic that keeps changing both
ways, Auto Adapt on, and once a minute the veth end going down and up, a
second veth pair added and removed with a device change told each time, the
popup menu opened and closed, and a suspend and resume told (with the traffic
held for that moment, since the readings just after only take baselines).

At the end the saved totals must agree with the kernel's counters of the veth
end, less what arrived while the traffic was held (within a KiB each way), and after the first minute neither the process's
resident memory nor the handle count Wine's server keeps for it may grow.
Run by scripts/soak.sh; needs root.

    soak.py MINUTES HANDLE_COUNT_EXE
"""
import os
import signal
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import e2e_support  # noqa: E402
from e2e_support import WineSession, settings_image, wine_env  # noqa: E402
from test_real_traffic import PEER_ADDRESS, PEER_NS, PROGRAM_ADDRESS, PROGRAM_END, PROGRAM_NS, NetworkPair, ip  # noqa: E402

SECOND_END, SECOND_PEER = "velnorid2", "velnorid3"
MEMORY_SLACK_KIB = 256  # what allocator and font caches may still settle after the first minute
OPT_AUTO_ADAPT = 0x80

# Datagrams of changing size at a changing rate until stopped; errors while
# the link is down are part of the run.
SENDER = """
import random, socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
random.seed(int(sys.argv[2]))
while True:
    for _ in range(random.choice((0, 1, 5, 40, 200))):
        try:
            s.sendto(b"s" * random.randint(1, 1400), (sys.argv[1], 9))
        except OSError:
            pass
    time.sleep(random.uniform(0.01, 0.3))
"""


def counters(ns, end):
    path = f"/sys/class/net/{end}/statistics/"
    read = lambda name: int(NetworkPair.run(ns, "cat", path + name).stdout)  # noqa: E731
    return read("rx_bytes"), read("tx_bytes")


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        return next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))


class Soak:
    def __init__(self, minutes, handle_count_exe):
        self.minutes, self.handle_count_exe = minutes, handle_count_exe
        self.session = WineSession(netns=PROGRAM_NS)
        self.samples = []  # (minute, resident KiB, handles, threads)
        self.events = {"link down and up": 0, "second pair added and removed": 0, "menu opened and closed": 0,
                       "suspend and resume": 0, "device changes": 0}
        self.held = (0, 0)  # bytes each way that arrived while the traffic was held
        self.senders = []

    def handles(self):
        out = subprocess.run([*self.session.inside, e2e_support.LOADER, self.handle_count_exe],
                             env=wine_env(self.session.display), capture_output=True, text=True, timeout=60).stdout
        fields = out.split()
        return (int(fields[0]), int(fields[1])) if len(fields) == 2 else (-1, -1)

    def sample(self, minute):
        self.samples.append((minute, resident_kib(self.program.pid), *self.handles()))
        print("  minute %5.1f: resident %6d KiB, handles %4d, threads %2d" % self.samples[-1], flush=True)

    def link_down_and_up(self):
        ip("-n", PROGRAM_NS, "link", "set", PROGRAM_END, "down")
        time.sleep(3)
        ip("-n", PROGRAM_NS, "link", "set", PROGRAM_END, "up")
        self.events["link down and up"] += 1

    def second_pair(self):
        ip("link", "add", SECOND_END, "netns", PROGRAM_NS, "type", "veth", "peer", "name", SECOND_PEER,
           "netns", PEER_NS)
        ip("-n", PROGRAM_NS, "link", "set", SECOND_END, "up")
        self.device_change()
        time.sleep(10)
        ip("-n", PROGRAM_NS, "link", "del", SECOND_END)
        self.device_change()
        self.events["second pair added and removed"] += 1

    def device_change(self):
        if self.session.system_event("devices") == 0:
            self.events["device changes"] += 1

    def suspend_and_resume(self):
        for s in self.senders:
            s.send_signal(signal.SIGSTOP)
        time.sleep(0.5)
        before = counters(PROGRAM_NS, PROGRAM_END)
        taken = self.session.system_event("suspend") == 0
        time.sleep(1)
        taken = self.session.system_event("resume") == 0 and taken
        time.sleep(1)  # five readings at 80 ms, and more
        after = counters(PROGRAM_NS, PROGRAM_END)
        for s in self.senders:
            s.send_signal(signal.SIGCONT)
        self.held = tuple(h + a - b for h, a, b in zip(self.held, after, before))
        self.events["suspend and resume"] += taken

    def menu(self):
        self.session.point_at(self.window)
        self.session.click(3)
        time.sleep(2)
        self.session.tap("Escape")
        self.events["menu opened and closed"] += 1

    def run(self):
        image = bytearray(settings_image())
        struct.pack_into("<I", image, 44, 80)
        struct.pack_into("<I", image, 16, struct.unpack_from("<I", image, 16)[0] | OPT_AUTO_ADAPT)
        self.session.write_settings(bytes(image))
        self.program = self.session.start()
        self.window = self.session.wait_window()
        time.sleep(3)  # the warm-up readings
        start_rx, start_tx = counters(PROGRAM_NS, PROGRAM_END)
        self.senders = [subprocess.Popen(["ip", "netns", "exec", ns, sys.executable, "-c", SENDER, to, seed])
                   for ns, to, seed in ((PEER_NS, PROGRAM_ADDRESS, "1"), (PROGRAM_NS, PEER_ADDRESS, "2"))]
        begin = time.time()
        minute = lambda: (time.time() - begin) / 60  # noqa: E731
        try:
            self.sample(0)
            while minute() < self.minutes - 0.5:
                for step in (self.link_down_and_up, self.second_pair, self.menu, self.suspend_and_resume):
                    time.sleep(8)
                    step()
                time.sleep(max(0.0, 60 - (time.time() - begin) % 60 - 1))
                self.sample(minute())
        finally:
            for s in self.senders:
                s.kill()
        time.sleep(3)  # the last datagrams counted
        end_rx, end_tx = counters(PROGRAM_NS, PROGRAM_END)
        self.session.close_program(self.program, timeout=60)
        saved = self.session.read_settings()
        held_rx, held_tx = self.held
        return struct.unpack_from("<2I", saved, 20), ((end_rx - start_rx - held_rx) // 1024,
                                                      (end_tx - start_tx - held_tx) // 1024)

    def judge(self, totals, kernel):
        print(f"events: {self.events}; held back while suspended: {self.held[0]:,} bytes received, "
              f"{self.held[1]:,} sent")
        faults = []
        for name, total, counted in zip(("received", "sent"), totals, kernel):
            print(f"{name}: the program saved {total:,} KiB, the kernel counted {counted:,} KiB")
            if abs(total - counted) > 1:
                faults.append(f"{name} totals differ by {total - counted} KiB")
        settled = [s for s in self.samples if s[0] >= 0.9] or self.samples
        first, last = settled[0], settled[-1]
        print(f"after the first minute: resident {first[1]} to {last[1]} KiB (most {max(s[1] for s in settled)}), "
              f"handles {first[2]} to {last[2]} (most {max(s[2] for s in settled)})")
        if last[1] > first[1] + MEMORY_SLACK_KIB:
            faults.append("resident memory grew")
        if last[2] > first[2]:
            faults.append("handles grew")
        print("soak passed" if not faults else "soak FAILED: " + "; ".join(faults))
        return not faults

    def close(self):
        self.session.close()


def main():
    minutes, handle_count_exe = float(sys.argv[1]), sys.argv[2]
    NetworkPair.remove()
    NetworkPair()
    soak = Soak(minutes, handle_count_exe)
    try:
        print(f"soak: {os.path.basename(e2e_support.EXE)} under {e2e_support.LOADER} for {minutes:g} minutes", flush=True)
        ok = soak.judge(*soak.run())
    finally:
        soak.close()
        NetworkPair.remove()
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
