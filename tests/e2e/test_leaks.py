"""The leak rounds: every dialog, menu and page opened and closed a thousand times, after which the program's GDI
objects, handles and windows are back where they started (Wine counts no USER objects: a leaked menu or hook goes
unseen). KESTOR_LEAK_ROUNDS sets the rounds (1000 by default; `make test` runs 100); KESTOR_LEAK_ROWS, parts of row
names separated by commas, runs only those rows. A row's round is driver commands separated by "; ": open, see it
open, close, see it gone (destroyed, before anything is counted); "@" is the window the last wait found."""
import os
import time

from harness import *

ROUNDS, PAGES = int(os.environ.get("KESTOR_LEAK_ROUNDS", "1000")), range(5)
ONLY = [part for part in os.environ.get("KESTOR_LEAK_ROWS", "").split(",") if part]
# Rounds before the first count: the first openings load what stays loaded (dialog templates, fonts, the controls'
# classes, the processes). A count then moves by one or two with what the pages cache; a leak ends ROUNDS above.
WARM_UP, TOLERANCE = 20, {"gdi": 10, "handles": 10, "windows": 2}
# The hourly notice as its timer opens it (the scheduler page's kChimeTimer), counted down by its own one-second
# timer (CNoticeDlg's kCountdownTimer): 15 s and a tick to close.
CHIME, TICK = 6003, 100001
SHOW, HIDE = "post {sheet} {WM_TRAY_NOTIFY} 101 {WM_LBUTTONDBLCLK}; shown", "click {sheet} 1; hidden"
SET_PASSWORD, CLOSED = "post {sheet} {WM_COMMAND} {ID_TRAY_SET_UNLOCK_PASSWORD} 0", "click @ 2; wait-gone @"
ROWS = [  # name, the page selected first, the sheet shown during the rounds, one round; the passwords as they come
    ("about box", None, False, "post {sheet} {WM_SHOW_ABOUT} 0 0; open {ABOUT}; click @ 1; wait-gone @"),
    ("tray menu", None, False, "post {sheet} {WM_TRAY_NOTIFY} 101 {WM_RBUTTONDOWN}; wait-window {NONE} --class #32768 "
                               "--visible; key 27; wait-gone @"),
    # The prompt has no way out but a password: a wrong old one ends the change with a message box.
    ("password prompt, wrong password", None, False, SET_PASSWORD + "; prompt 输入旧密码 wrong; msgbox 1; wait-gone @"),
    ("unlock password changed", None, False, SET_PASSWORD + "; prompt 输入旧密码 MoonGate; prompt 输入新密码 MoonGate; "
                                                            "prompt 再输入一次 MoonGate"),
    ("desktop lock", None, False, "post {sheet} {WM_COMMAND} {ID_TRAY_LOCK} 0; open 解除锁定; "
                                  "set-text @ {IDC_UNLOCK_PASSWORD} MoonGate; click @ 1; wait-gone @; shown; " + HIDE),
    ("notice", "自动执行", False, "post {scheduler} {WM_TIMER} {CHIME} 0; open 提示信息..." +
                                "; ?post @ {WM_TIMER} {TICK} 0" * 16 + "; wait-gone @"),
    ("new-reminder dialog", "自动执行", True, "click {sheet} {IDC_REMINDER_NEW}; open 新建提示...; " + CLOSED),
    ("limit dialog", "Kestor", True, "click {sheet} {IDC_USER_NEW}; open 新建用户限制...; " + CLOSED),
    # The first setting of the administrator, behind the password as it comes; cancelled, it stays the first.
    ("administrator dialog", "Kestor", True, "click {sheet} {IDC_ADMIN_SETTINGS}; prompt 请输入密码: MoonGate; "
                                             "open 设置管理员信息...; " + CLOSED),
    ("add-process dialog", "进程管理", True, "click {sheet} {IDC_TERMINATION_ADD}; open 添加进程到列表...; " + CLOSED),
    ("sheet shown and hidden", None, False, SHOW + "; " + HIDE),
    ("pages of the sheet", None, True, "; ".join(f"post {{sheet}} {PSM_SETCURSEL} {page} 0 --send" for page in PAGES)),
]


