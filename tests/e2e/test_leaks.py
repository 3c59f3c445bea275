"""No leaks under Wine: every dialog, menu and page of the program opened and closed a thousand times,
and the process's GDI objects, handles and windows come back to where they started.

The table ROWS says, for each, which page of the sheet it starts from, whether the sheet is shown or
hidden meanwhile, and the driver commands of one round (open, see it open, close, see it gone). The
driver runs all the rounds of a row inside one process (`kdriver cycle`), and a step names the window
the step before it found as "@". Counts come from `kdriver objects`: USER and GDI objects as the system
counts them, or under Wine, which does not, the GDI objects in the process's handle table and every
window of the process in place of the USER objects (so there a leaked menu or hook goes unseen).

KESTOR_LEAK_ROUNDS sets the rounds of every row (1000 by default; `make test` runs 100);
KESTOR_LEAK_ROWS, a comma-separated list of parts of row names, runs only those rows.
"""
import os
import re
from collections import namedtuple

from harness import (IDS, PROFILE, REPO, WM_TRAY_NOTIFY, WM_USER_ACTIVITY, WM_SHOW_ABOUT, TRAY_ICON_ID, DriverError,
                     KestorTestCase)

ROUNDS = int(os.environ.get("KESTOR_LEAK_ROUNDS", "1000"))
ONLY = [part for part in os.environ.get("KESTOR_LEAK_ROWS", "").split(",") if part]
# Rounds before the first count: the first openings load what stays loaded for good (dialog templates,
# fonts, the common controls' classes, the list of processes).
WARM_UP = 20
# How far a count may end above or below where it started: the GDI objects of the pages and the handles
# move by one or two with what the pages cache (fonts, icons of the process list, the system's
# information). A leak of one object per round ends ROUNDS above, far outside.
TOLERANCE = {"user": 10, "gdi": 10, "handles": 10, "windows": 2}

ABOUT = '"关于 Tovrel"'
PROMPT = "输入密码..."
UNLOCK = "解除锁定"
ADD_PROCESS = "添加进程到列表..."
NEW_REMINDER = "新建提示..."
NOTICE = "提示信息..."
NEW_LIMIT = "新建用户限制..."
ADMIN = "设置管理员信息..."
SCHEDULER_PAGE, CONTROL_PAGE, PROCESS_PAGE = "自动执行", "Kestor", "进程管理"
PASSWORD = "MoonGate"  # the unlock and the administrator password as the program comes
SHEET_SHOWN = "wait-window Kestor --has-tab --visible"
SHEET_HIDDEN = "wait-gone Kestor --has-tab --visible"


def class_constant(header, name):
    """A constant of one of the program's classes (a timer id), read from its header."""
    text = (REPO / "src" / header).read_text(encoding="utf-8")
    return int(re.search(rf"\b{name}\s*=\s*(\d+)", text).group(1))


# The hourly notice is opened the way its timer opens it, by the scheduler page's chime timer, and
# counted down by its own one-second timer (15 s and one more tick to close).
CHIME_TIMER = class_constant("scheduler/TovrelTimeset.h", "kChimeTimer")
NOTICE_TICK = class_constant("scheduler/NoticeDlg.h", "kCountdownTimer")
NOTICE_TICKS = 16


def keep_shown():
    """A click on the sheet as the program sees it, so that it does not hide itself into the tray."""
    return f"post {{sheet}} {WM_USER_ACTIVITY} 0 0"


def tray(mouse):
    return f"post {{sheet}} {WM_TRAY_NOTIFY} {TRAY_ICON_ID} {mouse}"


def opened(caption):
    return f"wait-window {caption} --dialog --visible"


def cancelled(button=2):
    """The dialog found last closed with that button; waits until it has gone."""
    return [f"click @ {button}", "wait-gone @ --visible"]


