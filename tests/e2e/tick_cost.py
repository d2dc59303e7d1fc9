"""What the real program's ticks cost under Wine, against the reference that
makes the same platform calls per tick (the timer, one GetIfEntry2 or GetIfEntry, one BitBlt
of the same size) and nothing else.

Each run starts one of them in a network namespace of its own with one veth
end (the program picks it by itself), lets it settle, and reads the CPU time
of its process and of the prefix's wineserver over a fixed span. The rounds
alternate between the two so that the machine's drift falls on both alike;
the figures are medians. Run by scripts/measure.sh; needs root.

    tick_cost.py PROGRAM REFERENCE [--rounds N] [--span SECONDS] [--intervals 80,1000]
"""
import argparse
import os
import statistics
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import e2e_support  # noqa: E402
from e2e_support import WineSession, settings_image  # noqa: E402
from test_real_traffic import PROGRAM_NS, NetworkPair  # noqa: E402

SETTLE = 4  # seconds: start-up, the adapter scan and the warm-up readings
TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")


def cpu_ticks(pid):
    """User plus system time of a process, in clock ticks."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def processes_of_prefix():
    """Linux pid and command name of every process running in the test prefix."""
    found = {}
    marker = b"WINEPREFIX=" + e2e_support.PREFIX.encode() + b"\0"
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if marker not in f.read() + b"\0":
                    continue
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                found[int(pid)] = os.path.basename(f.read().split(b"\0")[0].decode(errors="replace"))
        except OSError:
            pass
    return found


def one_run(name, exe, interval, span):
    """CPU ticks over the span: (the process, wineserver, every other Wine process)."""
    session = WineSession(exe_name=os.path.basename(exe), netns=PROGRAM_NS, program=exe)
    try:
        if name == "program":
            image = bytearray(settings_image())
            struct.pack_into("<I", image, 44, interval)
            session.write_settings(bytes(image))
            process = session.start()
        else:
            process = session.start(str(interval))
        time.sleep(SETTLE)
        if process.poll() is not None:
            raise SystemExit(f"{exe} ended early")
        before = {pid: cpu_ticks(pid) for pid in processes_of_prefix()}
        time.sleep(span)
        names = processes_of_prefix()
        after = {pid: cpu_ticks(pid) for pid in names}
        used = {pid: after[pid] - before.get(pid, 0) for pid in after}
        own = used.get(process.pid, 0)
        server = sum(t for pid, t in used.items() if names[pid].startswith("wineserver"))
        others = sum(used.values()) - own - server
        return own, server, others
    finally:
        session.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("reference")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--span", type=float, default=20)
    parser.add_argument("--intervals", default="80,1000")
    args = parser.parse_args()
    NetworkPair.remove()
    network = NetworkPair()
    try:
        print(f"CPU time under {e2e_support.LOADER} over {args.span:g} s, median of {args.rounds} rounds, "
              f"in ms (process + wineserver; other Wine processes apart)")
        for interval in map(int, args.intervals.split(",")):
            runs = {"program": [], "reference": []}
            for _ in range(args.rounds):
                for name, exe in (("program", args.program), ("reference", args.reference)):
                    runs[name].append(one_run(name, exe, interval, args.span))
            figures = {}
            for name, samples in runs.items():
                own, server, others = (statistics.median(s[i] for s in samples) * 1000 / TICKS_PER_SECOND
                                       for i in range(3))
                totals = sorted((s[0] + s[1]) * 1000 / TICKS_PER_SECOND for s in samples)
                figures[name] = statistics.median(totals)
                print(f"  {interval:4d} ms  {name:9s}  process {own:6.0f}  wineserver {server:6.0f}  "
                      f"together {figures[name]:6.0f} (runs {totals[0]:.0f} to {totals[-1]:.0f})  others {others:6.0f}")
            ratio = figures["program"] / figures["reference"] if figures["reference"] else float("inf")
            print(f"  {interval:4d} ms  ratio program / reference: {ratio:.2f}")
    finally:
        NetworkPair.remove()


if __name__ == "__main__":
    main()
