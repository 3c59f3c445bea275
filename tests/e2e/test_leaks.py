"""The leak rounds: every dialog, menu and page of the program opened and closed a thousand times, after which its
GDI objects, handles and windows are back where they started (Wine counts no USER objects: a leaked menu or hook
goes unseen). KESTOR_LEAK_ROUNDS sets the rounds of every row (1000 by default; `make test` runs 100);
KESTOR_LEAK_ROWS, a comma-separated list of parts of row names, runs only those rows.

A row names the page to select first, whether the sheet is shown during its rounds, and the driver commands of one
round: open, see it open, close, see it gone. "{sheet}" and "{scheduler}" stand for the sheet and its scheduler
page, "@" for the window the last wait found; a command starting with "?" may fail (a notice can close itself by
its own timer before the driver's last tick reaches it)."""
import os
import re
import time

from harness import *

ROUNDS = int(os.environ.get("KESTOR_LEAK_ROUNDS", "1000"))
ONLY = [part for part in os.environ.get("KESTOR_LEAK_ROWS", "").split(",") if part]
# Rounds before the first count: the first openings load what stays loaded (dialog templates, fonts, the common
# controls' classes, the list of processes). A count may then move by one or two with what the pages cache;
# a leak of one object a round ends ROUNDS above.
WARM_UP, TOLERANCE = 20, {"gdi": 10, "handles": 10, "windows": 2}
PROMPT, PASSWORD = "输入密码...", "MoonGate"  # the unlock and the administrator password as the program comes
# The hourly notice as its timer opens it, counted down by its own one-second timer: 15 s and a tick to close.
CHIME, TICK = (int(re.search(rf"\b{name}\s*=\s*(\d+)", (REPO / "src" / path).read_text())[1]) for path, name in
               (("scheduler/TovrelTimeset.h", "kChimeTimer"), ("scheduler/NoticeDlg.h", "kCountdownTimer")))


def opened(caption):
    return ("wait-window", caption, "--visible")


def closed(button=IDCANCEL):
    """The dialog closed with that button and destroyed, before anything is counted."""
    return [("click", "@", button), ("wait-gone", "@")]


def answered(prompt, password=PASSWORD):
    """The password prompt, once it asks that, answered and gone."""
    return [("wait-prompt", prompt), ("set-text", "@", IDS["IDC_PASSWORD"], password), ("click", "@", IDOK), ("wait-gone", "@")]


SHOW = ("post", "{sheet}", WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK)
SHOWN, HIDDEN = ("wait-window", SHEET, "--has-tab", "--visible"), ("wait-gone", SHEET, "--has-tab", "--visible")
TRAY_MENU = ("post", "{sheet}", WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN)
SET_PASSWORD, LOCK = ("post", "{sheet}", WM_COMMAND, IDS["ID_TRAY_SET_UNLOCK_PASSWORD"], 0), ("post", "{sheet}", WM_COMMAND, IDS["ID_TRAY_LOCK"], 0)
ROWS = [  # name, page selected first, the sheet shown during the rounds, one round
    ("about box", None, False, [("post", "{sheet}", WM_SHOW_ABOUT, 0, 0), opened("关于 Tovrel"), *closed(IDOK)]),
    ("tray menu", None, False, [TRAY_MENU, ("wait-window", "", "--class", "#32768", "--visible"), ("key", VK_ESCAPE),
                                ("wait-gone", "@", "--visible")]),
    # The prompt has no way out but a password: a wrong old one ends the change with a message box.
    ("password prompt, wrong password", None, False, [SET_PASSWORD, *answered("输入旧密码", "wrong"), ("msgbox", IDOK)]),
    ("unlock password changed", None, False, [SET_PASSWORD, *answered("输入旧密码"), *answered("输入新密码"), *answered("再输入一次")]),
    ("desktop lock", None, False, [LOCK, opened("解除锁定"), ("set-text", "@", IDS["IDC_UNLOCK_PASSWORD"], PASSWORD),
                                   ("click", "@", IDOK), ("wait-gone", "@"), SHOWN, ("click", "{sheet}", IDOK), HIDDEN]),
    ("notice", "自动执行", False, [("post", "{scheduler}", WM_TIMER, CHIME, 0), opened("提示信息..."),
                                 *[("?post", "@", WM_TIMER, TICK, 0)] * 16, ("wait-gone", "@")]),
    ("new-reminder dialog", "自动执行", True, [("click", "{sheet}", IDS["IDC_REMINDER_NEW"]), opened("新建提示..."), *closed()]),
    ("limit dialog", "Kestor", True, [("click", "{sheet}", IDS["IDC_USER_NEW"]), opened("新建用户限制..."), *closed()]),
    # The password as it comes opens the first setting of the administrator; cancelled, it stays the first.
    ("administrator dialog", "Kestor", True, [("click", "{sheet}", IDS["IDC_ADMIN_SETTINGS"]), *answered("请输入密码:"),
                                              opened("设置管理员信息..."), *closed()]),
    ("add-process dialog", "进程管理", True, [("click", "{sheet}", IDS["IDC_TERMINATION_ADD"]), opened("添加进程到列表..."), *closed()]),
    ("sheet shown and hidden", None, False, [SHOW, SHOWN, ("click", "{sheet}", IDOK), HIDDEN]),
    ("pages of the sheet", None, True, [("post", "{sheet}", PSM_SETCURSEL, page, 0, "--send") for page in range(5)]),
]


