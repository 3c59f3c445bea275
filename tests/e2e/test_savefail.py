"""Saving into a read-only start-up folder on the real program under Wine: the exit through the tray is
refused with a message that names the unsaved lists, the program runs on in the tray with its timers
(the sheet can be shown, a reminder fires at its minute), and once the folder can be written again the
next exit writes the files."""
import os
import struct
import subprocess
from datetime import datetime, timedelta
from zoneinfo import ZoneInfo

from harness import IDOK, KestorTestCase, WM_LBUTTONDBLCLK

LISTS = ("提醒列表", "用户时间控制列表", "播放列表")


def text_mode(data):
    """The bytes as a text-mode file stores them: every line feed, also one inside a number, as CR LF."""
    return data.replace(b"\n", b"\r\n")


def reminder_file(*reminders):
    """TimeSet.ini holding these (month, day, hour, minute, message) reminders."""
    out = b"[ItemCount]\n" + struct.pack("<I", len(reminders)) + b"D\n[ItemData]\n"
    for month, day, hour, minute, message in reminders:
        shown = f"{month:02d}月{day:02d}日{hour:02d}点{minute:02d}分"
        out += struct.pack("<I", (month << 24) | (day << 16) | (hour << 8) | minute) + b"D\n"
        out += shown.encode("gbk") + b"\n" + message.encode("gbk") + b"\n"
    return text_mode(out)


class SaveFailTest(KestorTestCase):
    def set_read_only(self, read_only):
        """Makes the start-up folder read-only from the unix side. The permission bits alone do not
        stop root, so as root the folder is also made immutable."""
        if read_only:
            os.chmod(self.appdir, 0o555)
        if os.geteuid() == 0:
            subprocess.run(["chattr", "+i" if read_only else "-i", str(self.appdir)], check=True)
        if not read_only:
            os.chmod(self.appdir, 0o755)

    def tearDown(self):
        try:
            self.set_read_only(False)  # or the prefix could not be removed
        finally:
            super().tearDown()

    def test_read_only_folder_keeps_the_program_running_until_the_lists_can_be_saved(self):
        # On the real clock: a reminder 60 to 120 s from now. (Under faketime the program here did not
        # always come up.)
        now = datetime.now(ZoneInfo("Asia/Shanghai"))
        due = (now + timedelta(minutes=2)).replace(second=0, microsecond=0)
        soon = (due.month, due.day, due.hour, due.minute, "交报告")
        later = (12, 31, 23, 59, "年终总结")
        if due.year != now.year or soon[:4] >= later[:4]:
            self.skipTest("the year ends before the reminders: they carry no year")
        (self.appdir / "TimeSet.ini").write_bytes(reminder_file(soon, later))
        (self.appdir / "Playlist.m3u").write_bytes(b"C:\\music\\a.mp3\r\n")
        before = {name: (self.appdir / name).read_bytes() for name in ("TimeSet.ini", "Playlist.m3u")}
        self.set_read_only(True)
        with self.assertRaises(OSError, msg="the folder refuses new files"):
            (self.appdir / "probe").write_bytes(b"")

        self.start_kestor()
        self.sheet()
        self.wait_gone(self.SHEET, "--has-tab")
        self.choose_tray_exit()
        text = self.msgbox_text()
        self.screenshot("savefail-message")
        for name in LISTS:
            self.assertIn(name, text)
        self.assertIn("C:\\Kestor", text)
        self.answer_msgbox(IDOK)

        # Still in the tray, with its timers: the sheet comes back and the reminder fires at its minute.
        self.tray(WM_LBUTTONDBLCLK)
        self.wait_window(self.SHEET, "--has-tab")
        self.screenshot("savefail-still-running")
        self.assertEqual(self.answer_msgbox(IDOK, timeout=150), "交报告")
        self.assertGreaterEqual(datetime.now(ZoneInfo("Asia/Shanghai")), due)
        self.assertEqual({name: (self.appdir / name).read_bytes() for name in before}, before)
        self.assertFalse((self.appdir / "ControlSet.ini").exists())
        self.assertEqual(sorted(p.name for p in self.appdir.iterdir()), ["Kestor.exe", "Playlist.m3u", "TimeSet.ini"],
                         "no temporary file left")

        self.set_read_only(False)
        self.exit_through_tray_menu()
        self.assertEqual(self.wait_file("TimeSet.ini"), reminder_file(later))
        self.assertEqual(self.wait_file("ControlSet.ini", allow_empty=True), b"")
        self.assertEqual(self.wait_file("Playlist.m3u"), before["Playlist.m3u"])
