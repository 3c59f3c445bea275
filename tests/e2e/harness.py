"""End-to-end test harness: the real Windows program under wine64 on a virtual display.

One run (one `run.py`, or one `python3 -m unittest`) starts one Xvfb display and makes one template
Wine prefix (kept in build/e2e/template for later runs while the Wine version stays the same). Every
test then gets

  * a fresh Wine prefix copied from the template (binaries hard-linked, everything else copied:
    about 0.1 s),
  * a fresh start-up directory C:\\Kestor (host path ``self.appdir``) holding a copy of
    build/win64/Kestor.exe, the program's current directory and so the home of its list files,
  * ``self.drv(...)``: the driver build/win64/kdriver.exe run in the same prefix, which finds windows by
    caption, clicks, reads texts, list views, tabs and the registry (see tools/driver/kdriver.cpp).

Writing a test::

    from harness import KestorTestCase, WM_LBUTTONDBLCLK

    class StartupTest(KestorTestCase):
        def test_second_copy_is_refused(self):
            self.start_kestor()
            self.wait_window("Kestor", "--has-tab", visible=False)
            self.start_kestor()
            self.assertEqual(self.answer_msgbox(1), "...")

Waiting is always polling with a limit (``wait_window``, ``wait_until``, ``wait_file``, the driver's
``--timeout``), never a fixed sleep. A failing test prints what it saw: the windows present, the texts
of the visible ones, the tail of Wine's output, and a screenshot build/screenshots/FAIL-<test>.png.

Clock: ``start_kestor(at="2026-05-05 09:04:55", speed=10)`` runs the Wine session under faketime in
the Asia/Shanghai zone: every process of the prefix sees the same clock, starting at that local time
and running ``speed`` times faster (window timers, GetTickCount and Sleep included). The driver itself
runs on the real clock, so its timeouts are real milliseconds.

Environment knobs: KESTOR_E2E_KEEP=1 keeps every test's prefix (failed tests' are always kept) under
build/e2e/tests/run-*/.
"""

import atexit
import fcntl
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from collections import namedtuple
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
BUILD = REPO / "build"
WINE = "/usr/lib/wine/wine64"
KESTOR_EXE = BUILD / "win64" / "Kestor.exe"
DRIVER_EXE = BUILD / "win64" / "kdriver.exe"
E2E_DIR = BUILD / "e2e"
TEMPLATE = E2E_DIR / "template"
TESTS_DIR = E2E_DIR / "tests"
SCREENSHOTS = BUILD / "screenshots"

# Messages the tests post, by the names the driver understands.
WM_TRAY_NOTIFY = "WM_USER+10"
WM_USER_ACTIVITY = "WM_USER+100"
WM_SAVE_AND_QUIT = "WM_USER+110"
WM_SHOW_ABOUT = "WM_USER+120"
WM_LBUTTONDBLCLK = "WM_LBUTTONDBLCLK"
WM_RBUTTONUP = "WM_RBUTTONUP"
TRAY_ICON_ID = 101
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
# The file name box of the common open-file dialog (cmb13 of Windows' dlgs.h).
FILE_NAME_BOX = 0x47C

# Where the program keeps its settings: the per-user profile section and the machine key.
PROFILE = r"Software\Kestor\Kestor\Setting\Default"
MACHINE = r"SOFTWARE\Kestor\Setting\Default"


def _resource_ids():
    """The ids of res/resource.h by name, so that the tests use the numbers the program is built with."""
    ids = {}
    for line in (REPO / "res" / "resource.h").read_text(encoding="utf-8").splitlines():
        match = re.match(r"#define\s+(ID\w+)\s+(0[xX][0-9a-fA-F]+|\d+)\b", line)
        if match:
            ids[match.group(1)] = int(match.group(2), 0)
    return ids


IDS = _resource_ids()

Window = namedtuple("Window", "hwnd pid visible kind cls caption")
Control = namedtuple("Control", "id cls visible enabled checked hwnd text")