class LeakTest(Story):
    def counts(self):
        return dict(zip(TOLERANCE, map(int, self.drv("objects", self.handles["sheet"])[0].split())))

    def step(self, words):
        """One command of a round; "wait-prompt" waits for the password prompt asking that."""
        words = [str(w).format(**self.handles) for w in words]
        if words[0] == "wait-prompt":
            asked = lambda: self.control(self.drv("wait-window", PROMPT, "--visible")[0], IDS["IDC_PASSWORD_PROMPT"]).text  # noqa
            return self.wait_until(lambda: asked() == words[1], what=f"the prompt {words[1]!r}", interval=0)
        code, _ = self.drv(words[0].lstrip("?"), *words[1:], check=False)
        if code and not words[0].startswith("?"):
            self.fail(f"{' '.join(words)} failed")

    def put_sheet(self, shown):
        if shown != (self.drv("wait-window", SHEET, "--has-tab", "--visible", "--timeout", 0, check=False)[0] == 0):
            self.step(SHOW if shown else ("click", "{sheet}", IDOK))
            self.step(SHOWN if shown else HIDDEN)

    def test_every_dialog_menu_and_page_leaves_no_objects_behind(self):
        self.assertGreater(ROUNDS, 5 * max(TOLERANCE.values()), "too few rounds for a leak to show")
        # Wine waits in vain for a window manager to take every dialog it shows or hides (about a second each);
        # unmanaged, it places the windows itself.
        self.reg("HKCU", r"Software\Wine\X11 Driver", "Managed", "REG_SZ", "N")
        self.start_kestor()
        self.handles = {"sheet": self.sheet()}
        self.wait_window(SHEET, "--has-tab", gone=True)  # hidden into the tray after a second
        self.put_sheet(True)
        self.drv("post", self.handles["sheet"], PSM_SETCURSEL, 1, 0, "--send")
        self.handles["scheduler"] = self.control(self.handles["sheet"], IDS["IDC_REMINDER_NEW"]).parent
        pages = [cells[0] for _, cells in self.rows(self.handles["sheet"], TAB_STRIP)]
        for name, page, shown, steps in (row for row in ROWS if not ONLY or any(part in row[0] for part in ONLY)):
            if page:
                self.put_sheet(True)
                self.drv("post", self.handles["sheet"], PSM_SETCURSEL, pages.index(page), 0, "--send")
            self.put_sheet(shown)
            spent = [0.0] * len(steps)
            for round_ in range(WARM_UP + ROUNDS):
                if round_ == WARM_UP:
                    before, started = self.counts(), time.monotonic()
                if shown:  # a click on the sheet as the program sees it, so that it does not hide meanwhile
                    self.step(("post", "{sheet}", WM_USER_ACTIVITY, 0, 0))
                for index, words in enumerate(steps):
                    since = time.monotonic()
                    self.step(words)
                    spent[index] += time.monotonic() - since
            seconds, deadline, after = time.monotonic() - started, time.monotonic() + 15, self.counts()
            while any(abs(after[k] - before[k]) > TOLERANCE[k] for k in before) and time.monotonic() < deadline:
                after = self.wait_until(self.counts, interval=0.5)  # what the program frees late
            self.assertTrue(all(abs(after[k] - before[k]) <= TOLERANCE[k] for k in before),
                            f"{name}: after {ROUNDS} rounds {after}, not within {TOLERANCE} of {before}")
            slowest = max(zip(spent, steps))
            print(f"{name}: {ROUNDS} rounds in {seconds:.1f} s, before {before}, after {after}; slowest step {slowest[1]} "
                  f"{slowest[0]:.1f} s in all", flush=True)
