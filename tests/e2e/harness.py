"""End-to-end harness: the real Kestor.exe under wine64 on a virtual display.

One run starts one Xvfb display and makes one template prefix (kept in build/e2e/template while the Wine
version stays; its hourly notice is off, or it would come up over any story running across a full hour). Each
story (a test method of a Story) gets a fresh prefix copied from it (binaries hard-linked: 0.1 s), a start-up
directory C:\\Kestor (``self.appdir``) holding a copy of build/win64/Kestor.exe, and the driver
tools/driver/kdriver.cpp serving ``self.drv(...)`` in that prefix. A story checks many things on one run:

    class StartupTest(Story):
        def test_start(self):
            self.start_kestor()
            self.assertEqual(self.rows(self.sheet(), TAB_STRIP)[0], (True, ["系统信息"]))

It waits for what it needs, with a limit (``wait_window``, ``wait_until``, ``wait_file``, the driver's
``--timeout``), never for a fixed time. A failure prints the windows and the texts of the visible ones, the
programs that ended and how, Wine's last lines, and saves build/screenshots/FAIL-<story>.png.

``start_kestor(at="2026-05-05 09:04:55", speed=10)`` runs the whole Wine session under faketime in the
Asia/Shanghai zone from that local time, `speed` times faster (timers, GetTickCount and Sleep too); the driver
stays on the real clock. KESTOR_E2E_KEEP=1 keeps every prefix (a failed story's is always kept).
"""
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
KESTOR_EXE, DRIVER_EXE, E2E, SCREENSHOTS = BUILD / "win64/Kestor.exe", BUILD / "win64/kdriver.exe", BUILD / "e2e", BUILD / "screenshots"
WM_NULL, WM_KEYDOWN, WM_COMMAND, WM_SYSCOMMAND, WM_TIMER, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN = 0, 0x100, 0x111, 0x112, 0x113, 0x203, 0x204
WM_TRAY_NOTIFY, PSM_SETCURSEL, WM_USER_ACTIVITY, WM_SHOW_ABOUT = 0x40A, 0x465, 0x464, 0x478  # WM_USER + 10, 101, 100, 120
VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN, IDOK, IDCANCEL, IDYES = 13, 27, 38, 40, 1, 2, 6
TRAY_ICON_ID, TAB_STRIP, APPLY, FILE_NAME_BOX = 101, 0x3020, 0x3021, 0x47C  # the sheet's own, the open dialog's
SHEET = "Kestor"
PROFILE, MACHINE = r"Software\Kestor\Kestor\Setting\Default", r"SOFTWARE\Kestor\Setting\Default"
RUN_KEY = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
IDS = {m[1]: int(m[2], 0) for m in re.finditer(r"#define\s+(ID\w+)\s+(\w+)", (REPO / "res/resource.h").read_text())}
Control = namedtuple("Control", "id cls visible enabled checked hwnd parent pid text")
SHARED = {".dll", ".exe", ".nls", ".sys", ".drv", ".ocx", ".cpl", ".acm", ".tlb", ".ax", ".com", ".ds", ".ttf", ".fon"}


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "r": "\r", "n": "\n"}.get(m[1], m[1]), text)


def log(message):
    print(message, file=sys.stderr, flush=True)


def list_file(rows, record):
    """A list file as the program writes it: the count and the records, text mode (every LF as CR LF, also
    inside the raw numbers); empty for no rows."""
    data = b"[ItemCount]\n" + len(rows).to_bytes(4, "little") + b"D\n[ItemData]\n" + b"".join(map(record, rows))
    return data.replace(b"\n", b"\r\n") if rows else b""


def reminder_file(rows):
    """TimeSet.ini of (month, day, hour, minute, message) reminders, in list order."""
    return list_file(rows, lambda r: bytes((r[3], r[2], r[1], r[0])) + b"D\n" +
                     f"{r[0]:02d}月{r[1]:02d}日{r[2]:02d}点{r[3]:02d}分\n{r[4]}\n".encode("gbk"))


def limit_file(rows):
    """ControlSet.ini of (user, continuous, rest, daily window, flags) rows."""
    return list_file(rows, lambda r: b"".join(b"D\n" + t.encode("gbk") + b"\n" for t in r[:4]) + r[4].to_bytes(4, "little"))


