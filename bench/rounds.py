#!/usr/bin/env python3
"""Velmora benchmark runner: whole processes in interleaved rounds.

    rounds.py [--rounds N] [--warmup W] [--title TEXT] [--prep NAME=CMD]... [--goal 'A/B<=1.2']...
              NAME=CMD [NAME=CMD ...]

Each round runs every tool once, in turn, so a slow spell of a shared machine falls on all of them
alike; the warm-up rounds are not counted. CMD is split like a shell line and run directly; a CMD that
starts with "sh:" runs through bash (for pipelines or "&&"). A --prep command runs before each run of
its tool, untimed (to remove the last output, say). Prints the machine, the load before and after,
and per tool the median, min-max and peak memory; then the ratio of every tool's median to the
first tool's, and each goal as met or not.
"""
import argparse
import os
import re
import shlex
import statistics
import subprocess
import sys
import time


def read(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError:
        return ""


def machine():
    cpuinfo = read("/proc/cpuinfo")
    model = re.search(r"^model name\s*:\s*(.*)$", cpuinfo, re.M)
    memory = re.search(r"^MemTotal:\s*(\d+) kB", read("/proc/meminfo"), re.M)
    try:
        virt = subprocess.run(["systemd-detect-virt"], capture_output=True, text=True).stdout.strip()
    except OSError:
        virt = ""
    hypervisor = bool(re.search(r"^flags\s*:.*\bhypervisor\b", cpuinfo, re.M))
    return ("machine: {}; {} cores; {:.1f} GB memory; systemd-detect-virt: {}; CPU hypervisor flag: {} ({});"
            " kernel {}").format(
        model.group(1) if model else "unknown CPU", os.cpu_count(),
        int(memory.group(1)) / 1048576 if memory else 0, virt or "unknown",
        "yes" if hypervisor else "no", "a VM" if hypervisor else "no VM seen", os.uname().release)


def load():
    return read("/proc/loadavg").strip()


PEAK_FILE = "/tmp/velmora-rounds-peak-{}".format(os.getpid())


def run(command):
    """Wall milliseconds and peak resident MB of one run; exits on failure."""
    argv = ["bash", "-c", command[3:]] if command.startswith("sh:") else shlex.split(command)
    # GNU time measures the tool's own peak; a child spawned by Python would count Python's memory too.
    timed = os.path.exists("/usr/bin/time")
    if timed:
        argv = ["/usr/bin/time", "-f", "%M", "-o", PEAK_FILE] + argv
    start = time.perf_counter()
    child = subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = (time.perf_counter() - start) * 1000
    if child.returncode != 0:
        sys.exit("failed ({}): {}\n{}".format(child.returncode, command, child.stderr.decode(errors="replace")))
    peak = int(read(PEAK_FILE).split()[-1]) / 1024 if timed else 0
    return elapsed, peak


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--warmup", type=int, default=1)
    parser.add_argument("--title", default="")
    parser.add_argument("--prep", action="append", default=[])
    parser.add_argument("--goal", action="append", default=[])
    parser.add_argument("tools", nargs="+")
    args = parser.parse_args()

    tools = [t.split("=", 1) for t in args.tools]
    prep = dict(p.split("=", 1) for p in args.prep)
    if any(len(t) != 2 for t in tools):
        sys.exit("tools are NAME=COMMAND")
    if args.title:
        print("== " + args.title)
    print(machine())
    for name, command in tools:
        print("  {:<12} {}".format(name, command))
    times = {name: [] for name, _ in tools}
    peaks = {name: [] for name, _ in tools}
    print("load before: " + load())
    for round_ in range(args.warmup + args.rounds):
        for name, command in tools:
            if name in prep:
                subprocess.run(["bash", "-c", prep[name]], check=True)
            ms, mb = run(command)
            if round_ >= args.warmup:
                times[name].append(ms)
                peaks[name].append(mb)
    print("load after:  " + load())
    print("{} rounds after {} warm-up; whole processes, wall time{}".format(
        args.rounds, args.warmup, "; peak = largest resident set (GNU time)" if os.path.exists("/usr/bin/time") else ""))
    base = statistics.median(times[tools[0][0]])
    print("  {:<12} {:>10} {:>19} {:>9} {:>12}".format("tool", "median ms", "min-max ms", "peak MB", "/ " + tools[0][0]))
    for name, _ in tools:
        m = statistics.median(times[name])
        print("  {:<12} {:>10.1f} {:>19} {:>9.1f} {:>11.2f}x".format(
            name, m, "{:.1f}-{:.1f}".format(min(times[name]), max(times[name])), max(peaks[name]), m / base))
    for goal in args.goal:
        found = re.fullmatch(r"\s*(\w+)\s*/\s*(\w+)\s*(<=|>=)\s*([\d.]+)\s*", goal)
        if not found or found.group(1) not in times or found.group(2) not in times:
            sys.exit("goal as A/B<=X or A/B>=X with tool names: " + goal)
        a, b, relation, limit = found.groups()
        ratio = statistics.median(times[a]) / statistics.median(times[b])
        met = ratio <= float(limit) if relation == "<=" else ratio >= float(limit)
        print("  goal {}/{} {} {}: {:.2f}x, {}".format(a, b, relation, limit, ratio, "met" if met else "NOT met"))


if __name__ == "__main__":
    try:
        main()
    finally:
        if os.path.exists(PEAK_FILE):
            os.remove(PEAK_FILE)
