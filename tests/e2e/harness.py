"""End-to-end harness: the real Kestor.exe under wine64, one Xvfb display per run. A story, a test method of a
Story, runs in a prefix copied from build/e2e/template (binaries hard-linked) with Kestor.exe in C:\\Kestor
(``self.app``), driven by tools/driver/kdriver.cpp through ``self.drv(...)``. A failure prints what it saw, keeps
the prefix and saves build/screenshots/FAIL-*.png."""
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
WM_TRAY_NOTIFY, WM_USER_ACTIVITY, WM_SHOW_ABOUT, PSM_SETCURSEL, BM_GETCHECK = 0x40A, 0x464, 0x478, 0x465, 0xF0
VK_RETURN, VK_UP, VK_DOWN, IDOK, TAB_STRIP, APPLY = 13, 38, 40, 1, 0x3020, 0x3021  # the last two the sheet's
SHEET, PROFILE, MACHINE = "Kestor", r"Software\Kestor\Kestor\Setting\Default", r"SOFTWARE\Kestor\Setting\Default"
RUN_KEY, SCREEN = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Run", (0, 0, 1024, 768)
_ids = re.finditer(r"#define\s+(ID\w+)\s+(\w+)", (REPO / "res/resource.h").read_text())
globals().update({m[1]: int(m[2], 0) for m in _ids})  # the program's ids by their names
SHARED = ".dll .exe .nls .sys .drv .ocx .cpl .acm .tlb .ax .com .ds .ttf .fon".split()  # hard-linked
Control = namedtuple("Control", "id cls visible enabled hwnd parent text")
Window = namedtuple("Window", "topmost minimized rect focus clip")  # the class holding the focus, the pointer's clip
run = {}  # the display and the folder of the prefixes


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "r": "\r", "n": "\n"}.get(m[1], m[1]), text)


def list_file(rows):
    """TimeSet.ini of (month, day, hour, minute, message) or ControlSet.ini of (user, continuous, rest, window, flags)
    as written in text mode: LF as CR LF, also inside the raw numbers."""
    records = [bytes(r[3::-1]) + b"D\n" + f"{r[0]:02d}月{r[1]:02d}日{r[2]:02d}点{r[3]:02d}分\n{r[4]}\n".encode("gbk")
               if isinstance(r[0], int) else "".join(f"D\n{t}\n" for t in r[:4]).encode("gbk") + bytes([r[4], 0, 0, 0])
               for r in rows]
    data = b"[ItemCount]\n" + len(rows).to_bytes(4, "little") + b"D\n[ItemData]\n" + b"".join(records)
    return data.replace(b"\n", b"\r\n") if rows else b""


def m3u(tracks):
    return "".join(t + "\r\n" for t in tracks).encode("gbk")


def tone(path, seconds, pitch=440):  # by sox, MP3 or WAV by the name
    subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", path, "synth", str(seconds), "sine", str(pitch)], check=True)


def wine_env(prefix):  # without any faketime setting inherited
    env = {k: v for k, v in os.environ.items() if not k.startswith(("FAKETIME", "WINE")) and k != "LD_PRELOAD"}
    return env | dict(DISPLAY=run["display"], WINEPREFIX=str(prefix), WINEDEBUG="-all", TZ="Asia/Shanghai",
                      LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8", WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=")


def start_run():  # the display (Xvfb names the first free one) and the template
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
            # The hourly notice off: it came up over a story running across a full hour.
            for command in (["wineboot", "-i"], [DRIVER_EXE, "reg", "HKCU", PROFILE, "Options_a1", "REG_DWORD", "0"]):
                subprocess.run([WINE, *command], env=env, capture_output=True, timeout=300, check=True)
            subprocess.run(["wineserver", "-w"], env=env, timeout=120, check=True)
            stamp.write_text(recipe)
    run["tests"] = Path(tempfile.mkdtemp(prefix="run-", dir=E2E / "tests"))
    atexit.register(lambda: any(run["tests"].iterdir()) or run["tests"].rmdir())
    return run