def wine_env(display, prefix, user=None):
    """The environment of the Wine processes of the tests, without any faketime setting inherited."""
    env = {k: v for k, v in os.environ.items() if not k.startswith(("FAKETIME", "WINE")) and k != "LD_PRELOAD"}
    env.update(DISPLAY=display, WINEPREFIX=str(prefix), WINEDEBUG="-all", LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", TZ="Asia/Shanghai")
    return env | (dict(USER=user, USERNAME=user, LOGNAME=user) if user else {})


def screenshot(display, name):
    """The whole screen as build/screenshots/<name>.png, read in one piece by ImageMagick's import: xwd -root
    pieces it together window by window (Wine gives each process a colormap) and drew a message box black."""
    SCREENSHOTS.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-silent", "-window", "root", SCREENSHOTS / f"{name}.png"], timeout=60, check=True,
                   env=dict(os.environ, DISPLAY=display))
    return SCREENSHOTS / f"{name}.png"


class Run:
    """What one run shares: the display, the template prefix and a folder for the stories' prefixes."""
    current = None

    def __init__(self, fresh_template=False, keep=False):
        self.keep = keep or os.environ.get("KESTOR_E2E_KEEP") == "1"
        read_end, write_end = os.pipe()  # Xvfb takes the first free display and names it here
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
                                      "tcp", "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        atexit.register(self.xvfb.terminate)
        os.close(write_end)
        if not select.select([read_end], [], [], 20)[0]:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + os.read(read_end, 16).decode().strip()
        E2E.mkdir(parents=True, exist_ok=True)
        with open(E2E / "template.lock", "w") as lock:  # runs started together in one tree wait here
            fcntl.flock(lock, fcntl.LOCK_EX)
            recipe = subprocess.run([WINE, "--version"], capture_output=True, text=True).stdout + " chime off"
            stamp, env = E2E / "template/.recipe", wine_env(self.display, E2E / "template")
            if fresh_template or not stamp.exists() or stamp.read_text() != recipe:
                shutil.rmtree(E2E / "template", ignore_errors=True)
                for command in (["wineboot", "-i"], [DRIVER_EXE, "reg", "HKCU", PROFILE, "Options_a1", "REG_DWORD", "0"]):
                    subprocess.run([WINE, *command], env=env, capture_output=True, timeout=300, check=True)
                subprocess.run(["wineserver", "-w"], env=env, timeout=120, check=True)
                stamp.write_text(recipe)
        (E2E / "tests").mkdir(exist_ok=True)
        self.tests_dir = Path(tempfile.mkdtemp(prefix="run-", dir=E2E / "tests"))
        atexit.register(lambda: any(self.tests_dir.iterdir()) or self.tests_dir.rmdir())

    @classmethod
    def start(cls, fresh_template=False, keep=False):
        cls.current = cls.current or cls(fresh_template, keep)
        return cls.current