# Files of a prefix that no test writes to: shared with the template through hard links.
_SHARED_SUFFIXES = {".dll", ".exe", ".nls", ".sys", ".drv", ".ocx", ".cpl", ".acm", ".tlb", ".ax",
                    ".com", ".ds", ".manifest", ".ttf", ".ttc", ".fon"}


def unescape(text):
    """Undoes the driver's escaping of backslash, tab, CR and LF."""
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append({"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def log(message):
    print(message, file=sys.stderr, flush=True)


class DriverError(AssertionError):
    """The driver answered with a non-zero exit: not found, timed out, refused (1) or bad usage (2)."""

    def __init__(self, args, code, stdout, stderr):
        self.code, self.stdout, self.stderr = code, stdout, stderr
        super().__init__(f"kdriver {' '.join(args)} -> exit {code}: {stderr.strip() or stdout.strip()}")


# ---- the run: display and template prefix ---------------------------------------------------------

class Display:
    """An Xvfb server on the first free display number (Xvfb picks it and reports it)."""

    def __init__(self, width=1024, height=768):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                self.process.kill()
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.name = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()


def base_env(display, prefix, user=None):
    """The environment of every Wine process of the tests, without any faketime setting inherited."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("FAKETIME", "WINE")) and k not in ("LD_PRELOAD", "DONT_FAKE_MONOTONIC")}
    env.update(DISPLAY=display, WINEPREFIX=str(prefix), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
               LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8", TZ="Asia/Shanghai")
    if user:
        env.update(USER=user, USERNAME=user, LOGNAME=user)
    return env


def wine_version():
    return subprocess.run([WINE, "--version"], capture_output=True, text=True).stdout.strip()


def make_template(display, fresh=False):
    """Makes the template prefix unless a finished one for this Wine version is there already. Runs
    started at the same time in one tree wait for each other here."""
    E2E_DIR.mkdir(parents=True, exist_ok=True)
    with open(E2E_DIR / "template.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        stamp = TEMPLATE / ".kestor-template"
        recipe = f"{wine_version()} zh_CN.UTF-8 Asia/Shanghai v1"
        if not fresh and stamp.exists() and stamp.read_text() == recipe:
            return False
        shutil.rmtree(TEMPLATE, ignore_errors=True)
        env = base_env(display, TEMPLATE)
        started = time.monotonic()
        subprocess.run([WINE, "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=300, check=True)
        subprocess.run(["wineserver", "-w"], env=env, timeout=120, check=True)
        stamp.write_text(recipe)
        log(f"e2e: template prefix made in {time.monotonic() - started:.1f} s")
        return True


def copy_prefix(source, dest):
    """Copies a prefix: hard links for the binaries nobody writes, real copies for all the rest
    (registry files, ini files, timestamps), so a test can never change the template."""
    subprocess.run(["cp", "-al", str(source), str(dest)], check=True)
    for root, _, files in os.walk(dest):
        for name in files:
            path = os.path.join(root, name)
            if os.path.islink(path) or os.path.splitext(name)[1].lower() in _SHARED_SUFFIXES:
                continue
            original = os.path.join(source, os.path.relpath(path, dest))
            os.unlink(path)
            shutil.copy2(original, path)
    (Path(dest) / ".kestor-template").unlink(missing_ok=True)


class Run:
    """What one run shares: the display and the template prefix."""
    current = None

    def __init__(self, fresh_template=False, keep=False):
        for needed in (WINE, DRIVER_EXE):
            if not Path(needed).exists():
                raise RuntimeError(f"{needed} is missing (make exe builds it)")
        self.keep = keep or os.environ.get("KESTOR_E2E_KEEP") == "1"
        self.display = Display()
        make_template(self.display.name, fresh_template)
        # A folder of this run's own, so that runs in one tree never touch each other's prefixes.
        TESTS_DIR.mkdir(parents=True, exist_ok=True)
        self.tests_dir = Path(tempfile.mkdtemp(prefix="run-", dir=TESTS_DIR))
        SCREENSHOTS.mkdir(parents=True, exist_ok=True)
        atexit.register(self.stop)

    def stop(self):
        self.display.stop()
        try:
            self.tests_dir.rmdir()  # only if every test's prefix was removed
        except OSError:
            pass


def start_run(fresh_template=False, keep=False):
    """Starts the run's display and template once; later calls return the same run."""
    if Run.current is None:
        Run.current = Run(fresh_template, keep)
    return Run.current


# ---- one prefix -----------------------------------------------------------------------------------

def remove_stale_faketime_files():
    """The faketime wrapper names its semaphore and shared memory after its own pid and removes them at
    its end; a wrapper killed with its session leaves them behind, and a later wrapper given the same pid
    then refuses to start ("sem_open: File exists")."""
    for entry in Path("/dev/shm").glob("*faketime_*_*"):
        pid = entry.name.rsplit("_", 1)[-1]
        if pid.isdigit() and not Path(f"/proc/{pid}").exists():
            try:
                entry.unlink()
            except OSError:
                pass


class WinePrefix:
    """A throwaway prefix of one test, with its start-up directory C:\\Kestor."""

    def __init__(self, run, name):
        self.run = run
        self.dir = run.tests_dir / name
        self.path = self.dir / "prefix"
        self.dir.mkdir(parents=True)
        started = time.monotonic()
        copy_prefix(TEMPLATE, self.path)
        self.copy_seconds = time.monotonic() - started
        self.appdir = self.path / "drive_c" / "Kestor"
        self.appdir.mkdir()
        self.log_path = self.dir / "wine.log"
        self.log = open(self.log_path, "ab")
        self.processes = []

    def env(self, user=None):
        return base_env(self.run.display.name, self.path, user)

    def start(self, argv, cwd=None, at=None, speed=1, user=None):
        """Starts a Windows program; with `at` ("YYYY-MM-DD HH:MM:SS", local time) the whole Wine
        session, server included, runs under faketime from that time, `speed` times faster."""
        env = self.env(user)
        command = [WINE] + list(argv)
        if at is not None:
            # A wineserver started on the real clock would keep the timers on it: end it first.
            self.stop_server()
            clock = f"@{at}" + (f" x{speed}" if speed != 1 else "")
            command = ["faketime", "-f", clock] + command
            remove_stale_faketime_files()
            env["NO_FAKE_STAT"] = "1"  # faked file times would make Wine rebuild the prefix
        process = subprocess.Popen(command, cwd=str(cwd or self.appdir), env=env, stdin=subprocess.DEVNULL,
                                   stdout=self.log, stderr=self.log, start_new_session=True)
        self.processes.append(process)
        return process

    def drv(self, *args, check=True, timeout=60):
        """Runs the driver with these arguments; returns its stdout (UTF-8 text), or (exit code, stdout)
        with check=False."""
        args = [str(a) for a in args]
        # Files, not pipes: the first Wine process of a prefix starts the server and services, which
        # inherit its standard handles and would hold a pipe open long after the driver has ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run([WINE, str(DRIVER_EXE)] + args, env=self.env(), stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=err, timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            stdout = out.read().decode("utf-8", "replace")
            stderr = err.read().decode("utf-8", "replace")
        if check and code != 0:
            raise DriverError(args, code, stdout, stderr)
        return stdout if check else (code, stdout)

    def stop_server(self):
        """Ends every Wine process of this prefix and waits for the server to go."""
        env = self.env()
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            subprocess.run(["wineserver", "-w"], env=env, timeout=20)
        except subprocess.TimeoutExpired:
            log(f"e2e: wineserver of {self.path} did not end")

    def close(self, remove=True):
        self.stop_server()
        for process in self.processes:
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait(10)
        self.log.close()
        if remove:
            shutil.rmtree(self.dir, ignore_errors=True)

    def log_tail(self, lines=30):
        self.log.flush()
        data = self.log_path.read_bytes().decode("utf-8", "replace").splitlines()
        return "\n".join(data[-lines:])


def screenshot(display, name):
    """Saves the whole screen as build/screenshots/<name>.png and returns the path.

    ImageMagick's import reads the screen in one piece. Not xwd -root: every Wine process gives its
    windows a colormap of its own, so xwd pieces the picture together window by window, and reads a
    window lying wholly inside a bigger one of the same process out of the bigger one, where it is
    covered: a message box over its dialog came out as a black rectangle."""
    SCREENSHOTS.mkdir(parents=True, exist_ok=True)
    path = SCREENSHOTS / f"{name}.png"
    env = dict(os.environ, DISPLAY=display)
    subprocess.run(["/usr/bin/import", "-silent", "-window", "root", str(path)], env=env,
                   stdout=subprocess.DEVNULL, timeout=60, check=True)
    return path


# ---- test cases -----------------------------------------------------------------------------------

class WineTestCase(unittest.TestCase):
    """A test with its own prefix; the helpers wrap the driver. Targets are a caption or "0x<hwnd>";
    options such as "--has-tab" or "--msgbox" narrow a caption (see the driver)."""

    def setUp(self):
        self.run_state = start_run()
        self.wine = WinePrefix(self.run_state, self.id().split(".", 1)[-1])
        self.appdir = self.wine.appdir
        self.started = time.monotonic()

    def tearDown(self):
        # unittest records a failure in the result as it happens; tearDown can look it up there.
        result = getattr(getattr(self, "_outcome", None), "result", None)
        failed = result is not None and any(test is self for test, _ in result.failures + result.errors)
        if failed:
            self.report_failure()
        self.wine.close(remove=not failed and not self.run_state.keep)

    def report_failure(self):
        name = self.id().split(".", 1)[-1]
        try:
            log(f"--- what {name} saw ---\n{self.snapshot()}")
            log(f"screenshot: {screenshot(self.run_state.display.name, 'FAIL-' + name)}")
        except Exception as error:  # the report must never hide the failure itself
            log(f"(could not take the snapshot: {error})")
        log(f"--- Wine output (tail) ---\n{self.wine.log_tail()}\n--- prefix kept in {self.wine.dir}")

    # -- programs and the driver --

    def start_program(self, *argv, at=None, speed=1, user=None, cwd=None):
        return self.wine.start(argv, cwd=cwd, at=at, speed=speed, user=user)

    def drv(self, *args, timeout=60):
        return self.wine.drv(*args, timeout=timeout)

    def drv_rc(self, *args, timeout=60):
        """(exit code, stdout) of the driver, for checks where "not found" is an answer."""
        return self.wine.drv(*args, check=False, timeout=timeout)

    def screenshot(self, name):
        return screenshot(self.run_state.display.name, name)

    # -- windows --

    def windows(self):
        rows = [line.split("\t", 5) for line in self.drv("list-windows").splitlines()]
        return [Window(r[0], int(r[1]), r[2] == "1", r[3], r[4], unescape(r[5])) for r in rows if len(r) == 6]

    def wait_window(self, caption, *options, timeout=20, visible=True):
        """Waits for a top-level window and returns its handle ("0x..."). visible=False also accepts
        a hidden one (the sheet lives hidden)."""
        return self._driver_wait("wait-window", caption, options, timeout, visible,
                                 f"no window {caption!r} {' '.join(options)} within {timeout} s").strip()

    def wait_gone(self, caption, *options, timeout=20, visible=True):
        """Waits until no such window is shown (visible=False: until none exists at all)."""
        self._driver_wait("wait-gone", caption, options, timeout, visible,
                          f"window {caption!r} still there after {timeout} s")

    def _driver_wait(self, command, caption, options, timeout, visible, failure):
        args = [command, caption, *options, "--timeout", int(timeout * 1000)] + (["--visible"] if visible else [])
        code, out = self.drv_rc(*args, timeout=timeout + 30)
        if code != 0:
            self.fail_with_snapshot(failure)
        return out

    def texts(self, target, *options):
        rows = [line.split("\t", 6) for line in self.drv("texts", target, *options).splitlines()]
        return [Control(int(r[0]), r[1], r[2] == "1", r[3] == "1", None if r[4] == "-" else int(r[4]), r[5],
                        unescape(r[6])) for r in rows if len(r) == 7]

    def control(self, target, control_id, *options):
        """The control of that id a user would see: visible ones first (pages of a sheet share ids)."""
        matches = sorted((c for c in self.texts(target, *options) if c.id == control_id),
                         key=lambda c: (not c.visible, not c.enabled))
        if not matches:
            self.fail_with_snapshot(f"no control {control_id} in {target}")
        return matches[0]

    def text_of(self, target, control_id, *options):
        return self.control(target, control_id, *options).text

    def click(self, target, control_id, *options):
        self.drv("click", target, control_id, *options)

    def set_text(self, target, control_id, text, *options):
        self.drv("set-text", target, control_id, text, *options)

    def msgbox_text(self, timeout=10, caption=""):
        code, out = self.drv_rc("msgbox-text", caption, "--timeout", int(timeout * 1000), timeout=timeout + 30)
        if code != 0:
            self.fail_with_snapshot(f"no message box within {timeout} s")
        return unescape(out.rstrip("\n"))

    def answer_msgbox(self, button, timeout=10, caption=""):
        """Waits for a message box, clicks the button (IDOK, IDYES, IDNO...) and returns its text."""
        code, out = self.drv_rc("answer-msgbox", button, caption, "--timeout", int(timeout * 1000),
                                timeout=timeout + 30)
        if code != 0:
            self.fail_with_snapshot(f"no message box with button {button} within {timeout} s")
        return unescape(out.rstrip("\n"))

    def post(self, target, message, wparam=0, lparam=0, *options):
        self.drv("post", target, message, wparam, lparam, *options)

    def tabs(self, target, *options):
        """[(caption, selected)] of the sheet's tabs, in order."""
        rows = [line.split("\t", 2) for line in self.drv("tabs", target, *options).splitlines()]
        return [(unescape(r[2]), r[1] == "1") for r in rows if len(r) == 3]

    def lv_rows(self, target, control_id, *options):
        return [[unescape(cell) for cell in line.split("\t")]
                for line in self.drv("lv-rows", target, control_id, *options).splitlines()]

    def reg_query(self, root, path, value):
        """(type, data) of a registry value, data as text (DWORDs in decimal); None if absent."""
        code, out = self.drv_rc("reg-query", root, path, value)
        if code != 0:
            return None
        kind, _, data = out.rstrip("\n").partition("\t")
        return kind, unescape(data)

    # -- waiting --

    def wait_until(self, check, timeout=20, what="the condition", interval=0.2):
        """Polls check() until it returns something true, which is returned; fails after timeout s."""
        deadline = time.monotonic() + timeout
        while True:
            value = check()
            if value:
                return value
            if time.monotonic() >= deadline:
                self.fail_with_snapshot(f"{what} not met within {timeout} s (last value {value!r})")
            time.sleep(interval)

    def wait_file(self, name, timeout=20, allow_empty=False):
        """Waits until the start-up directory holds the file (not empty, unless allowed); returns its
        bytes."""
        path = self.appdir / name
        self.wait_until(lambda: path.exists() and (allow_empty or path.stat().st_size > 0), timeout,
                        f"file {name} written")
        return path.read_bytes()

    def wait_process_gone(self, exe_name, timeout=20):
        self.wait_until(lambda: self.drv_rc("is-process", exe_name)[0] != 0, timeout, f"{exe_name} ended")

    def snapshot(self):
        """What is on the screen: every top-level window, and the controls of the visible ones."""
        lines = []
        for w in self.windows():
            lines.append(f"{w.hwnd} pid {w.pid} {'visible' if w.visible else 'hidden'} {w.kind} {w.cls} "
                         f"{w.caption!r}")
            if w.visible and w.cls not in ("IME", "Shell_TrayWnd"):
                code, out = self.drv_rc("texts", w.hwnd)
                for line in out.splitlines() if code == 0 else []:
                    lines.append("    " + line)
        return "\n".join(lines)

    def fail_with_snapshot(self, message):
        """Fails with what was on the screen, which of the started programs had ended and how, and the
        tail of Wine's output: the lines a run's log keeps of a failure."""
        ended = [f"{' '.join(map(str, p.args))} ended with {p.returncode}"
                 for p in self.wine.processes if p.poll() is not None]
        self.fail(f"{message}\n--- windows ---\n{self.snapshot()}\n--- programs ---\n"
                  f"{chr(10).join(ended) or 'every started program still running'}\n"
                  f"--- Wine output (tail) ---\n{self.wine.log_tail(15)}")


class KestorTestCase(WineTestCase):
    """A test of Kestor.exe: its start-up directory holds a fresh copy of build/win64/Kestor.exe."""

    SHEET = "Kestor"

    def setUp(self):
        super().setUp()
        if not KESTOR_EXE.exists():
            self.wine.close()
            self.fail(f"{KESTOR_EXE} is missing (make exe builds it)")
        shutil.copy2(KESTOR_EXE, self.appdir / "Kestor.exe")

    def start_kestor(self, at=None, speed=1, user=None):
        """Starts Kestor.exe in its start-up directory; see WinePrefix.start for at/speed/user."""
        process = self.start_program("Kestor.exe", at=at, speed=speed, user=user)
        # A driver call while a session on the faked clock is still coming up starts parts of the
        # session again on the real clock, months away, and the program's desktop then fails to start.
        # The program's first window on the display says its session is up; on the real clock the wait
        # tells a program that ended at its start from one that is slow to come up.
        self.wait_x_window("kestor.exe", process)
        return process

    def wait_x_window(self, wm_class, process, timeout=30):
        """Waits until a Wine process of that X class has a window on the test display, read from the X
        server, not through Wine."""
        env = dict(os.environ, DISPLAY=self.run_state.display.name)

        def shown():
            tree = subprocess.run(["xwininfo", "-root", "-tree"], env=env, capture_output=True, text=True).stdout
            return f'("{wm_class}" ' in tree or process.poll() is not None
        self.wait_until(shown, timeout, f"an X window of {wm_class}", interval=0.1)
        if process.poll() is not None:
            self.fail_with_snapshot(f"{process.args} ended with {process.returncode} before showing a window")

    def sheet(self, timeout=20):
        """Handle of the main sheet, hidden or not."""
        return self.wait_window(self.SHEET, "--has-tab", timeout=timeout, visible=False)

    def keep_shown(self, sheet):
        """Counts as a click on the sheet, so that it does not hide itself into the tray meanwhile."""
        self.post(sheet, WM_USER_ACTIVITY)

    def tray(self, mouse_message):
        """Posts the tray icon's callback to the sheet, as the shell does (e.g. WM_LBUTTONDBLCLK)."""
        self.post(self.sheet(), WM_TRAY_NOTIFY, TRAY_ICON_ID, mouse_message)

    def show_page(self, index):
        """Shows the sheet through the tray icon's double-click and selects page `index`. Shown so, the
        sheet stays up 20 s and each click on it gives it 30 s more; the sheet a start shows hides itself
        after one second, too soon for a driver on a busy machine."""
        sheet = self.sheet()
        self.tray(WM_LBUTTONDBLCLK)
        self.wait_window(self.SHEET, "--has-tab")
        self.drv("select-tab", sheet, index)
        self.wait_until(lambda: self.tabs(sheet)[index][1], what=f"page {index} shown")
        return sheet

    def choose_in_open_dialog(self, file_names):
        """Types into the open-file dialog now open and presses its OK button. The button is reached by its
        command: a click by id could reach another control, since the list inside the dialog has the id 1
        too."""
        opener = self.wait_window("打开", "--dialog")
        self.set_text(opener, FILE_NAME_BOX, file_names)
        self.drv("menu-command", opener, IDOK)
        self.wait_gone("打开", "--dialog")

    def choose_tray_exit(self):
        """Right button on the icon opens the tray menu; "退出" is its last item."""
        self.tray("WM_RBUTTONDOWN")
        self.wait_window("", "--class", "#32768")
        self.drv("key", "UP", "RETURN")

    def exit_through_tray_menu(self):
        """Chooses "退出" from the tray menu and waits for the end."""
        self.choose_tray_exit()
        self.wait_process_gone("Kestor.exe")
