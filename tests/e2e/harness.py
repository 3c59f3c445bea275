"""End-to-end harness: the real Kestor.exe under wine64 on a virtual display. A run starts one Xvfb display and
makes a template prefix (kept in build/e2e/template while the Wine version stays). A story, a test method of a
Story, checks many things on one run in a prefix copied from the template (binaries hard-linked: 0.1 s) whose
C:\\Kestor (``self.appdir``) holds build/win64/Kestor.exe, through the driver (tools/driver/kdriver.cpp) serving
``self.drv(...)`` there. It waits for what it needs with a limit, never for a fixed time. A failure prints the
windows, the texts of the visible ones and the programs, keeps the prefix, and saves build/screenshots/FAIL-*.png."""
import atexit
import fcntl
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from collections import namedtuple
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
WINE, BUILD = "/usr/lib/wine/wine64", REPO / "build"
KESTOR_EXE, DRIVER_EXE, E2E = BUILD / "win64/Kestor.exe", BUILD / "win64/kdriver.exe", BUILD / "e2e"
WM_NULL, WM_KEYDOWN, WM_COMMAND, WM_TIMER, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN = 0, 0x100, 0x111, 0x113, 0x203, 0x204
WM_TRAY_NOTIFY, WM_USER_ACTIVITY, WM_SHOW_ABOUT, PSM_SETCURSEL = 0x40A, 0x464, 0x478, 0x465  # WM_USER + 10, 100...
VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN, IDOK, IDCANCEL = 13, 27, 38, 40, 1, 2
TRAY_ICON_ID, TAB_STRIP, APPLY, FILE_NAME_BOX = 101, 0x3020, 0x3021, 0x47C  # the sheet's own, the open dialog's
SHEET, PROFILE, MACHINE = "Kestor", r"Software\Kestor\Kestor\Setting\Default", r"SOFTWARE\Kestor\Setting\Default"
RUN_KEY = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
IDS = {m[1]: int(m[2], 0) for m in re.finditer(r"#define\s+(ID\w+)\s+(\w+)", (REPO / "res/resource.h").read_text())}
globals().update(IDS)  # the program's ids by their names
SHARED = {".dll", ".exe", ".nls", ".sys", ".drv", ".ocx", ".cpl", ".acm", ".tlb", ".ax", ".com", ".ds", ".ttf", ".fon"}
Control = namedtuple("Control", "id cls visible enabled checked hwnd parent text")
run = {}  # the display and the folder of this run's prefixes


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "r": "\r", "n": "\n"}.get(m[1], m[1]), text)


def list_file(rows):
    """TimeSet.ini of (month, day, hour, minute, message) reminders or ControlSet.ini of (user, continuous, rest,
    daily window, flags) limits, as the program writes them: the count and the records in text mode (every LF as
    CR LF, also inside the raw numbers); empty for no rows."""
    records = [bytes(r[3::-1]) + b"D\n" + f"{r[0]:02d}月{r[1]:02d}日{r[2]:02d}点{r[3]:02d}分\n{r[4]}\n".encode("gbk")
               if isinstance(r[0], int) else "".join(f"D\n{t}\n" for t in r[:4]).encode("gbk") + bytes([r[4], 0, 0, 0])
               for r in rows]
    data = b"[ItemCount]\n" + len(rows).to_bytes(4, "little") + b"D\n[ItemData]\n" + b"".join(records)
    return data.replace(b"\n", b"\r\n") if rows else b""


def wine_env(prefix):  # without any faketime setting inherited
    env = {k: v for k, v in os.environ.items() if not k.startswith(("FAKETIME", "WINE")) and k != "LD_PRELOAD"}
    return env | dict(DISPLAY=run["display"], WINEPREFIX=str(prefix), WINEDEBUG="-all", TZ="Asia/Shanghai",
                      LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8", WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=")