class Story(unittest.TestCase):
    """One story in a Wine prefix of its own. A window is named by its caption or "0x<hwnd>", with the driver's
    options ("--has-tab" for the sheet)."""

    def setUp(self, name=None):
        self.run_state = Run.start()
        self.dir = self.run_state.tests_dir / (name or self.id().split(".", 1)[1])
        self.prefix, self.processes, self.driver = self.dir / "prefix", [], None
        self.dir.mkdir(parents=True)
        subprocess.run(["cp", "-al", E2E / "template", self.prefix], check=True)
        for root, _, files in os.walk(self.prefix):  # real copies of what may be written
            for path in (Path(root, name) for name in files if Path(name).suffix.lower() not in SHARED):
                if path.is_symlink():  # dosdevices: drives and ports
                    continue
                path.unlink()
                shutil.copy2(E2E / "template" / path.relative_to(self.prefix), path)
        self.appdir = self.prefix / "drive_c/Kestor"
        self.appdir.mkdir()
        shutil.copy2(KESTOR_EXE, self.appdir)
        self.log = open(self.dir / "wine.log", "ab")

    def tearDown(self):
        outcome = getattr(self, "_outcome", None)  # unittest keeps this story's failures there
        failed = outcome and any(test is self for test, _ in outcome.result.failures + outcome.result.errors)
        if failed:
            try:
                log(f"--- what {self.id()} saw ---\n{self.snapshot()}\n{self.screenshot('FAIL-' + self.dir.name)}")
            except Exception as error:  # the report must never hide the failure itself
                log(f"(no snapshot: {error})")
            log(f"--- Wine output ---\n{self.log_tail()}\n--- kept in {self.dir}")
        self.stop_server()
        for process in self.processes + [self.driver] * bool(self.driver):
            if process.poll() is None:
                os.killpg(process.pid, 9)
            process.wait(10)
        self.log.close()
        if not failed and not self.run_state.keep:
            shutil.rmtree(self.dir, ignore_errors=True)

    # -- programs --

    def start_program(self, *argv, at=None, speed=1, user=None, cwd=None):
        """Starts a Windows program; with `at` ("YYYY-MM-DD HH:MM:SS", local time) the whole session, server
        included, runs under faketime from that time, `speed` times faster."""
        env, command = wine_env(self.run_state.display, self.prefix, user), [WINE, *map(str, argv)]
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

    def start_kestor(self, at=None, speed=1, user=None):
        """Starts Kestor.exe in C:\\Kestor and waits for its first window on the display, asking the X server:
        a driver call while a session on a faked clock comes up starts parts of it again on the real clock, and
        the program's desktop then fails. On the real clock the wait tells a crash at start from a slow start."""
        process = self.start_program("Kestor.exe", at=at, speed=speed, user=user)
        env = dict(os.environ, DISPLAY=self.run_state.display)
        self.wait_until(lambda: process.poll() is not None or '("kestor.exe" ' in subprocess.run(
            ["xwininfo", "-root", "-tree"], env=env, capture_output=True, text=True).stdout, 60, "a window of Kestor")
        self.assertIsNone(process.poll(), "Kestor.exe ended before showing a window")
        return process

    def host_processes(self, exe=None):
        """The prefix's running processes (of that program, case-free) as "<host pid> <command>", read from /proc.
        A Wine process names itself by its Windows path once past the loader (wine64 Kestor.exe)."""
        found = []
        for entry in Path("/proc").glob("[0-9]*"):
            try:
                argv = (entry / "cmdline").read_bytes().decode("utf-8", "replace").split("\0")
                mine = f"WINEPREFIX={self.prefix}".encode() in (entry / "environ").read_bytes().split(b"\0")
                alive = (entry / "stat").read_text().rsplit(")", 1)[1].split()[0] != "Z"
            except OSError:
                continue
            if mine and alive and (not exe or exe.lower() in [re.split(r"[\\/]", a)[-1].lower() for a in argv[:2]]):
                found.append(f"{entry.name} {' '.join(argv[:2])}")
        return found

    def stop_server(self):
        """Ends every Wine process of the prefix, the driver's too, and waits for the server to go."""
        env = wine_env(self.run_state.display, self.prefix)
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, timeout=30)

    def log_tail(self, lines=15):
        self.log.flush()
        return "\n".join((self.dir / "wine.log").read_bytes().decode("utf-8", "replace").splitlines()[-lines:])

    def screenshot(self, name):
        return screenshot(self.run_state.display, name)

    # -- the driver --

    def drv(self, *words, check=True, timeout=60):
        """The driver's lines for one command; with check=False (exit code, lines). The driver is started at
        need: a session that ends takes it along."""
        if self.driver is None or self.driver.poll() is not None:
            self.driver = subprocess.Popen([WINE, DRIVER_EXE], env=wine_env(self.run_state.display, self.prefix), bufsize=0,
                                           stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self.log, start_new_session=True)
        self.driver.stdin.write(("\t".join(map(str, words)) + "\n").encode())
        lines, deadline = [], time.monotonic() + timeout
        while not (lines and lines[-1].startswith("\x1e")):
            # The server and services that the driver may have started hold its pipes too: no end of file to wait for.
            if select.select([self.driver.stdout], [], [], 0.5)[0] and (line := self.driver.stdout.readline()):
                lines.append(line.decode("utf-8", "replace").rstrip("\n"))
            elif self.driver.poll() is not None or time.monotonic() > deadline:
                self.driver.kill()
                raise AssertionError(f"kdriver {' '.join(map(str, words))}: no answer")
        code, _, message = lines.pop()[1:].partition("\t")
        if check and code != "0":
            raise AssertionError(f"kdriver {' '.join(map(str, words))}: {unescape(message)}")
        return lines if check else (int(code), lines)

    def wait_window(self, caption, *options, timeout=20, visible=True, gone=False):
        """Waits for a top-level window and returns its handle, visible=False taking a hidden one too; or with
        gone=True until no such window is shown (visible=False: until none is left)."""
        code, lines = self.drv("wait-gone" if gone else "wait-window", caption, *options, "--timeout", int(timeout * 1000),
                               *["--visible"] * visible, check=False, timeout=timeout + 30)
        if code:
            self.fail(f"window {caption!r} {options} {'still there' if gone else 'not there'} after {timeout} s")
        return lines[0] if lines else None

    def texts(self, target=None):
        """Controls under the window, or every top-level window without one."""
        rows = [line.split("\t", 8) for line in self.drv("texts", *[target] * bool(target))]
        return [Control(int(r[0]), r[1], r[2] == "1", r[3] == "1", None if r[4] == "-" else int(r[4]), r[5], r[6],
                        int(r[7]), unescape(r[8])) for r in rows]

    def control(self, target, control_id):
        """The control of that id a user would see: visible and enabled ones first (pages of a sheet share ids)."""
        found = sorted((c for c in self.texts(target) if c.id == control_id), key=lambda c: (not c.visible, not c.enabled))
        return found[0] if found else self.fail(f"no control {control_id} in {target}")

    def rows(self, target, control_id):
        """[(selected, cells)] of a list view, list box, combo box or tab strip."""
        return [(row[0] == "1", [unescape(c) for c in row[1:]])
                for row in (line.split("\t") for line in self.drv("rows", target, control_id))]

    def window(self, target):
        """The driver's window line: visible, topmost, minimized, rect, focus (a class) and the pointer's clip."""
        w = self.drv("window", target)[0].split()
        return dict(visible=w[0] == "1", topmost=w[1] == "1", minimized=w[2] == "1", rect=tuple(map(int, w[3:7])),
                    focus=w[7], clip=tuple(map(int, w[8:12])))

    def msgbox(self, button=None, timeout=10):
        """Waits for a message box and returns its text, clicking that button (IDOK...) if given."""
        code, lines = self.drv("msgbox", *[button] * (button is not None), "--timeout", int(timeout * 1000), check=False,
                               timeout=timeout + 30)
        return unescape(lines[0]) if code == 0 else self.fail(f"no message box in {timeout} s")

    def reg(self, root, path, value, *set_to):
        """(type, data) of a registry value (DWORDs as numbers), after setting it to (type, data) if given; None
        if it is absent."""
        code, lines = self.drv("reg", root, path, value, *set_to, check=False)
        kind, _, data = lines[0].partition("\t") if code == 0 else ("", "", "")
        return (kind, int(data) if kind == "REG_DWORD" else unescape(data)) if code == 0 else None

    # -- waiting --

    def wait_until(self, check, timeout=20, what="the condition", interval=0.1):
        """Polls check() until it returns something true, which it returns; fails after timeout s."""
        deadline = time.monotonic() + timeout
        while not (value := check()):
            if time.monotonic() > deadline:
                self.fail(f"{what} not met in {timeout} s (last value {value!r})")
            time.sleep(interval)
        return value

    def wait_file(self, name, timeout=20):
        """Waits until the start-up directory holds the file; returns its bytes."""
        self.wait_until((self.appdir / name).exists, timeout, f"file {name} written")
        return (self.appdir / name).read_bytes()

    def wait_ended(self, exe=None, timeout=30):
        """Waits until no process of that program (or, for none, of the prefix) runs."""
        self.wait_until(lambda: not self.host_processes(exe), timeout, f"{exe or 'every process'} ended")

    def snapshot(self):
        """Every top-level window, the controls of the visible ones, and the programs that ended."""
        lines = [f"{p.args} ended with {p.returncode}" for p in self.processes if p.poll() is not None]
        lines.append(f"running: {self.host_processes()}")
        for w in self.texts():
            lines.append(f"{w.hwnd} pid {w.pid} {'visible' if w.visible else 'hidden'} {w.cls} {w.text!r}")
            lines += [f"    {c}" for c in (self.texts(w.hwnd) if w.visible and w.cls != "Shell_TrayWnd" else [])]
        return "\n".join(lines)

    # -- the program's sheet and tray --

    def sheet(self):
        return self.wait_window(SHEET, "--has-tab", visible=False)

    def keep_shown(self, sheet):
        """Counts as a click on the sheet, so that it does not hide itself into the tray meanwhile."""
        self.drv("post", sheet, WM_USER_ACTIVITY, 0, 0)

    def tray(self, mouse_message):
        """Posts the tray icon's callback to the sheet, as the shell does."""
        self.drv("post", self.sheet(), WM_TRAY_NOTIFY, TRAY_ICON_ID, mouse_message)

    def show_page(self, index):
        """Shows the sheet through the tray icon and selects page `index`. The sheet a start shows hides after a
        second, too soon for a driver on a busy machine; shown so, it stays 20 s, and 30 s more at each click."""
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
        """Opens the tray menu with the right button and presses the keys, then Enter; Up from no selection is the
        last item, "退出". Keys go to the foreground window, so nothing else may hold it (a hidden window cannot
        take it under Wine). They are sent again until Wine takes them (SendInput failed once in a full run)."""
        self.tray(WM_RBUTTONDOWN)
        self.wait_window("", "--class", "#32768")
        self.wait_until(lambda: self.drv("key", *keys, VK_RETURN, check=False)[0] == 0, 10, "the menu keys taken")

    def exit_through_tray(self):
        self.tray_menu(VK_UP)
        self.wait_ended("Kestor.exe")
