"""Start, tray and exit with the files: the first start, a second copy refused, the about box, the list files read,
written and read back, and a save that a read-only folder refuses while the program runs on with its timers."""
import os
import subprocess
import time

from harness import *

PAGES, ABOUT = ["系统信息", "自动执行", "Kestor", "自动播放", "进程管理"], "关于 Tovrel"
ABOUT_TEXTS = {"Kestor 1.12版", "到点提醒，按时关机，管好上机时间", "有意见或建议，欢迎来信：", "email:kestor@example.com", "确定"}
# 10月10日10点10分 packs to four 0x0A bytes, 05月26日 and 26分 carry 0x1A: data, not line or file ends.
NOON, LATER = (5, 5, 12, 30, "今天中午"), [(5, 26, 8, 26, "二十六日"), (10, 10, 10, 10, "十月十日")]
EXPIRED = [(5, 1, 20, 0, "五月一日"), (5, 5, 9, 5, "这一分钟")]
LIMITS = [("adam", "", "", "每日9时0分 - 21时0分", 2), ("Zoe", "2小时", "15分钟", "", 1)]  # in case-free order
TRACKS = [r"C:\music\A.mp3", r"C:\Music\b.mp3"]
SAVED = {"ControlSet.ini": list_file(LIMITS), "Playlist.m3u": "".join(t + "\r\n" for t in TRACKS).encode("gbk"),
         "TimeSet.ini": list_file([NOON] + LATER)}
SHOWN = [[[f"{m:02d}月{d:02d}日{h:02d}点{n:02d}分", text] for m, d, h, n, text in [NOON] + LATER],
         [list(row[:4]) for row in LIMITS], [[track] for track in TRACKS]]


class StartupTest(Story):
    def set_read_only(self, read_only):
        """The start-up folder read-only from the unix side; for root, whom the bits do not stop, immutable too."""
        for step in (["chmod", "555"], ["chattr", "+i"]) if read_only else (["chattr", "-i"], ["chmod", "755"]):
            if step[0] == "chmod" or os.geteuid() == 0:
                subprocess.run(step + [self.appdir], check=True)

    def tearDown(self):
        self.set_read_only(False)  # or the prefix could not be removed
        super().tearDown()

    def lists(self, sheet=None):
        """The reminders, limits and tracks as the pages list them, or the files in the start-up folder."""
        if sheet:
            return [[row for _, row in self.rows(sheet, id)] for id in (IDC_REMINDER_LIST, IDC_USER_LIST, IDC_PLAYLIST)]
        return {path.name: path.read_bytes() for path in sorted(self.appdir.iterdir()) if path.name != "Kestor.exe"}

    def held(self, window):
        """Whether a message sent to the window waits (the driver gives up after 10 s)."""
        started = time.monotonic()
        self.drv("post", window, WM_NULL, 0, 0, "--send", check=False)
        return time.monotonic() - started > 3

    def test_start_tray_and_exit_with_the_files(self):
        (self.appdir / "TimeSet.ini").write_bytes(list_file([EXPIRED[0], LATER[1], NOON, EXPIRED[1], LATER[0]]))
        (self.appdir / "ControlSet.ini").write_bytes(list_file(LIMITS[::-1]))
        (self.appdir / "Playlist.m3u").write_bytes("".join(t + "\r\n" for t in TRACKS[::-1]).encode("gbk"))
        # A long sound where the about box looks for the Windows start-up sound (the null sound device here plays
        # faster than real time).
        sound = self.prefix / "drive_c/windows/Media/The Microsoft Sound.wav"
        sound.parent.mkdir()
        subprocess.run(["sox", "-n", "-r", "22050", "-b", "16", sound, "synth", "30", "sine", "440"], check=True)
        self.start_kestor(at="2026-05-05 09:05:00")
        sheet = self.wait_window(SHEET, "--has-tab")
        self.assertEqual([cells[0] for _, cells in self.rows(sheet, TAB_STRIP)], PAGES)
        self.wait_window(SHEET, "--has-tab", gone=True)  # hidden into the tray after a second
        self.assertEqual(self.reg("HKCU", PROFILE, "Options"), ("REG_DWORD", 1))
        tray = self.wait_until(lambda: [w.hwnd for w in self.texts() if w.cls == "__winex11_standalone_tray"])
        self.wait_until(lambda: "__winex11_tray_icon" in [c.cls for c in self.texts(tray[0])], what="the icon")
        second = self.start_program("Kestor.exe")
        self.assertEqual(self.msgbox(IDOK), "应用程序已经在运行")
        second.wait(20)
        # The about box by the information page's link and by the tray menu's 关于..., above 退出. Half a second after
        # opening it plays the start-up sound, synchronously: a message sent to it then waits.
        for opening in (lambda: self.drv("post", sheet, WM_SHOW_ABOUT, 0, 0), lambda: self.tray_menu(VK_UP, VK_UP)):
            opening()
            about = self.wait_window(ABOUT)
            controls = self.texts(about)
            self.assertLessEqual(ABOUT_TEXTS, {c.text for c in controls if c.visible})
            self.assertEqual([c.visible for c in controls if c.id == IDC_ABOUT_SOUND], [False])
            if sound.exists():
                self.wait_until(lambda: self.held(about), 10, "the about box held by the sound", interval=0)
                self.screenshot("about")
                sound.unlink()
            self.drv("click", about, IDOK)
            self.wait_window(about, gone=True, visible=False)
        # Shown through the tray, the sheet focuses its tab strip, so that Enter hides it rather than press the
        # information page's shutdown button. The lists come without the expired reminders, each in its order.
        self.tray(WM_LBUTTONDBLCLK)
        self.wait_window(SHEET, "--has-tab")
        self.wait_until(lambda: self.window(sheet)["focus"] == "SysTabControl32", what="the tab strip focused")
        self.assertEqual(self.lists(sheet), SHOWN)
        self.exit_through_tray()
        self.assertEqual(self.lists(), SAVED)
        # The next start marks the run and reads the lists back. Its folder then turns read-only: the exit names the
        # lists it cannot save, and the program runs on with its timers.
        self.start_kestor(at="2026-05-05 12:29:00")
        sheet = self.sheet()
        self.wait_until(lambda: self.reg("HKCU", PROFILE, "Options") == ("REG_DWORD", 0), what="Options written 0")
        self.assertEqual((self.lists(sheet), self.lists()), (SHOWN, SAVED))
        self.set_read_only(True)
        self.tray_menu(VK_UP)
        text = self.msgbox(IDOK)
        self.assertEqual([part in text for part in ("提醒列表", "用户时间控制列表", "播放列表", r"C:\Kestor")], [True] * 4, text)
        self.tray(WM_LBUTTONDBLCLK)
        self.wait_window(SHEET, "--has-tab")
        self.assertEqual(self.msgbox(IDOK, timeout=90), "今天中午")  # at 12:30
        self.assertEqual((self.lists(), len(os.listdir(self.appdir))), (SAVED, 4))  # no temporary file left behind
        self.set_read_only(False)
        self.exit_through_tray()
        self.assertEqual(self.lists(), SAVED | {"TimeSet.ini": list_file(LATER)})
