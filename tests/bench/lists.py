#!/usr/bin/env python3
"""Loading the list files in the real program under Wine: Kestor.exe starts with a TimeSet.ini,
ControlSet.ini or Playlist.m3u of 1,000, 10,000 and 20,000 rows, and the CPU seconds of its process from
launch until it idles are set against a start with no list at all. Prints the CPU a list costs, and its
growth from the smaller lists to the larger (5 is linear from 2,000 to 10,000 rows). A benchmark, not a
test: it asserts nothing.

    tests/bench/lists.py [--rows 1000 2000 10000 20000] [--files TimeSet.ini ...] [--exe Kestor.exe]

Each figure is the median of three starts.
"""
import argparse
import struct
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402
from idle import control_set, linux_pid, text_mode  # noqa: E402

START = "2026-01-01 00:00:00"  # every reminder of the list lies ahead of it


def reminders(n):
    """n reminders on distinct minutes from 2 January on, in the file's random order."""
    out = b"[ItemCount]\n" + struct.pack("<i", n) + b"D\n[ItemData]\n"
    for i in sorted(range(n), key=lambda k: (k * 7919) % n):
        day, minute = divmod(i, 24 * 60)
        month, mday = 1 + day // 28, 2 + day % 28
        hour, minute = divmod(minute, 60)
        text = f"{month:02d}月{mday:02d}日{hour:02d}点{minute:02d}分"
        out += struct.pack("<I", month << 24 | mday << 16 | hour << 8 | minute) + b"D\n"
        out += text.encode("gbk") + b"\n" + f"提醒第{i}条".encode("gbk") + b"\n"
    return text_mode(out)


def limits(n):
    return control_set([(f"用户{(k * 7919) % n:05d}", "2小时", "10分钟", "", 1) for k in range(n)])


def playlist(n):
    return text_mode("".join(f"C:\\音乐\\第{(k * 7919) % n:05d}首.mp3\n" for k in range(n)).encode("gbk"))


MAKERS = {"TimeSet.ini": reminders, "ControlSet.ini": limits, "Playlist.m3u": playlist}


def cpu_seconds(pid):
    """CPU time of every thread of the process, to the nanosecond (the kernel's ticks are 10 ms)."""
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            total += int((task / "schedstat").read_text().split()[0])
        except (OSError, ValueError):
            pass
    return total / 1e9


def start_cpu(run, exe, name, file_name=None, data=b""):
    """CPU seconds of Kestor.exe from launch until it idles (no CPU over two seconds)."""
    prefix = harness.WinePrefix(run, name)
    try:
        (prefix.appdir / "Kestor.exe").write_bytes(exe.read_bytes())
        if file_name:
            (prefix.appdir / file_name).write_bytes(data)
        prefix.start(["Kestor.exe"], at=START)
        deadline = time.monotonic() + 600
        pid = None
        while pid is None and time.monotonic() < deadline:
            time.sleep(0.2)
            pid = linux_pid(prefix.path, "Kestor.exe", skip=b"faketime")
        last, still = -1.0, 0
        while still < 4 and time.monotonic() < deadline:
            time.sleep(0.5)
            cpu = cpu_seconds(pid)
            still = still + 1 if cpu == last else 0
            last = cpu
        return last
    finally:
        prefix.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rows", type=int, nargs="+", default=[1000, 2000, 10000, 20000])
    parser.add_argument("--files", nargs="+", default=list(MAKERS))
    parser.add_argument("--exe", type=Path, default=harness.KESTOR_EXE)
    options = parser.parse_args()
    run = harness.start_run()

    def median(*args):
        return sorted(start_cpu(run, options.exe, *args) for _ in range(3))[1]
    base = median("lists-base")
    print(f"start with no list: {base:.2f} CPU s; below, CPU s of the list over that")
    print(f"{'':16}" + "".join(f"{n:>10,}" for n in options.rows) + "   growth 2,000 -> 10,000")
    for file_name in options.files:
        costs = {n: median(f"lists-{n}", file_name, MAKERS[file_name](n)) - base for n in options.rows}
        growth = costs[10000] / costs[2000] if costs.get(2000, 0) > 0 and 10000 in costs else float("nan")
        print(f"{file_name:16}" + "".join(f"{costs[n]:10.2f}" for n in options.rows) + f"{growth:10.1f}", flush=True)


if __name__ == "__main__":
    main()
