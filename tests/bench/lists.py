#!/usr/bin/env python3
"""Loading the list files under Wine: the CPU seconds of Kestor.exe from launch until it idles with a TimeSet.ini,
ControlSet.ini or Playlist.m3u of 1,000 to 20,000 rows, over a start with no list, and the growth from 2,000 to
10,000 rows (5 is linear). Each figure is the median of five starts in one prefix after two; no asserts.

    tests/bench/lists.py [--rows 1000 2000 10000 20000] [--files TimeSet.ini ...]
"""
import argparse
import statistics
import time

from idle import cpu_seconds, harness, host_pid

MAKERS = {  # n rows in a scrambled order; every reminder lies ahead of the start, 1 January
    "TimeSet.ini": lambda n: harness.list_file([(1 + i // 1440 // 28, 2 + i // 1440 % 28, i // 60 % 24, i % 60,
                                                 f"提醒第{i}条") for i in sorted(range(n), key=lambda k: k * 7919 % n)]),
    "ControlSet.ini": lambda n: harness.list_file([(f"用户{k * 7919 % n:05d}", "2小时", "10分钟", "", 1)
                                                   for k in range(n)]),
    "Playlist.m3u": lambda n: harness.m3u(f"C:\\音乐\\第{k * 7919 % n:05d}首.mp3" for k in range(n)),
}


def start_cpu(name, file_name=None, rows=0):
    """The median CPU seconds of five starts of Kestor.exe, each from launch until it idles (under 5 ms in 2 s)
    after its window came up. The first starts of a prefix cost Wine more: two go first, not counted."""
    story, runs = harness.Story(), []
    story.setUp(name)
    try:
        for _ in range(7):
            if file_name:
                story.put(file_name, MAKERS[file_name](rows))
            story.kestor(at="2026-01-01 00:00:00")
            pid, last, still = host_pid(story, "Kestor.exe"), -1, 0
            while still < 4:
                time.sleep(0.5)
                now = cpu_seconds(pid)
                still, last = (still + 1 if now - last < 0.005 else 0), now
            runs.append(last)
            story.stop_server()
        return statistics.median(runs[2:])
    finally:
        story.tearDown()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rows", type=int, nargs="+", default=[1000, 2000, 10000, 20000])
    parser.add_argument("--files", nargs="+", default=list(MAKERS))
    options = parser.parse_args()
    base = start_cpu("lists-base")
    print(f"start with no list: {base:.2f} CPU s; below, CPU s of the list over that")
    print(f"{'':16}" + "".join(f"{n:>10,}" for n in options.rows) + "   growth 2,000 -> 10,000")
    for file_name in options.files:
        costs = {n: start_cpu(f"lists-{n}", file_name, n) - base for n in options.rows}
        growth = costs[10000] / costs[2000] if costs.get(2000, 0) > 0 and 10000 in costs else float("nan")
        print(f"{file_name:16}" + "".join(f"{costs[n]:10.2f}" for n in options.rows) + f"{growth:10.1f}", flush=True)


if __name__ == "__main__":
    main()