class Story(unittest.TestCase):
    def setUp(self, name=None):
        self.processes, self.driver, self.started = [], None, time.monotonic()
        self.dir = (run or start_run())["tests"] / (name or self.id())
        self.prefix, self.app = self.dir / "prefix", self.dir / "prefix/drive_c/Kestor"
        self.dir.mkdir()
        subprocess.run(["cp", "-al", E2E / "template", self.prefix], check=True)
        for root, _, files in os.walk(self.prefix):  # real copies of what may be written; dosdevices stay links
            for path in (Path(root, name) for name in files if Path(name).suffix.lower() not in SHARED):
                if not path.is_symlink():
                    path.unlink()
                    shutil.copy2(E2E / "template" / path.relative_to(self.prefix), path)
        self.app.mkdir()
        shutil.copy2(KESTOR_EXE, self.app)
        self.log = open(self.dir / "wine.log", "ab")

    def tearDown(self):
        result = getattr(self, "_outcome", None) and self._outcome.result
        failed = result and any(test is self for test, _ in result.failures + result.errors)
        try:
            if failed:
                seen = [f"{w.hwnd} {w.cls} {w.text!r} {w.visible and self.texts(w.hwnd)}" for w in self.texts()]
                ended = [f"{p.args} ended with {p.returncode}" for p in self.processes if p.poll() is not None]
                self.shot("FAIL-" + self.dir.name)
                self.log.flush()
                log = (self.dir / "wine.log").read_bytes().decode("utf-8", "replace").splitlines()[-15:]
                print("--- what it saw ---", *seen, *ended, *self.procs(), "--- Wine's last lines ---", *log, sep="\n",
                      file=sys.stderr)
        except Exception as error:  # never hiding the failure itself
            print(f"(no snapshot: {error})", file=sys.stderr)
        self.stop_server()
        for process in self.processes:
            process.kill()
            process.communicate(timeout=10)  # closes the pipes
        self.log.close()
        print(f"    ({time.monotonic() - self.started:.1f} s)", flush=True)
        if not failed and os.environ.get("KESTOR_E2E_KEEP") != "1":
            shutil.rmtree(self.dir, ignore_errors=True)

    def start(self, *argv, at=None, speed=1, cwd=None):
        """With `at` ("YYYY-MM-DD HH:MM:SS") the session runs under faketime from then, `speed` times faster (far
        over ten, Wine's own waits at the start run out)."""
        env, command = wine_env(self.prefix), [WINE, *map(str, argv)]
        if at:
            self.stop_server()  # a server on the real clock keeps the timers on it
            command = ["faketime", "-f", f"@{at}" + (f" x{speed}" if speed != 1 else "")] + command
            env["NO_FAKE_STAT"] = "1"  # faked file times make Wine update the prefix, slowly
            # A wrapper killed with its session leaves its semaphore, named by its pid; a later wrapper of that pid
            # refuses to start ("sem_open: File exists").
            for entry in Path("/dev/shm").glob("*faketime_*_*"):
                if not Path("/proc", entry.name.rsplit("_", 1)[-1]).exists():
                    entry.unlink(missing_ok=True)
        self.processes.append(subprocess.Popen(command, cwd=cwd or self.app, env=env, stdin=subprocess.DEVNULL,
                                               stdout=self.log, stderr=self.log, start_new_session=True))
        return self.processes[-1]

    def kestor(self, at=None, speed=1, settle=False):
        """Until its first window, asking the X server: a driver started while a session on a faked clock comes up
        restarts parts of it on the real clock. With settle, until the sheet shown at the start hides (seen shown
        first: a wait for hidden passes before)."""
        process = self.start("Kestor.exe", at=at, speed=speed)
        self.until(lambda: process.poll() is not None or '("kestor.exe" ' in subprocess.run(["xwininfo", "-root",
                   "-tree"], env=wine_env(self.prefix), capture_output=True, text=True).stdout, "its window", 60)
        self.assertIsNone(process.poll(), "Kestor.exe ended before showing a window")
        if settle:
            self.sheet(True)
            self.sheet(False)
        return process

    def procs(self, exe=None):
        """The prefix's processes (of that program, by its name past the loader) as "<pid> <command>"; not a faketime
        wrapper, which outlives its program."""
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

    def stop_server(self):  # every Wine process of the prefix
        subprocess.run(["wineserver", "-k"], env=wine_env(self.prefix), stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=wine_env(self.prefix), timeout=30)

    def shot(self, name):  # by import: xwd -root drew a message box black
        (BUILD / "screenshots").mkdir(exist_ok=True)
        subprocess.run(["import", "-silent", "-window", "root", BUILD / f"screenshots/{name}.png"], timeout=60,
                       check=True, env=wine_env(self.prefix))

    def drv(self, *words, check=True, timeout=60):  # the answer's lines, or with check=False (exit code, lines)
        if self.driver is None or self.driver.poll() is not None:
            self.driver = subprocess.Popen([WINE, DRIVER_EXE], env=wine_env(self.prefix), bufsize=0, stderr=self.log,
                                           stdin=subprocess.PIPE, stdout=subprocess.PIPE, start_new_session=True)
            self.processes.append(self.driver)
        said = "kdriver " + " ".join(map(str, words))
        self.driver.stdin.write(("\t".join(map(str, words)) + "\n").encode())
        lines, deadline = [], time.monotonic() + timeout
        while not (lines and lines[-1].startswith("\x1e")):
            # The server and services the driver started hold its pipes too: no end of file to wait for.
            if select.select([self.driver.stdout], [], [], 0.5)[0] and (line := self.driver.stdout.readline()):
                lines.append(line.decode("utf-8", "replace").rstrip("\n"))
            elif self.driver.poll() is not None or time.monotonic() > deadline:
                self.driver.kill()
                self.fail(said + ": no answer")
        code, _, message = lines.pop()[1:].partition("\t")
        if check and code != "0":
            self.fail(f"{said}: {unescape(message)}")
        return lines if check else (int(code), lines)

    def win(self, caption, *options, timeout=20, visible=True, gone=False):  # a top-level window, or until gone
        lines = self.drv("wait-gone" if gone else "wait-window", caption, *options, "--timeout", int(timeout * 1000),
                         *["--visible"] * visible, timeout=timeout + 30)
        return lines[0] if lines else None

    def gone(self, window, timeout=20):  # until destroyed
        self.win(window, gone=True, visible=False, timeout=timeout)

    def sheet(self, shown=None, timeout=20):  # the sheet, hidden or not; with shown=True/False once shown/hidden
        return self.win(SHEET, "--has-tab", visible=shown is not None, gone=shown is False, timeout=timeout)

    def texts(self, *target):  # the controls under the window, or every top-level window
        rows = [line.split("\t", 6) for line in self.drv("texts", *target)]
        return [Control(int(r[0]), r[1], r[2] == "1", r[3] == "1", *r[4:6], unescape(r[6])) for r in rows]

    def ctl(self, target, control_id):
        return self.texts(target, control_id)[0]

    def text(self, target, control_id):
        return self.ctl(target, control_id).text

    def rows(self, target, control_id):  # [(selected, cells)]
        return [(line[0] == "1", [unescape(cell) for cell in line.split("\t")[1:]])
                for line in self.drv("rows", target, control_id)]

    def col(self, target, control_id):
        return [cells[0] for _, cells in self.rows(target, control_id)]

    def window(self, target):
        w = self.drv("window", target)[0].split()
        return Window(w[0] == "1", w[1] == "1", tuple(map(int, w[2:6])), w[6], tuple(map(int, w[7:11])))

    def holds(self, window, clipped=True):  # on top, and the pointer kept inside if clipped
        w = self.window(window)
        self.assertEqual((w.topmost, w.clip), (True, w.rect if clipped else SCREEN), f"{window} on top")

    def box(self, button=None, timeout=10):  # a message box's text, then that button clicked
        lines = self.drv("msgbox", *[button] * (button is not None), "--timeout", timeout * 1000, timeout=timeout + 30)
        if button is not None:  # gone, or a box closing might pass for the next one
            self.drv("wait-gone", "@", "--timeout", 10000)
        return unescape(lines[0])

    def answer(self, window, box, text):  # typed into the box, then OK
        self.drv("set-text", window, box, text)
        self.drv("click", window, IDOK)
        self.gone(window)

    def prompt(self, asked, password=None):  # the password prompt once it asks that, answered if given one
        ask = lambda: self.text(w := self.win("输入密码..."), IDC_PASSWORD_PROMPT) == asked and w  # noqa: E731
        hwnd = self.until(ask, asked, every=0)
        if password:
            self.answer(hwnd, IDC_PASSWORD, password)
        return hwnd

    def reg(self, root, path, value, *set_to):  # its data, an int for a DWORD, set first if given; None if absent
        code, lines = self.drv("reg", root, path, value, *set_to, check=False)
        kind, _, data = lines[0].partition("\t") if code == 0 else [None] * 3
        return kind and (int(data) if kind == "REG_DWORD" else unescape(data))

    def user(self):
        return self.reg("HKCU", "Volatile Environment", "USERNAME")

    def put(self, name, data=None):  # in C:\Kestor; None removes it
        (self.app / name).write_bytes(data) if data is not None else (self.app / name).unlink()

    def get(self, name):
        return (self.app / name).read_bytes() if (self.app / name).exists() else None

    def files(self):  # C:\Kestor but the program
        return {path.name: path.read_bytes() for path in sorted(self.app.iterdir()) if path.name != "Kestor.exe"}

    def until(self, check, what="the condition", timeout=20, every=0.1):  # check()'s first true value
        deadline = time.monotonic() + timeout
        while not (value := check()):
            if time.monotonic() > deadline:
                self.fail(f"{what} not met in {timeout} s (last value {value!r})")
            time.sleep(every)
        return value

    def ended(self, *exes, timeout=30):
        for exe in exes:
            self.until(lambda: not self.procs(exe), f"{exe} ended", timeout)

    def press(self, sheet, button):  # as a user clicks it, keeping the sheet shown 30 s more
        self.drv("post", sheet, WM_USER_ACTIVITY, 0, 0)
        self.drv("click", sheet, button)

    def tray(self, mouse_message):  # as the shell posts it
        self.drv("post", self.sheet(), WM_TRAY_NOTIFY, 101, mouse_message)

    def show(self):  # by the tray icon: 20 s shown
        self.tray(WM_LBUTTONDBLCLK)
        return self.sheet(True)

    def page(self, index):  # shown by the icon: the sheet a start shows hides too soon for a busy machine
        sheet = self.show()
        self.drv("post", sheet, PSM_SETCURSEL, index, 0)
        self.until(lambda: self.rows(sheet, TAB_STRIP)[index][0], f"page {index} shown")
        return sheet

    def choose(self, names):  # in the open dialog; OK by command: its list also has the id 1
        opener = self.win("打开")
        self.drv("set-text", opener, 0x47C, names)
        self.drv("post", opener, WM_COMMAND, IDOK, 0)
        self.gone(opener)

    def menu(self, *keys):
        """The keys, then Enter, in the tray menu (Up: "退出"). They go to the foreground window, which nothing else
        may hold (a hidden window cannot take it under Wine); sent until taken (SendInput failed once)."""
        self.tray(WM_RBUTTONDOWN)
        self.win("", "--class", "#32768")
        self.until(lambda: self.drv("key", *keys, VK_RETURN, check=False)[0] == 0, "the menu keys taken", 10)

    def quit(self):
        self.menu(VK_UP)
        self.ended("Kestor.exe")
