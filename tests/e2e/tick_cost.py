"""What the real program's ticks cost under Wine, against the reference that
makes the same platform calls per tick (the timer, one GetIfEntry2 or GetIfEntry, one BitBlt
of the same size; following the internet, a look at the route every 2 s) and nothing else.

One Wine session, kept up by an idle Wine program, in a network namespace with
one veth end and a default route. Each run starts the program (in each mode
asked for) or a reference, waits for a second in which the other Wine
processes were idle, and reads its and wineserver's CPU time (the threads'
nanosecond counts) over whole intervals; a busy run is taken again. The rounds
put each kind after every other one equally often. Figures are medians.
Run by scripts/measure.sh; needs root.

    tick_cost.py PROGRAM REFERENCE [--rounds N] [--span SECONDS] [--intervals 80,1000]
                 [--watch picked,internet]
"""
import argparse
import os
import shutil
import statistics
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import e2e_support  # noqa: E402
from e2e_support import WineSession, settings_image  # noqa: E402
from test_real_traffic import PEER_ADDRESS, PROGRAM_END, PROGRAM_NS, NetworkPair, ip  # noqa: E402

SETTLE = 2  # seconds: start-up, the adapter scan and the warm-up readings
MIN_TICKS = 20  # a span holds at least this many intervals
QUIET_MS = 2  # the other Wine processes used less than this over the second before a span and over the span
QUIET_WAIT = 30  # seconds to wait for that second before the span starts anyway
RETAKES = 3  # a busy run is taken again at most this often
DRIVER_HOST = "winedevice.exe"
NO_SLOT = 127  # no adapter chosen: with type 0 the program picks the only one, with all ones it follows the route
WATCH_TYPES = {"picked": 0, "internet": 0xFFFFFFFF}
REFERENCES = {"picked": "reference", "internet": "reference, route"}  # the same platform calls as the mode


def cpu_ns(pid):
    """The CPU time of a process's threads so far, in nanoseconds."""
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
            total += int(f.read().split()[0])
    return total


def snapshot():
    """Every Wine process of the prefix: pid to (file name, CPU ns so far)."""
    shot = {}
    marker = b"\0WINEPREFIX=" + e2e_support.PREFIX.encode() + b"\0"
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if marker not in b"\0" + f.read() + b"\0":
                    continue
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                path = f.read().split(b"\0")[0].decode(errors="replace")
            shot[int(pid)] = (path.replace("\\", "/").rsplit("/", 1)[-1].lower(), cpu_ns(pid))
        except OSError:  # it ended meanwhile
            pass
    return shot


def split(before, after, process):
    """ns between two snapshots: (the process, wineserver, the others, the others but the driver host)."""
    spent = {pid: (name, ns - before.get(pid, (name, 0))[1]) for pid, (name, ns) in after.items()}
    server = sum(ns for name, ns in spent.values() if name.startswith("wineserver"))
    own = spent.get(process, ("", 0))[1]
    others = [(name, ns) for pid, (name, ns) in spent.items() if pid != process and not name.startswith("wineserver")]
    return own, server, sum(ns for _, ns in others), sum(ns for name, ns in others if name != DRIVER_HOST)


