"""The scheduler page on the real program under Wine: reminders added through the new-reminder dialog,
kept in time order and written to TimeSet.ini at exit; a prepared TimeSet.ini read back without its
expired records; a reminder shown at its minute; the countdown shutdown ending the Wine session; start
with Windows following the apply."""
import re
import struct

from harness import IDOK, IDS, PROFILE, KestorTestCase, WM_LBUTTONDBLCLK

NEW_REMINDER = "新建提示..."
SCHEDULER_PAGE = 1
APPLY = 0x3021  # the property sheet's own Apply button
RUN_KEY = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
IDC_REMINDER_LIST, IDC_AUTORUN = IDS["IDC_REMINDER_LIST"], IDS["IDC_AUTORUN"]


def time_text(month, day, hour, minute):
    return f"{month:02d}月{day:02d}日{hour:02d}点{minute:02d}分"


def reminder_file(rows):
    """TimeSet.ini as the program writes it, for reminders (month, day, hour, minute, message) in list
    order: text lines end in CR LF, and the raw 4-byte fields go through the same LF -> CR LF
    translation."""
    def crlf(data):
        return data.replace(b"\n", b"\r\n")
    if not rows:
        return b""
    out = b"[ItemCount]\r\n" + crlf(struct.pack("<i", len(rows))) + b"D\r\n[ItemData]\r\n"
    for month, day, hour, minute, message in rows:
        out += crlf(struct.pack("<I", month << 24 | day << 16 | hour << 8 | minute)) + b"D\r\n"
        out += time_text(month, day, hour, minute).encode("gbk") + b"\r\n" + message.encode("gbk") + b"\r\n"
    return out


def listed(rows):
    return [[time_text(*row[:4]), row[4]] for row in rows]


