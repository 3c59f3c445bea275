#!/usr/bin/env python3
"""Kestor idle in the tray next to Wine's own taskmgr.exe idle, side by side in one run under Wine.

Kestor starts in a prefix prepared the way a busy machine would have it: a ControlSet.ini row for the
logged-on user (a continuous-use limit, so its meter runs), the hourly chime on, a Playlist.m3u of a
few MP3 files, and the process page opened once through the driver before the sheet hides. taskmgr.exe
starts in a prefix of its own and stays open on its process list. Both then idle over the same span.

For each program: CPU seconds of its process over the span, CPU seconds of its prefix's wineserver over
the span (the server works for every message and timer of the program), peak resident memory (VmHWM,
start-up included), the time from launch to its window visible and the CPU seconds the process used
before the span (start-up, and for Kestor the process page's first fill); then the ratios
Kestor/taskmgr. The CPU figures count whole clock ticks of the kernel (10 ms here).
A benchmark, not a test: it prints figures and asserts nothing.

    tests/bench/idle.py [--seconds N]     (make bench BENCH_SECONDS=N; 120 s by default)
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
USER = "bench"  # the logged-on user the limit row names
PROCESS_PAGE = 4  # tab index of 进程管理


def linux_pid(prefix, name, skip=None):
    """The Linux process of this Wine prefix whose command line holds `name` (the program's file name,
    or "wineserver"), and not `skip` (the faketime wrapper that started it)."""
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            cmdline = (entry / "cmdline").read_bytes().replace(b"\0", b" ")
            environ = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if name.encode() in cmdline and b"WINEPREFIX=" + str(prefix).encode() in environ and \
                not (skip and cmdline.startswith(skip)):
            return int(entry.name)
    return None


def cpu_seconds(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


def peak_rss_kib(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1])
    return 0


def text_mode(data):
    """Bytes as the program's text-mode writer puts them on disk: every LF becomes CR LF."""
    return data.replace(b"\n", b"\r\n")


def control_set(rows):
    """ControlSet.ini of (user, continuous, rest, window, flags) rows, in the program's list-file
    framing: count and flags are raw 32-bit integers inside the text-mode stream."""
    out = b"[ItemCount]\n" + struct.pack("<I", len(rows)) + b"D\n[ItemData]\n"
    for *texts, flags in rows:
        for text in texts:
            out += b"D\n" + text.encode("gbk") + b"\n"
        out += struct.pack("<I", flags)
    return text_mode(out)


def prepare_kestor(prefix):
    """Kestor.exe in C:\\Kestor with a metering limit row, the chime on and a loaded playlist."""
    shutil.copy2(harness.KESTOR_EXE, prefix.appdir / "Kestor.exe")
    (prefix.appdir / "ControlSet.ini").write_bytes(control_set([(USER, "5小时", "60分钟", "", 1)]))
    music = prefix.appdir / "音乐"
    music.mkdir()
    tracks = []
    for number in range(1, 4):
        track = music / f"第{number}首.mp3"
        subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", str(track), "synth", "5", "sine", str(220 * number)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        tracks.append(f"C:\\Kestor\\音乐\\{track.name}")
    (prefix.appdir / "Playlist.m3u").write_bytes(text_mode("".join(t + "\n" for t in tracks).encode("gbk")))
    prefix.drv("reg-set", "HKCU", harness.PROFILE, "Options_a1", "REG_DWORD", "1")  # the hourly chime


def launch(prefix, argv, name, window_args):
    """Starts the program; returns (seconds until its window is visible, Linux pid, window handle)."""
    started = time.monotonic()
    prefix.start(argv, user=USER)
    hwnd = prefix.drv("wait-window", *window_args, "--visible", "--timeout", 60000, timeout=90).strip()
    shown = time.monotonic() - started
    deadline = time.monotonic() + 20
    pid = linux_pid(prefix.path, name)
    while pid is None and time.monotonic() < deadline:
        time.sleep(0.2)
        pid = linux_pid(prefix.path, name)
    if pid is None:
        raise RuntimeError(f"no Linux process for {name}")
    return shown, pid, hwnd