def answer_prompt(prompt, password=PASSWORD):
    """The password prompt showing `prompt` answered."""
    return [f"wait-text {PROMPT} {IDS['IDC_PASSWORD_PROMPT']} {prompt} --dialog --visible",
            f"set-text @ {IDS['IDC_PASSWORD']} {password}", "click @ 1"]


# name; the page of the sheet to select first (or None); the sheet "shown" or "hidden" during the
# rounds; the steps of one round ("{sheet}" is the sheet's handle, "{scheduler}" the scheduler page's).
Row = namedtuple("Row", "name page sheet round")

ROWS = [
    Row("about box", None, "hidden",
        [f"post {{sheet}} {WM_SHOW_ABOUT} 0 0", opened(ABOUT), *cancelled(1)]),
    Row("tray menu", None, "hidden",
        [tray("WM_RBUTTONDOWN"), 'wait-window "" --class #32768 --visible', "key ESCAPE", "wait-gone @ --visible"]),
    # The prompt has no way out but a password: a wrong old one ends the change with a message box.
    Row("password prompt, wrong password", None, "hidden",
        [f"menu-command {{sheet}} {IDS['ID_TRAY_SET_UNLOCK_PASSWORD']}", *answer_prompt("输入旧密码", "wrong"),
         "answer-msgbox 1", "wait-gone @ --visible"]),
    Row("unlock password changed", None, "hidden",
        [f"menu-command {{sheet}} {IDS['ID_TRAY_SET_UNLOCK_PASSWORD']}", *answer_prompt("输入旧密码"),
         *answer_prompt("输入新密码"), *answer_prompt("再输入一次"), "wait-gone @ --visible"]),
    Row("desktop lock", None, "hidden",
        [f"menu-command {{sheet}} {IDS['ID_TRAY_LOCK']}", opened(UNLOCK),
         f"set-text @ {IDS['IDC_UNLOCK_PASSWORD']} {PASSWORD}", "click @ 1", "wait-gone @ --visible", SHEET_SHOWN,
         "click {sheet} 1", SHEET_HIDDEN]),
    Row("notice", SCHEDULER_PAGE, "hidden",
        [f"post {{scheduler}} WM_TIMER {CHIME_TIMER} 0", opened(NOTICE),
         *[f"post @ WM_TIMER {NOTICE_TICK} 0 --while-there"] * NOTICE_TICKS, "wait-gone @ --visible"]),
    Row("new-reminder dialog", SCHEDULER_PAGE, "shown",
        [keep_shown(), f"click {{sheet}} {IDS['IDC_REMINDER_NEW']}", opened(NEW_REMINDER), *cancelled()]),
    Row("limit dialog", CONTROL_PAGE, "shown",
        [keep_shown(), f"click {{sheet}} {IDS['IDC_USER_NEW']}", opened(NEW_LIMIT), *cancelled()]),
    # The password as it comes opens the first setting of the administrator; cancelled, it stays first.
    Row("administrator dialog", CONTROL_PAGE, "shown",
        [keep_shown(), f"click {{sheet}} {IDS['IDC_ADMIN_SETTINGS']}", *answer_prompt("请输入密码:"),
         opened(ADMIN), *cancelled()]),
    Row("add-process dialog", PROCESS_PAGE, "shown",
        [keep_shown(), f"click {{sheet}} {IDS['IDC_TERMINATION_ADD']}", opened(ADD_PROCESS), *cancelled()]),
    Row("sheet shown and hidden", None, "hidden",
        [tray("WM_LBUTTONDBLCLK"), SHEET_SHOWN, "click {sheet} 1", SHEET_HIDDEN]),
    # Every page in turn: the round is made from the sheet's tabs once it is up (see pages_round).
    Row("pages of the sheet", None, "shown", None),
]


