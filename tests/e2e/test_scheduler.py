"""Reminders with the notice, on a faked clock: the hourly notice, reminders kept in time order and shown at their
minute, TimeSet.ini's bytes, start with Windows at apply, and a countdown shutdown ending the session."""
import re

from harness import *

PAGE, KEPT = 1, [(6, 15, 10, 30, "交电费"), (12, 1, 8, 0, "年底盘点")]


class SchedulerTest(Story):
    def add_reminder(self, sheet, month, day, hour, minute, message):
        self.keep_shown(sheet)
        self.drv("click", sheet, IDC_REMINDER_NEW)
        dialog = self.wait_window("新建提示...")
        self.drv("date", dialog, IDC_REMINDER_TIME, 2026, month, day, hour, minute, 0)
        self.drv("set-text", dialog, IDC_REMINDER_MESSAGE, message)
        self.drv("click", dialog, IDOK)
        self.wait_window(dialog, gone=True, visible=False)

    def reminders(self, sheet):  # the list's rows as (month, day, hour, minute, message)
        return [(*map(int, re.findall(r"\d+", time)), text) for _, (time, text) in self.rows(sheet, IDC_REMINDER_LIST)]

    def clock(self, sheet):  # the local time that the information page shows, in seconds since midnight
        hour, minute, second = map(int, self.control(sheet, IDC_LOCAL_TIME).text.split(":"))
        return (hour * 60 + minute) * 60 + second

    def applied(self, sheet):
        """Clicks the sheet's Apply once a change has enabled it; returns once it has been applied."""
        self.keep_shown(sheet)
        self.wait_until(lambda: self.control(sheet, APPLY).enabled, what="Apply enabled by the change")
        self.drv("click", sheet, APPLY)
        self.wait_until(lambda: not self.control(sheet, APPLY).enabled, what="Apply done")

    def test_reminders_notice_autorun_and_countdown(self):
        self.reg("HKCU", PROFILE, "Options_a1", "REG_DWORD", 1)  # the hourly notice on
        self.start_kestor(at="2026-05-05 09:59:45")
        sheet = self.show_page(PAGE)
        # A list view makes a column inserted first left-aligned whatever it is asked: the time must stay centred.
        header = self.drv("rows", sheet, IDC_REMINDER_LIST, "--header")
        self.assertEqual(header, ["提示时间\t120\tcenter", "提示信息\t200\tleft"])
        self.assertEqual([item for _, [item] in self.rows(sheet, IDC_CHIME_INTERVAL)], [f"每{n}小时" for n in range(1, 7)])
        notice = self.wait_window("提示信息...", timeout=60)  # at 10:00
        self.assertEqual(self.control(notice, IDC_NOTICE_MESSAGE).text, "现在时刻10点正")
        self.assertRegex(self.control(notice, IDC_NOTICE_COUNTDOWN).text, r"^对话框将在1[0-5]秒后自动关闭\.$")
        self.screenshot("hourly-notice")
        self.wait_window(notice, gone=True, visible=False, timeout=30)  # by itself after 15 s
        # Added late first: the list sorts by the time text, which is calendar order within the year. The next
        # reminder is for the next minute, or the one after when the next is too near to be typed in time.
        for reminder in KEPT[::-1]:
            self.add_reminder(sheet, *reminder)
        now = self.clock(sheet)
        due = (now // 60 + 1 + (now % 60 > 40)) * 60
        soon = (5, 5, due // 3600, due // 60 % 60, "一分钟后")
        self.add_reminder(sheet, *soon)
        self.assertEqual(self.reminders(sheet), [soon, *KEPT])
        self.screenshot("scheduler-page")
        self.assertEqual(self.msgbox(timeout=150), "一分钟后")
        self.tray(WM_LBUTTONDBLCLK)  # shown again, the sheet sets its clocks at once
        self.wait_window(SHEET, "--has-tab")
        self.assertGreaterEqual(self.clock(sheet), due, "not before its minute")
        self.msgbox(IDOK)
        self.wait_until(lambda: self.reminders(sheet) == KEPT, what="the shown reminder removed")
        # Start with Windows: on since the first start, then off and on again, each at the apply.
        path = ("REG_SZ", r"C:\Kestor\Kestor.exe")
        self.assertEqual((self.reg("HKLM", RUN_KEY, "Kestor"), self.control(sheet, IDC_AUTORUN).checked), (path, 1))
        for value in ((None, ("REG_DWORD", 0)), (path, ("REG_DWORD", 1))):
            self.drv("click", sheet, IDC_AUTORUN)
            self.applied(sheet)
            self.assertEqual((self.reg("HKLM", RUN_KEY, "Kestor"), self.reg("HKCU", PROFILE, "Options_d1")), value)
        self.exit_through_tray()
        self.assertEqual((self.appdir / "TimeSet.ini").read_bytes(), list_file(KEPT))
        # A countdown of five seconds, shown second by second in its picker; then the session ends, notepad with it
        # (it stands for the user's other programs), and nothing is saved.
        (self.appdir / "TimeSet.ini").unlink()
        self.start_program("notepad.exe")
        self.wait_until(lambda: self.host_processes("notepad.exe"), what="notepad running")
        self.start_kestor()
        sheet = self.show_page(PAGE)
        self.drv("click", sheet, IDC_COUNTDOWN)
        self.drv("date", sheet, IDC_COUNTDOWN_TIME, 2026, 5, 5, 0, 0, 5)
        self.applied(sheet)
        self.wait_until(lambda: self.control(sheet, IDC_COUNTDOWN_TIME).text in ("00:00:03", "00:00:02"),
                        what="the countdown shown", interval=0.05)
        for program in ("Kestor.exe", "notepad.exe"):
            self.wait_ended(program)
        self.assertFalse((self.appdir / "TimeSet.ini").exists(), "a shutdown saves nothing")
        self.assertEqual(self.reg("HKCU", PROFILE, "Options_c1"), ("REG_DWORD", 1))