def open_process_page_then_hide(prefix, sheet):
    """Opens the process page once (it fills its list and starts its refresh timer), then waits until
    the sheet has hidden itself into the tray. The screen as the page opened goes to
    build/screenshots/bench-process-page.png."""
    prefix.drv("select-tab", sheet, PROCESS_PAGE)
    deadline = time.monotonic() + 20
    while True:
        rows = [line.split("\t") for line in prefix.drv("tabs", sheet).splitlines()]
        if len(rows) > PROCESS_PAGE and rows[PROCESS_PAGE][1] == "1":
            break
        if time.monotonic() > deadline:
            raise RuntimeError("the process page did not open")
        time.sleep(0.2)
    harness.screenshot(prefix.run.display.name, "bench-process-page")
    prefix.drv("wait-gone", "Kestor", "--has-tab", "--visible", "--timeout", 90000, timeout=120)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seconds", type=float, default=120, help="idle span measured (default 120)")
    span = parser.parse_args().seconds

    run = harness.start_run()
    kestor = harness.WinePrefix(run, "bench-kestor")
    taskmgr = harness.WinePrefix(run, "bench-taskmgr")
    try:
        prepare_kestor(kestor)
        taskmgr.drv("whoami")  # both servers up before either launch is timed
        programs = {}
        shown, pid, sheet = launch(kestor, ["Kestor.exe"], "Kestor.exe", ["Kestor", "--has-tab"])
        programs["Kestor.exe"] = (kestor, shown, pid)
        open_process_page_then_hide(kestor, sheet)
        shown, pid, _ = launch(taskmgr, ["taskmgr.exe"], "taskmgr.exe", ["任务管理器", "--contains"])
        programs["taskmgr.exe"] = (taskmgr, shown, pid)
        time.sleep(5)  # taskmgr's own start-up work settles before the span begins

        servers = {name: linux_pid(prefix.path, "wineserver") for name, (prefix, _, _) in programs.items()}
        before = {name: (cpu_seconds(pid), cpu_seconds(servers[name])) for name, (_, _, pid) in programs.items()}
        started = time.monotonic()
        time.sleep(span)
        elapsed = time.monotonic() - started
        figures = {}
        for name, (prefix, shown, pid) in programs.items():
            cpu, server = cpu_seconds(pid) - before[name][0], cpu_seconds(servers[name]) - before[name][1]
            figures[name] = (cpu, server, peak_rss_kib(pid) / 1024, shown, before[name][0])
        hidden = kestor.drv("wait-gone", "Kestor", "--has-tab", "--visible", "--timeout", 1, check=False)[0] == 0
    finally:
        kestor.close()
        taskmgr.close()

    print(f"idle span {elapsed:.0f} s, side by side; Kestor.exe is {harness.KESTOR_EXE.stat().st_size / 1024:.0f} KiB"
          f"{'' if hidden else ' (its sheet was visible at the end of the span)'}")
    widths = (9, 18, 14, 13, 17)
    print(f"{'':14}{'CPU s':>9}{'wineserver CPU s':>18}{'peak RSS MiB':>14}{'window up s':>13}"
          f"{'start-up CPU s':>17}")
    for name, row in figures.items():
        print(f"{name:14}" + "".join(f"{value:{width}.{1 if width == 14 else 2}f}" for value, width in zip(row, widths)))
    ratios = [k / t if t else float("inf") for k, t in zip(figures["Kestor.exe"], figures["taskmgr.exe"])]
    print(f"{'Kestor/taskmgr':14}" + "".join(f"{r:{w}.2f}" for r, w in zip(ratios, widths)))


if __name__ == "__main__":
    main()