class LeakTest(KestorTestCase):
    def setUp(self):
        super().setUp()
        # The test display has no window manager, and Wine waits in vain for one to take every dialog
        # that it shows or hides (about a second each here). Unmanaged, Wine places the windows itself.
        self.drv("reg-set", "HKCU", r"Software\Wine\X11 Driver", "Managed", "REG_SZ", "N")
        # The hourly notice off: on the real hour it would come up over whatever row is running (the
        # notice row opens it by its timer all the same).
        self.drv("reg-set", "HKCU", PROFILE, "Options_a1", "REG_DWORD", 0)

    def counts(self):
        found = dict(line.split("\t") for line in self.drv("objects", "Kestor.exe").splitlines() if "\t" in line)
        return {name: int(value) for name, value in found.items() if int(value) >= 0}

    def cycle(self, rounds, steps, row):
        """Runs the steps `rounds` times in one driver process; returns the milliseconds it took and the
        step that took longest in all ("<ms> <step>")."""
        try:
            out = self.drv("cycle", rounds, *[s.format(**self.handles) for s in steps], timeout=3600)
        except DriverError as error:
            self.screenshot(f"FAIL-leaks-{row.name.replace(' ', '-')}")
            self.fail_with_snapshot(f"{row.name}: {error.stderr.strip()}")
        slowest = max((int(ms), step) for ms, step in re.findall(r"^step\t(\d+)\t(.*)$", out, re.M))
        return int(re.search(r"^ms\t(\d+)", out, re.M).group(1)), f"{slowest[0]} ms in {slowest[1]!r}"

    def sheet_shown(self):
        return self.drv_rc("wait-window", "Kestor", "--has-tab", "--visible", "--timeout", 0)[0] == 0

    def put_sheet(self, state):
        if state == "shown" and not self.sheet_shown():
            self.tray("WM_LBUTTONDBLCLK")
            self.wait_window(self.SHEET, "--has-tab")
        if state == "hidden" and self.sheet_shown():
            self.click(self.handles["sheet"], 1)
            self.wait_gone(self.SHEET, "--has-tab")

    def select_page(self, caption):
        self.put_sheet("shown")
        captions = [text for text, _ in self.tabs(self.handles["sheet"])]
        self.drv("select-tab", self.handles["sheet"], captions.index(caption), "--send")

    def pages_round(self):
        return [keep_shown()] + [f"select-tab {{sheet}} {index} --send"
                                 for index in range(len(self.tabs(self.handles["sheet"])))]

    def test_every_dialog_menu_and_page_leaves_no_objects_behind(self):
        self.assertGreater(ROUNDS, 5 * max(TOLERANCE.values()), "too few rounds for a leak to show")
        self.start_kestor()
        sheet = self.sheet()
        self.handles = {"sheet": sheet}
        self.wait_gone(self.SHEET, "--has-tab", timeout=15)  # the program hides itself into the tray
        self.select_page(SCHEDULER_PAGE)
        self.handles["scheduler"] = self.drv("parent-of", sheet, IDS["IDC_REMINDER_NEW"]).strip()
        report = []
        for row in ROWS:
            if ONLY and not any(part in row.name for part in ONLY):
                continue
            if row.page:
                self.select_page(row.page)
            self.put_sheet(row.sheet)
            steps = row.round or self.pages_round()
            self.cycle(WARM_UP, steps, row)
            before = self.counts()
            ms, slowest = self.cycle(ROUNDS, steps, row)

            last = {}

            def settled():
                last.update(self.counts())
                return dict(last) if all(abs(last[k] - before[k]) <= TOLERANCE[k] for k in before) else None
            try:
                after = self.wait_until(settled, timeout=15, interval=0.5, what="the counts back")
            except AssertionError as error:
                raise AssertionError(f"{row.name}: after {ROUNDS} rounds the counts are {last}, not within "
                                     f"{TOLERANCE} of {before}; rows before:\n" + "\n".join(report) +
                                     f"\n{error}") from None
            report.append(f"{row.name}: {ROUNDS} rounds in {ms / 1000:.1f} s ({ms / ROUNDS:.0f} ms each), "
                          f"before {before}, after {after}; slowest step: {slowest}")
            print(report[-1], flush=True)
        print(f"tolerance {TOLERANCE}")
