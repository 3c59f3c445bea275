#!/usr/bin/env python3
"""Kestor idle in the tray next to Wine's own taskmgr.exe idle, side by side in one run, each in a prefix of its
own (the README says how Kestor's is prepared). For each, over the same idle span: CPU seconds of its process and of
its prefix's wineserver, peak resident memory (VmHWM), launch to window visible and CPU seconds before the span; then
the ratios Kestor/taskmgr. A benchmark: it prints and asserts nothing.

    tests/bench/idle.py [--seconds N]     (make bench BENCH_SECONDS=N; 120 s by default)
"""
import argparse
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402


def host_pid(story, name):
    return int(story.until(lambda: story.procs(name))[0].split()[0])


def cpu_seconds(pid):  # of every thread, to the nanosecond (/proc/<pid>/stat counts in ticks of 10 ms)
    return sum(int((task / "schedstat").read_text().split()[0]) for task in Path(f"/proc/{pid}/task").iterdir()) / 1e9


def launch(story, program, caption, *options):  # (the story, seconds until its window is visible, host pid, window)
    started = time.monotonic()
    story.start(program)
    window = story.win(caption, *options, timeout=60)
    return story, time.monotonic() - started, host_pid(story, program), window


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seconds", type=float, default=120)
    span = parser.parse_args().seconds
    kestor, taskmgr = harness.Story(), harness.Story()
    kestor.setUp("bench-kestor")
    taskmgr.setUp("bench-taskmgr")
    try:  # a metering limit for the logged-on user, the chime on, a playlist of three tracks
        kestor.put("ControlSet.ini", harness.list_file([(kestor.user(), "5小时", "60分钟", "", 1)]))
        (kestor.app / "音乐").mkdir()
        for n in range(1, 4):
            harness.tone(kestor.app / f"音乐/第{n}首.mp3", 5, 220 * n)
        kestor.put("Playlist.m3u", harness.m3u(f"C:\\Kestor\\音乐\\第{n}首.mp3" for n in range(1, 4)))
        kestor.reg("HKCU", harness.PROFILE, "Options_a1", "REG_DWORD", 1)
        taskmgr.user()  # both servers up before either launch is timed
        runs = {"Kestor.exe": launch(kestor, "Kestor.exe", harness.SHEET, "--has-tab")}
        sheet = runs["Kestor.exe"][3]
        kestor.drv("post", sheet, harness.PSM_SETCURSEL, 4, 0)  # the process page fills its list once
        kestor.until(lambda: kestor.rows(sheet, harness.TAB_STRIP)[4][0], "the process page")
        kestor.shot("bench-process-page")
        kestor.sheet(False, timeout=90)  # hidden into the tray
        runs["taskmgr.exe"] = launch(taskmgr, "taskmgr.exe", "任务管理器")
        time.sleep(5)  # taskmgr's own start-up work settles before the span begins
        pids = {name: (pid, host_pid(story, "wineserver64")) for name, (story, _, pid, _) in runs.items()}
        before = {name: list(map(cpu_seconds, pair)) for name, pair in pids.items()}
        started = time.monotonic()
        time.sleep(span)
        elapsed = time.monotonic() - started
        figures = {name: [cpu_seconds(pid) - before[name][0], cpu_seconds(server) - before[name][1],
                          int(Path(f"/proc/{pid}/status").read_text().split("VmHWM:")[1].split()[0]) / 1024,
                          runs[name][1], before[name][0]] for name, (pid, server) in pids.items()}
    finally:
        kestor.tearDown()
        taskmgr.tearDown()
    print(f"idle span {elapsed:.0f} s, side by side; Kestor.exe is {harness.KESTOR_EXE.stat().st_size / 1024:.0f} KiB")
    figures["Kestor/taskmgr"] = [k / t if t else float("inf") for k, t in zip(*figures.values())]
    print(f"{'':14}{'CPU s':>9}{'wineserver CPU s':>18}{'peak RSS MiB':>14}{'window up s':>13}{'start-up CPU s':>17}")
    for name, row in figures.items():
        print(f"{name:14}" + "".join(f"{v:{w}.2f}" for v, w in zip(row, (9, 18, 14, 13, 17))))

if __name__ == "__main__":
    main()