class LeakTest(Story):
    def counts(self):
        return dict(zip(TOLERANCE, map(int, self.drv("objects", self.names["sheet"])[0].split())))

    def step(self, step):
        """One command of a round, or "open <caption>", "shown", "hidden" (the sheet) and "prompt <asked> <password>".
        One starting with "?" may fail: a notice also closes itself by its own timer before the last tick."""
        words = [word.format(**self.names) for word in step.split()]
        if words[0] == "prompt":  # one window asking one thing after another
            prompt = lambda: self.drv("wait-window", "输入密码...", "--visible")[0]  # noqa: E731
            self.wait_until(lambda: self.control(prompt(), IDC_PASSWORD_PROMPT).text == words[1], 20, words[1], 0)
            for command in (f"set-text @ {IDC_PASSWORD} {words[2]}", "click @ 1", "wait-gone @"):
                self.step(command)
            return
        sheet = [SHEET, "--has-tab", "--visible"]
        words = {"open": ["wait-window", *words[1:], "--visible"], "shown": ["wait-window", *sheet],
                 "hidden": ["wait-gone", *sheet]}.get(words[0], words)
        if self.drv(words[0].lstrip("?"), *words[1:], check=False)[0] and not step.startswith("?"):
            self.fail(f"{step} failed")

    def put_sheet(self, shown):
        if shown != (self.drv("wait-window", SHEET, "--has-tab", "--visible", "--timeout", 0, check=False)[0] == 0):
            for step in (SHOW if shown else HIDE).split("; "):
                self.step(step)

    def test_every_dialog_menu_and_page_leaves_no_objects_behind(self):
        self.assertGreater(ROUNDS, 5 * max(TOLERANCE.values()), "too few rounds for a leak to show")
        # Wine waits in vain for a window manager to take every dialog it shows or hides (about a second each);
        # unmanaged, it places the windows itself.
        self.reg("HKCU", r"Software\Wine\X11 Driver", "Managed", "REG_SZ", "N")
        self.start_kestor()
        self.names = {name: value for name, value in globals().items() if isinstance(value, (int, str))} | IDS | {
            "sheet": self.wait_window(SHEET, "--has-tab"), "ABOUT": "关于 Tovrel", "NONE": ""}
        self.wait_window(SHEET, "--has-tab", gone=True)  # hidden into the tray after a second
        self.put_sheet(True)
        self.drv("post", self.names["sheet"], PSM_SETCURSEL, 1, 0, "--send")
        self.names["scheduler"] = self.control(self.names["sheet"], IDC_REMINDER_NEW).parent
        pages = [cells[0] for _, cells in self.rows(self.names["sheet"], TAB_STRIP)]
        for name, page, shown, steps in (row for row in ROWS if not ONLY or any(part in row[0] for part in ONLY)):
            if page:
                self.put_sheet(True)
                self.drv("post", self.names["sheet"], PSM_SETCURSEL, pages.index(page), 0, "--send")
            self.put_sheet(shown)
            steps = steps.split("; ") + ["post {sheet} {WM_USER_ACTIVITY} 0 0"] * shown  # a click: it stays shown
            for round_ in range(WARM_UP + ROUNDS):
                if round_ == WARM_UP:
                    before, started = self.counts(), time.monotonic()
                for step in steps:
                    self.step(step)
            seconds, deadline = time.monotonic() - started, time.monotonic() + 15  # some are freed late
            within = lambda counts: all(abs(counts[k] - before[k]) <= TOLERANCE[k] for k in before)  # noqa: E731
            while not within(after := self.counts()) and time.monotonic() < deadline:
                time.sleep(0.5)
            self.assertTrue(within(after), f"{name}: after {ROUNDS} rounds {after}, not within {TOLERANCE} of {before}")
            print(f"{name}: {ROUNDS} rounds in {seconds:.1f} s, before {before}, after {after}", flush=True)