def balanced_orders(n):
    """Orders of n kinds, each after every other one equally often (a Williams design): a run
    carries some of the cost of the one before it."""
    first = [0] + [(k + 1) // 2 if k % 2 else n - k // 2 for k in range(1, n)]
    rows = [[(x + r) % n for x in first] for r in range(n)]
    return rows if n % 2 == 0 else rows + [row[::-1] for row in rows]


class Measurement:
    """One Wine session in the program's namespace, kept up by an idle Wine program."""

    def __init__(self, program, reference):
        self.session = WineSession(exe_name=os.path.basename(program), netns=PROGRAM_NS, program=program)
        self.reference = shutil.copy(reference, self.session.folder)
        self.session.start_display()
        # cmd waits for a key on a pipe that stays open: the session's last Wine process.
        self.keeper = subprocess.Popen(self.session.in_wine("cmd", "/c", "pause"), stdin=subprocess.PIPE,
                                       env=self.session.wine.env(self.session.display),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.session.processes.append(self.keeper)

    def start(self, watch, interval):
        """The program watching as asked, or a reference."""
        if watch not in WATCH_TYPES:
            return self.session.start(*watch.split(", ")[1:], str(interval), exe=self.reference)
        image = bytearray(settings_image())
        struct.pack_into("<2I", image, 36, NO_SLOT, WATCH_TYPES[watch])
        struct.pack_into("<I", image, 44, interval)
        self.session.write_settings(bytes(image))
        return self.session.start()

    def quiet_second(self, process):
        """The snapshot that ends the first second in which the other processes were idle."""
        shot = snapshot()
        deadline = time.time() + QUIET_WAIT
        while True:
            time.sleep(1)
            earlier, shot = shot, snapshot()
            if split(earlier, shot, process)[3] < QUIET_MS * 1e6 or time.time() > deadline:
                return shot

    def one_run(self, watch, interval, span):
        """CPU ns over the span: (the process, wineserver, every other Wine process)."""
        for _ in range(RETAKES + 1):
            process = self.start(watch, interval)
            try:
                time.sleep(SETTLE)
                before = self.quiet_second(process.pid)
                time.sleep(span)
                after = snapshot()
                if process.poll() is not None:
                    raise SystemExit(f"{watch if watch not in WATCH_TYPES else 'the program'} ended early")
            finally:
                process.kill()
                process.wait()
                self.session.processes.remove(process)
            own, server, others, busy = split(before, after, process.pid)
            if busy < QUIET_MS * 1e6:
                break
        return own, server, others

    def close(self):
        self.keeper.stdin.close()
        self.session.close()



def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("reference")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--span", type=float, default=8)
    parser.add_argument("--intervals", default="80,1000")
    parser.add_argument("--watch", default="picked,internet", help="the program's modes: picked, internet")
    args = parser.parse_args()
    watches = args.watch.split(",")
    NetworkPair.remove()
    NetworkPair()
    measurement = None
    try:
        ip("-n", PROGRAM_NS, "route", "add", "default", "via", PEER_ADDRESS, "dev", PROGRAM_END)
        measurement = Measurement(args.program, args.reference)
        print(f"CPU time under {e2e_support.LOADER} in one session, median of {args.rounds} rounds, in ms "
              f"(process + wineserver; other Wine processes apart)")
        for interval in map(int, args.intervals.split(",")):
            span = max(MIN_TICKS, -(-int(args.span * 1000) // interval)) * interval / 1000  # whole intervals
            kinds = sorted({REFERENCES[watch] for watch in watches}) + watches
            runs = {kind: [] for kind in kinds}
            orders = balanced_orders(len(kinds))
            for round_ in range(args.rounds):
                for k in orders[round_ % len(orders)]:
                    runs[kinds[k]].append(measurement.one_run(kinds[k], interval, span))
            totals = {kind: [(s[0] + s[1]) / 1e6 for s in samples] for kind, samples in runs.items()}
            for kind, samples in runs.items():
                own, server, others = (statistics.median(s[i] for s in samples) / 1e6 for i in range(3))
                label = kind if kind not in WATCH_TYPES else f"program, {kind}"
                print(f"  {interval:4d} ms over {span:g} s  {label:18s}  process {own:6.1f}  wineserver {server:6.1f}  "
                      f"together {statistics.median(totals[kind]):6.1f} "
                      f"(runs {' '.join(f'{t:.1f}' for t in totals[kind])})  others {others:6.1f}")
            ratios = {kind: sorted(p / r for p, r in zip(totals[kind], totals[REFERENCES[kind]])) for kind in watches}
            print(f"  {interval:4d} ms  ratio program / reference, the median of the rounds' ratios: " + ", ".join(
                f"{kind} {statistics.median(r):.2f} ({r[0]:.2f} to {r[-1]:.2f})" for kind, r in ratios.items()))
            print(f"  {interval:4d} ms  ratio of the medians: " + ", ".join(
                f"{kind} {statistics.median(totals[kind]) / statistics.median(totals[REFERENCES[kind]]):.2f}"
                for kind in watches))
    finally:
        if measurement:
            measurement.close()
        NetworkPair.remove()


if __name__ == "__main__":
    main()