class SchedulerTest(KestorTestCase):
    def show_scheduler_page(self):
        return self.show_page(SCHEDULER_PAGE)

    def reminders(self, sheet):
        return self.lv_rows(sheet, IDC_REMINDER_LIST)

    def add_reminder(self, sheet, when, message, screenshot=None):
        """Adds a reminder for `when` ("YYYY-MM-DD HH:MM") through the new-reminder dialog."""
        self.keep_shown(sheet)
        self.click(sheet, IDS["IDC_REMINDER_NEW"])
        dialog = self.wait_window(NEW_REMINDER, "--dialog")
        date, clock = when.split()
        self.drv("dtp-set", dialog, IDS["IDC_REMINDER_TIME"], date, clock + ":00")
        self.set_text(dialog, IDS["IDC_REMINDER_MESSAGE"], message)
        if screenshot:
            self.screenshot(screenshot)
        self.click(dialog, IDOK)
        self.wait_gone(NEW_REMINDER, "--dialog")

    def apply(self, sheet):
        """Clicks the sheet's Apply once a change has enabled it."""
        self.keep_shown(sheet)
        self.wait_until(lambda: self.control(sheet, APPLY).enabled, what="Apply enabled by the change")
        self.click(sheet, APPLY)
        self.wait_until(lambda: not self.control(sheet, APPLY).enabled, what="Apply done")

    def program_clock(self, sheet):
        """The local time of day the program shows on its information page, as seconds since midnight."""
        text = self.text_of(sheet, IDS["IDC_LOCAL_TIME"])
        match = re.fullmatch(r"(\d+):(\d\d):(\d\d)", text)
        self.assertIsNotNone(match, f"the information page's clock reads {text!r}")
        hour, minute, second = map(int, match.groups())
        return hour * 3600 + minute * 60 + second

    def test_reminders_added_through_the_dialog_are_sorted_and_saved_at_exit(self):
        self.start_kestor(at="2026-05-05 09:00:00")
        sheet = self.show_scheduler_page()
        self.screenshot("scheduler-page")
        self.assertEqual(self.drv("lv-header", sheet, IDC_REMINDER_LIST).splitlines(),
                         ["提示时间\t120\tcenter", "提示信息\t200\tleft"])
        self.assertEqual([text for _, text in
                          (line.split("\t", 1) for line in self.drv("combo-items", sheet,
                                                                    IDS["IDC_CHIME_INTERVAL"]).splitlines())],
                         [f"每{n}小时" for n in range(1, 7)])
        # Added late first: the list sorts by the time text, which is calendar order within the year.
        self.add_reminder(sheet, "2026-12-01 08:00", "年底盘点", screenshot="new-reminder-dialog")
        self.add_reminder(sheet, "2026-06-15 10:30", "交电费")
        expected = [(6, 15, 10, 30, "交电费"), (12, 1, 8, 0, "年底盘点")]
        self.wait_until(lambda: self.reminders(sheet) == listed(expected),
                        what=f"rows {listed(expected)} (last seen {self.reminders(sheet)})")
        # A second reminder for the same minute is refused, whatever its message.
        self.add_reminder(sheet, "2026-06-15 10:30", "别的")
        self.assertEqual(self.answer_msgbox(IDOK), "您设置的时间已经设置了提示信息")
        self.assertEqual(self.reminders(sheet), listed(expected))
        self.screenshot("scheduler-page-with-reminders")
        self.exit_through_tray_menu()
        self.assertEqual(self.wait_file("TimeSet.ini"), reminder_file(expected))

    def test_a_prepared_list_comes_back_without_its_expired_records(self):
        # 10月10日10点10分 packs to four 0x0A bytes, 05月26日 and :26 carry 0x1A: both are data.
        future = [(5, 5, 12, 0, "今天中午"), (5, 26, 8, 26, "二十六日"), (10, 10, 10, 10, "十月十日")]
        expired = [(5, 1, 20, 0, "五月一日"), (5, 5, 9, 5, "这一分钟")]
        on_disk = [expired[0], future[1], expired[1], future[2], future[0]]
        (self.appdir / "TimeSet.ini").write_bytes(reminder_file(on_disk))
        self.start_kestor(at="2026-05-05 09:05:00")
        sheet = self.show_scheduler_page()
        self.wait_until(lambda: self.reminders(sheet) == listed(future),
                        what=f"rows {listed(future)} (last seen {self.reminders(sheet)})")
        self.exit_through_tray_menu()
        self.assertEqual(self.wait_file("TimeSet.ini"), reminder_file(future))

    def test_a_reminder_for_the_next_minute_is_shown_at_that_minute(self):
        # A set date on the real rate of the clock, started some seconds before a minute begins: a faster
        # clock would make the program's minute depend on how long the driver's own steps take.
        self.start_kestor(at="2026-05-05 09:05:20")
        sheet = self.show_scheduler_page()
        now = self.program_clock(sheet)
        # The next minute, or the one after when the next is too close to type it in time.
        due = (now // 60 + (1 if now % 60 < 40 else 2)) * 60
        hour, minute = divmod(due // 60, 60)
        self.add_reminder(sheet, f"2026-05-05 {hour:02d}:{minute:02d}", "一分钟后")
        self.wait_until(lambda: self.reminders(sheet) == [[time_text(5, 5, hour, minute), "一分钟后"]],
                        what="the reminder listed")
        self.assertEqual(self.msgbox_text(timeout=150), "一分钟后")
        # The sheet may have hidden itself meanwhile: showing it refreshes the clock on the page.
        self.tray(WM_LBUTTONDBLCLK)
        sheet = self.wait_window(self.SHEET, "--has-tab")
        shown_at = self.program_clock(sheet)
        self.screenshot("reminder-message")
        self.assertGreaterEqual(shown_at, due, "not before its minute")
        self.assertLess(shown_at, due + 15, "within its minute's first seconds")
        self.answer_msgbox(IDOK)
        self.wait_until(lambda: self.reminders(sheet) == [], what="the shown reminder removed")

    def test_a_countdown_of_five_seconds_ends_the_session(self):
        # The harness gives this test its own prefix: the shutdown ends only that Wine session. Wine's
        # notepad stands for the user's other programs, which a shutdown ends too.
        self.start_program("notepad.exe")
        self.wait_until(lambda: self.drv_rc("is-process", "notepad.exe")[0] == 0, what="notepad running")
        self.start_kestor()
        sheet = self.show_scheduler_page()
        picker = IDS["IDC_COUNTDOWN_TIME"]
        self.keep_shown(sheet)
        self.click(sheet, IDS["IDC_COUNTDOWN"])
        self.wait_until(lambda: self.control(sheet, picker).enabled, what="the countdown picker enabled")
        date = self.drv("dtp-get", sheet, picker).split()[0]
        self.drv("dtp-set", sheet, picker, date, "00:00:05")
        self.screenshot("scheduler-countdown")
        self.click(sheet, APPLY)
        # The picker counts down second by second to 00:00:01, then the session ends.
        self.wait_until(lambda: self.drv_rc("dtp-get", sheet, picker)[1].split()[1:] in (["00:00:03"], ["00:00:02"]),
                        what="the countdown shown in its picker", interval=0.1)
        self.wait_process_gone("Kestor.exe", timeout=30)
        self.wait_process_gone("notepad.exe", timeout=30)
        self.assertFalse((self.appdir / "TimeSet.ini").exists(), "a shutdown saves nothing")
        self.assertEqual(self.reg_query("HKCU", PROFILE, "Options_c1"), ("REG_DWORD", "1"))

    def test_start_with_windows_follows_the_box_at_apply(self):
        self.start_kestor()
        sheet = self.show_scheduler_page()
        path = ("REG_SZ", r"C:\Kestor\Kestor.exe")
        # The first start turns it on.
        self.wait_until(lambda: self.reg_query("HKLM", RUN_KEY, "Kestor") == path, what="the Run value at start")
        self.assertEqual(self.control(sheet, IDC_AUTORUN).checked, 1)

        self.keep_shown(sheet)
        self.click(sheet, IDC_AUTORUN)
        self.wait_until(lambda: self.control(sheet, APPLY).enabled, what="Apply enabled by the click")
        self.assertEqual(self.reg_query("HKLM", RUN_KEY, "Kestor"), path, "nothing changes before the apply")
        self.apply(sheet)
        self.wait_until(lambda: self.reg_query("HKLM", RUN_KEY, "Kestor") is None, what="the Run value removed")
        self.assertEqual(self.reg_query("HKCU", PROFILE, "Options_d1"), ("REG_DWORD", "0"))

        self.click(sheet, IDC_AUTORUN)
        self.apply(sheet)
        self.wait_until(lambda: self.reg_query("HKLM", RUN_KEY, "Kestor") == path, what="the Run value back")
        self.assertEqual(self.reg_query("HKCU", PROFILE, "Options_d1"), ("REG_DWORD", "1"))
        self.assertEqual(self.control(sheet, IDC_AUTORUN).checked, 1)
