"""Reminders on a faked clock: the hourly notice, reminders in time order and shown, TimeSet.ini, start with Windows
at apply, and a countdown shutdown ending the session."""
import re

from harness import *

KEPT = [(6, 15, 10, 30, "交电费"), (12, 1, 8, 0, "年底盘点")]


class SchedulerTest(Story):
    def add(self, sheet, month, day, hour, minute, message):
        self.press(sheet, IDC_REMINDER_NEW)
        dialog = self.win("新建提示...")
        self.drv("date", dialog, IDC_REMINDER_TIME, 2026, month, day, hour, minute, 0)
        self.answer(dialog, IDC_REMINDER_MESSAGE, message)

    def reminders(self, sheet):
        return [(*map(int, re.findall(r"\d+", time)), text) for _, (time, text) in self.rows(sheet, IDC_REMINDER_LIST)]

    def apply(self, sheet):
        self.until(lambda: self.ctl(sheet, APPLY).enabled, "Apply enabled by the change")
        self.press(sheet, APPLY)
        self.until(lambda: not self.ctl(sheet, APPLY).enabled, "Apply done")

    def test_reminders_notice_autorun_and_countdown(self):
        self.reg("HKCU", PROFILE, "Options_a1", "REG_DWORD", 1)  # the hourly notice on
        self.kestor(at="2026-05-05 09:59:45")
        sheet = self.page(1)
        # A list view left-aligns a column inserted first whatever it is asked: the time must stay centred.
        header = self.drv("rows", sheet, IDC_REMINDER_LIST, "--header")
        self.assertEqual(header, ["提示时间\t120\tcenter", "提示信息\t200\tleft"])
        self.assertEqual(self.col(sheet, IDC_CHIME_INTERVAL), [f"每{n}小时" for n in range(1, 7)])
        notice = self.win("提示信息...", timeout=60)  # at 10:00
        self.assertEqual(self.text(notice, IDC_NOTICE_MESSAGE), "现在时刻10点正")
        self.assertRegex(self.text(notice, IDC_NOTICE_COUNTDOWN), r"^对话框将在1[0-5]秒后自动关闭\.$")
        self.gone(notice, timeout=30)  # by itself
        self.show()  # hidden meanwhile
        # Added late first: the list sorts by time. The next is due the next minute or, too near, the one after.
        for reminder in KEPT[::-1]:
            self.add(sheet, *reminder)
        h, m, s = map(int, self.text(sheet, IDC_LOCAL_TIME).split(":"))
        due = h * 60 + m + 1 + (s > 40)
        soon = (5, 5, due // 60, due % 60, "一分钟后")
        self.add(sheet, *soon)
        self.assertEqual(self.reminders(sheet), [soon, *KEPT])
        self.assertEqual(self.box(IDOK, timeout=150), "一分钟后")
        self.until(lambda: self.reminders(sheet) == KEPT, "the shown reminder removed")
        self.show()
        path = r"C:\Kestor\Kestor.exe"
        checked = self.drv("post", self.ctl(sheet, IDC_AUTORUN).hwnd, BM_GETCHECK, 0, 0, "--send")
        self.assertEqual((self.reg("HKLM", RUN_KEY, "Kestor"), checked), (path, ["1"]))
        for value in ((None, 0), (path, 1)):
            self.press(sheet, IDC_AUTORUN)
            self.apply(sheet)
            self.assertEqual((self.reg("HKLM", RUN_KEY, "Kestor"), self.reg("HKCU", PROFILE, "Options_d1")), value)
        self.quit()
        self.assertEqual(self.get("TimeSet.ini"), list_file(KEPT))
        # The countdown's shutdown ends the session, notepad with it, and saves nothing.
        self.put("TimeSet.ini")
        self.start("notepad.exe")
        self.until(lambda: self.procs("notepad.exe"), "notepad running")
        self.kestor()
        sheet = self.page(1)
        self.press(sheet, IDC_COUNTDOWN)
        self.drv("date", sheet, IDC_COUNTDOWN_TIME, 2026, 5, 5, 0, 0, 5)
        self.apply(sheet)
        self.until(lambda: self.text(sheet, IDC_COUNTDOWN_TIME) in ("00:00:03", "00:00:02"), "counting", every=0.05)
        self.ended("Kestor.exe", "notepad.exe")
        self.assertIsNone(self.get("TimeSet.ini"), "a shutdown saves nothing")
        self.assertEqual(self.reg("HKCU", PROFILE, "Options_c1"), 1)
