#!/usr/bin/env python3
"""Kestor idle in the tray next to Wine's own taskmgr.exe idle, side by side in one run under Wine.

Kestor starts in a prefix prepared as a busy machine would have it: a ControlSet.ini row for the logged-on user (a
continuous-use limit, so that its meter runs), the hourly chime on, a Playlist.m3u of a few MP3 files, and its
process page opened once before the sheet hides. taskmgr.exe starts in a prefix of its own and stays open on its
process list. For each, over the same idle span: the CPU seconds of its process and of its prefix's wineserver
(which works for every message and timer), peak resident memory (VmHWM), launch to window visible and the CPU
seconds before the span; then the ratios Kestor/taskmgr. The kernel counts CPU in ticks of 10 ms. A benchmark,
not a test: it prints figures and asserts nothing. The screen with the process page goes to
build/screenshots/bench-process-page.png.

    tests/bench/idle.py [--seconds N]     (make bench BENCH_SECONDS=N; 120 s by default)
"""
import argparse
import os
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def host_pid(prefix, name):
    return int(prefix.wait_until(lambda: prefix.host_processes(name))[0].split()[0])


def cpu_seconds(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


def peak_mib(pid):
    return next(int(line.split()[1]) for line in Path(f"/proc/{pid}/status").read_text().splitlines()
                if line.startswith("VmHWM:")) / 1024


def launch(prefix, program, caption, *options):
    """Starts the program; returns the seconds until its window is visible, its host pid and its window."""
    started = time.monotonic()
    prefix.start_program(program)
    window = prefix.wait_window(caption, *options, timeout=60)
    return time.monotonic() - started, host_pid(prefix, program), window


def prepare_kestor(prefix):
    """A metering limit for the logged-on user, the chime on and a playlist of three tracks."""
    user = prefix.reg("HKCU", "Volatile Environment", "USERNAME")[1]
    (prefix.appdir / "ControlSet.ini").write_bytes(harness.list_file([(user, "5小时", "60分钟", "", 1)]))
    (prefix.appdir / "音乐").mkdir()
    for number in range(1, 4):
        subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", prefix.appdir / f"音乐/第{number}首.mp3", "synth", "5",
                        "sine", str(220 * number)], check=True, capture_output=True)
    playlist = "".join(f"C:\\Kestor\\音乐\\第{n}首.mp3\r\n" for n in range(1, 4))
    (prefix.appdir / "Playlist.m3u").write_bytes(playlist.encode("gbk"))
    prefix.reg("HKCU", harness.PROFILE, "Options_a1", "REG_DWORD", 1)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seconds", type=float, default=120, help="idle span measured (default 120)")
    span = parser.parse_args().seconds
    kestor, taskmgr = harness.Story(), harness.Story()
    kestor.setUp("bench-kestor")
    taskmgr.setUp("bench-taskmgr")
    try:
        prepare_kestor(kestor)
        taskmgr.reg("HKCU", harness.PROFILE, "Options")  # both servers up before either launch is timed
        programs = {"Kestor.exe": (kestor, *launch(kestor, "Kestor.exe", harness.SHEET, "--has-tab"))}
        # The process page opened once fills its list; then the sheet hides itself into the tray.
        sheet = programs["Kestor.exe"][3]
        kestor.drv("post", sheet, harness.PSM_SETCURSEL, 4, 0)
        kestor.wait_until(lambda: kestor.rows(sheet, harness.TAB_STRIP)[4][0], what="the process page shown")
        kestor.screenshot("bench-process-page")
        kestor.wait_window(harness.SHEET, "--has-tab", gone=True, timeout=90)
        programs["taskmgr.exe"] = (taskmgr, *launch(taskmgr, "taskmgr.exe", "任务管理器"))
        time.sleep(5)  # taskmgr's own start-up work settles before the span begins
        servers = {name: host_pid(prefix, "wineserver64") for name, (prefix, *_) in programs.items()}
        before = {name: (cpu_seconds(pid), cpu_seconds(servers[name])) for name, (_, _, pid, _) in programs.items()}
        started = time.monotonic()
        time.sleep(span)
        elapsed = time.monotonic() - started
        figures = {name: (cpu_seconds(pid) - before[name][0], cpu_seconds(servers[name]) - before[name][1],
                          peak_mib(pid), shown, before[name][0]) for name, (_, shown, pid, _) in programs.items()}
    finally:
        kestor.tearDown()
        taskmgr.tearDown()

    print(f"idle span {elapsed:.0f} s, side by side; Kestor.exe is {harness.KESTOR_EXE.stat().st_size / 1024:.0f} KiB")
    widths = (9, 18, 14, 13, 17)
    headings = ("CPU s", "wineserver CPU s", "peak RSS MiB", "window up s", "start-up CPU s")
    print(f"{'':14}" + "".join(f"{heading:>{width}}" for heading, width in zip(headings, widths)))
    for name, row in figures.items():
        cells = (f"{value:{width}.{1 if width == 14 else 2}f}" for value, width in zip(row, widths))
        print(f"{name:14}" + "".join(cells))
    ratios = [k / t if t else float("inf") for k, t in zip(figures["Kestor.exe"], figures["taskmgr.exe"])]
    print(f"{'Kestor/taskmgr':14}" + "".join(f"{ratio:{width}.2f}" for ratio, width in zip(ratios, widths)))


if __name__ == "__main__":
    main()
