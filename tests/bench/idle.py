#!/usr/bin/env python3
"""Measures what Kestor costs while it idles in the tray, on the real program under Wine.

Reports the time until the main window is up, the CPU time the Kestor.exe process uses while it sits
hidden in the tray (per minute), its resident memory, and the same figures for Wine's own notepad.exe
as a baseline of what any Wine process costs here. A benchmark, not a test: it prints numbers and
asserts nothing. Run it with `make bench` (after `make exe`).
"""
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def linux_pid(prefix, exe):
    """The Linux process running `exe` in this Wine prefix."""
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            cmdline = (entry / "cmdline").read_bytes().replace(b"\0", b" ")
            environ = (entry / "environ").read_bytes()
        except OSError:
            continue
        if exe.encode() in cmdline and b"WINEPREFIX=" + str(prefix).encode() in environ:
            return int(entry.name)
    return None


def cpu_seconds(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


def rss_kib(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return 0


def measure(prefix, argv, exe, window_args, idle_seconds):
    started = time.monotonic()
    prefix.start(argv)
    prefix.drv("wait-window", *window_args, "--timeout", 60000)
    shown = time.monotonic() - started
    pid = None
    deadline = time.monotonic() + 20
    while pid is None and time.monotonic() < deadline:
        pid = linux_pid(prefix.path, exe)
        time.sleep(0.2)
    if pid is None:
        raise RuntimeError(f"no Linux process for {exe}")
    time.sleep(5)  # let start-up work settle (the sheet hides itself after a second)
    cpu0, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(idle_seconds)
    cpu1, t1 = cpu_seconds(pid), time.monotonic()
    return shown, (cpu1 - cpu0) / (t1 - t0) * 60.0, rss_kib(pid)


def main():
    idle = int(os.environ.get("KESTOR_BENCH_IDLE", "60"))
    run = harness.start_run()
    rows = []
    for name, argv, exe, window in (
            ("Kestor.exe", ["Kestor.exe"], "Kestor.exe", ["Kestor", "--has-tab"]),
            ("notepad.exe (baseline)", ["notepad.exe"], "notepad.exe", ["记事本", "--contains"])):
        prefix = harness.WinePrefix(run, "bench-" + exe.split(".")[0])
        try:
            if exe == "Kestor.exe":
                import shutil
                shutil.copy2(harness.KESTOR_EXE, prefix.appdir / "Kestor.exe")
            rows.append((name,) + measure(prefix, argv, exe, window, idle))
        finally:
            prefix.close()
    size = harness.KESTOR_EXE.stat().st_size
    print(f"idle measured over {idle} s; Kestor.exe is {size / 1024:.0f} KiB")
    print(f"{'program':26} {'window up':>10} {'CPU ms/min idle':>16} {'RSS MiB':>8}")
    for name, shown, cpu_per_min, rss in rows:
        print(f"{name:26} {shown:9.2f}s {cpu_per_min * 1000:16.1f} {rss / 1024:8.1f}")


if __name__ == "__main__":
    main()