def start_run():
    """The display (Xvfb takes the first free one and names it) and the template prefix, made once."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    atexit.register(xvfb.terminate)
    if not select.select([read_end], [], [], 20)[0]:
        raise RuntimeError("Xvfb did not start")
    run["display"] = ":" + os.read(read_end, 16).decode().strip()
    (E2E / "tests").mkdir(parents=True, exist_ok=True)
    with open(E2E / "template.lock", "w") as lock:  # runs started together in one tree wait here
        fcntl.flock(lock, fcntl.LOCK_EX)
        recipe = subprocess.run([WINE, "--version"], capture_output=True, text=True).stdout + " chime off"
        stamp, env = E2E / "template/.recipe", wine_env(E2E / "template")
        if not stamp.exists() or stamp.read_text() != recipe:
            shutil.rmtree(E2E / "template", ignore_errors=True)
            # The hourly notice off: it would come up over any story running across a full hour.
            for command in (["wineboot", "-i"], [DRIVER_EXE, "reg", "HKCU", PROFILE, "Options_a1", "REG_DWORD", "0"]):
                subprocess.run([WINE, *command], env=env, capture_output=True, timeout=300, check=True)
            subprocess.run(["wineserver", "-w"], env=env, timeout=120, check=True)
            stamp.write_text(recipe)
    run["tests"] = Path(tempfile.mkdtemp(prefix="run-", dir=E2E / "tests"))
    atexit.register(lambda: any(run["tests"].iterdir()) or run["tests"].rmdir())
    return run


class Story(unittest.TestCase):
    """One story in a Wine prefix of its own; a window is named by caption ("--has-tab": the sheet) or "0x<hwnd>"."""

    def setUp(self, name=None):
        self.processes, self.driver, self.started = [], None, time.monotonic()
        self.dir = (run or start_run())["tests"] / (name or self.id())
        self.prefix, self.appdir = self.dir / "prefix", self.dir / "prefix/drive_c/Kestor"
        self.dir.mkdir()
        subprocess.run(["cp", "-al", E2E / "template", self.prefix], check=True)
        for root, _, files in os.walk(self.prefix):  # real copies of what may be written; dosdevices stay links
            for path in (Path(root, name) for name in files if Path(name).suffix.lower() not in SHARED):
                if not path.is_symlink():
                    path.unlink()
                    shutil.copy2(E2E / "template" / path.relative_to(self.prefix), path)
        self.appdir.mkdir()
        shutil.copy2(KESTOR_EXE, self.appdir)
        self.log = open(self.dir / "wine.log", "ab")

    def tearDown(self):
        outcome = getattr(self, "_outcome", None)  # unittest keeps this story's failures there
        failed = outcome and any(test is self for test, _ in outcome.result.failures + outcome.result.errors)
        try:
            if failed:  # the windows, the controls of the visible ones, the programs, Wine's last lines
                seen = [f"{w.hwnd} {w.cls} {w.text!r} {w.visible and self.texts(w.hwnd)}" for w in self.texts()]
                ended = [f"{p.args} ended with {p.returncode}" for p in self.processes if p.poll() is not None]
                self.screenshot("FAIL-" + self.dir.name)
                self.log.flush()
                print("--- what it saw ---", *seen, *ended, self.host_processes(), "--- Wine's last lines ---",
                      *(self.dir / "wine.log").read_bytes().decode("utf-8", "replace").splitlines()[-15:], sep="\n",
                      file=sys.stderr)
        except Exception as error:  # the report must never hide the failure itself
            print(f"(no snapshot: {error})", file=sys.stderr)
        self.stop_server()
        for process in self.processes:
            process.kill()
            process.communicate(timeout=10)  # closes the drivers' pipes
        self.log.close()
        print(f"    ({time.monotonic() - self.started:.1f} s)", flush=True)
        if not failed and os.environ.get("KESTOR_E2E_KEEP") != "1":
            shutil.rmtree(self.dir, ignore_errors=True)  # a failed story's prefix stays

    def start_program(self, *argv, at=None, speed=1, cwd=None):
        """Starts a Windows program; with `at` ("YYYY-MM-DD HH:MM:SS", local time) the whole session, server
        included, runs under faketime from that time, `speed` times faster. Much faster than ten times, Wine's own
        waits at the start run out and it may end the program."""
        env, command = wine_env(self.prefix), [WINE, *map(str, argv)]
        if at:
            self.stop_server()  # a server started on the real clock would keep the timers on it
            command = ["faketime", "-f", f"@{at}" + (f" x{speed}" if speed != 1 else "")] + command
            env["NO_FAKE_STAT"] = "1"  # faked file times make Wine update the prefix at the start, slowly
            # The wrapper names a semaphore after its pid and removes it at its end: one killed with its session
            # leaves it, and a later wrapper of the same pid refuses to start ("sem_open: File exists").
            for entry in Path("/dev/shm").glob("*faketime_*_*"):
                if not Path("/proc", entry.name.rsplit("_", 1)[-1]).exists():
                    entry.unlink(missing_ok=True)
        self.processes.append(subprocess.Popen(command, cwd=cwd or self.appdir, env=env, stdin=subprocess.DEVNULL,
                                               stdout=self.log, stderr=self.log, start_new_session=True))
        return self.processes[-1]

    def start_kestor(self, at=None, speed=1):
        """Starts Kestor.exe in C:\\Kestor and waits for its first window on the display, asking the X server: a
        driver call while a session on a faked clock comes up starts parts of it again on the real clock, and the
        program's desktop then fails. On the real clock the wait tells a crash at start from a slow start."""
        process, env = self.start_program("Kestor.exe", at=at, speed=speed), dict(os.environ, DISPLAY=run["display"])
        self.wait_until(lambda: process.poll() is not None or '("kestor.exe" ' in subprocess.run(
            ["xwininfo", "-root", "-tree"], env=env, capture_output=True, text=True).stdout, 60, "a window of Kestor")
        self.assertIsNone(process.poll(), "Kestor.exe ended before showing a window")
        return process

    def host_processes(self, exe=None):
        """The prefix's running processes (of that program, case-free) as "<pid> <command>", read from /proc. A Wine
        process names itself by its Windows path once past the loader (wine64 Kestor.exe); a faketime wrapper,
        which outlives its program, does not count; a zombie's environment reads empty."""
        found = []
        for entry in Path("/proc").glob("[0-9]*"):
            try:
                argv = (entry / "cmdline").read_bytes().decode("utf-8", "replace").split("\0")
                if f"WINEPREFIX={self.prefix}".encode() in (entry / "environ").read_bytes().split(b"\0") and \
                        (not exe or exe.lower() in [re.split(r"[\\/]", word)[-1].lower() for word in argv[:2]]):
                    found.append(f"{entry.name} {' '.join(argv)}")
            except OSError:
                pass
        return found

    def stop_server(self):  # every Wine process of the prefix, the driver's too
        subprocess.run(["wineserver", "-k"], env=wine_env(self.prefix), stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=wine_env(self.prefix), timeout=30)

    def screenshot(self, name):
        """The screen as build/screenshots/<name>.png, read in one piece by ImageMagick's import: xwd -root pieces
        it together window by window (Wine gives each process a colormap) and drew a message box black."""
        (BUILD / "screenshots").mkdir(exist_ok=True)
        subprocess.run(["import", "-silent", "-window", "root", BUILD / f"screenshots/{name}.png"], timeout=60,
                       check=True, env=dict(os.environ, DISPLAY=run["display"]))

    def drv(self, *words, check=True, timeout=60):
        """The driver's lines for a command, or with check=False (exit code, lines); started at need."""
        if self.driver is None or self.driver.poll() is not None:
            self.driver = subprocess.Popen([WINE, DRIVER_EXE], env=wine_env(self.prefix), bufsize=0, stderr=self.log,
                                           stdin=subprocess.PIPE, stdout=subprocess.PIPE, start_new_session=True)
            self.processes.append(self.driver)
        self.driver.stdin.write(("\t".join(map(str, words)) + "\n").encode())
        lines, deadline = [], time.monotonic() + timeout
        while not (lines and lines[-1].startswith("\x1e")):
            # The server and services the driver may have started hold its pipes too: no end of file to wait for.
            if select.select([self.driver.stdout], [], [], 0.5)[0] and (line := self.driver.stdout.readline()):
                lines.append(line.decode("utf-8", "replace").rstrip("\n"))
            elif self.driver.poll() is not None or time.monotonic() > deadline:
                self.driver.kill()
                self.fail(f"kdriver {' '.join(map(str, words))}: no answer")
        code, _, message = lines.pop()[1:].partition("\t")
        if check and code != "0":
            self.fail(f"kdriver {' '.join(map(str, words))}: {unescape(message)}")
        return lines if check else (int(code), lines)

    def wait_window(self, caption, *options, timeout=20, visible=True, gone=False):
        """Waits for a top-level window (hidden too if not visible) and returns it, or with gone=True for it to go."""
        lines = self.drv("wait-gone" if gone else "wait-window", caption, *options, "--timeout", int(timeout * 1000),
                         *["--visible"] * visible, timeout=timeout + 30)
        return lines[0] if lines else None

    def texts(self, target=None):  # the controls under the window, or every top-level window
        rows = [line.split("\t", 7) for line in self.drv("texts", *[target] * bool(target))]
        return [Control(int(r[0]), r[1], r[2] == "1", r[3] == "1", None if r[4] == "-" else int(r[4]), r[5], r[6],
                        unescape(r[7])) for r in rows]

    def control(self, target, control_id):  # the one a user sees: visible, enabled first (a sheet's pages share ids)
        found = sorted((c for c in self.texts(target) if c.id == control_id), key=lambda c: (-c.visible, -c.enabled))
        return found[0] if found else self.fail(f"no control {control_id} in {target}")

    def rows(self, target, control_id):  # [(selected, cells)] of a list view, list box, combo box or tab strip
        return [(line[0] == "1", [unescape(cell) for cell in line.split("\t")[1:]])
                for line in self.drv("rows", target, control_id)]

    def window(self, target):  # topmost, minimized, rect, the class holding the focus, the pointer's clip
        w = self.drv("window", target)[0].split()
        return dict(topmost=w[0] == "1", minimized=w[1] == "1", rect=tuple(map(int, w[2:6])), focus=w[6],
                    clip=tuple(map(int, w[7:11])))

    def msgbox(self, button=None, timeout=10):  # waits for one; its text, after a click on that button if given
        lines = self.drv("msgbox", *[button] * (button is not None), "--timeout", timeout * 1000, timeout=timeout + 30)
        if button is not None:  # gone, or a box closing might be taken for the next one
            self.drv("wait-gone", "@", "--timeout", 10000)
        return unescape(lines[0])

    def reg(self, root, path, value, *set_to):  # (type, data) of the value, set first if given; None if absent
        code, lines = self.drv("reg", root, path, value, *set_to, check=False)
        kind, data = lines[0].split("\t", 1) if code == 0 else (None, None)
        return kind and (kind, int(data) if kind == "REG_DWORD" else unescape(data))

    def wait_until(self, check, timeout=20, what="the condition", interval=0.1):  # until check() returns a true value
        deadline = time.monotonic() + timeout
        while not (value := check()):
            if time.monotonic() > deadline:
                self.fail(f"{what} not met in {timeout} s (last value {value!r})")
            time.sleep(interval)
        return value

    def wait_ended(self, exe, timeout=30):
        self.wait_until(lambda: not self.host_processes(exe), timeout, f"{exe} ended")

    def sheet(self):
        return self.wait_window(SHEET, "--has-tab", visible=False)

    def keep_shown(self, sheet):
        self.drv("post", sheet, WM_USER_ACTIVITY, 0, 0)  # a click on the sheet as it sees one: 30 s more shown

    def tray(self, mouse_message):  # the tray icon's callback, as the shell posts it
        self.drv("post", self.sheet(), WM_TRAY_NOTIFY, TRAY_ICON_ID, mouse_message)

    def show_page(self, index):
        """Shows the sheet through the tray icon and selects page `index`. The sheet a start shows hides after a
        second, too soon for a driver on a busy machine; shown so, it stays 20 s."""
        sheet = self.sheet()
        self.tray(WM_LBUTTONDBLCLK)
        self.wait_window(SHEET, "--has-tab")
        self.drv("post", sheet, PSM_SETCURSEL, index, 0)
        self.wait_until(lambda: self.rows(sheet, TAB_STRIP)[index][0], what=f"page {index} shown")
        return sheet

    def choose_in_open_dialog(self, names):
        """Types the names into the open-file dialog and presses OK by its command: a click by id could reach the
        list inside the dialog, which has the id 1 too."""
        opener = self.wait_window("打开")
        self.drv("set-text", opener, FILE_NAME_BOX, names)
        self.drv("post", opener, WM_COMMAND, IDOK, 0)
        self.wait_window("打开", gone=True)

    def tray_menu(self, *keys):
        """Opens the tray menu and presses the keys, then Enter (Up from no selection is the last item, "退出").
        Keys go to the foreground window, so nothing else may hold it (a hidden window cannot take it under Wine);
        they are sent again until Wine takes them (SendInput failed once in a full run)."""
        self.tray(WM_RBUTTONDOWN)
        self.wait_window("", "--class", "#32768")
        self.wait_until(lambda: self.drv("key", *keys, VK_RETURN, check=False)[0] == 0, 10, "the menu keys taken")

    def exit_through_tray(self):
        self.tray_menu(VK_UP)
        self.wait_ended("Kestor.exe")
