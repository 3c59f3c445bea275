"""Start, tray and exit: a second copy refused, the about box, the list files read, written and read back, and a
read-only folder refusing the save while the program runs on with its timers."""
import os
import subprocess
import time

from harness import *

ABOUT = {"Kestor 1.12版", "到点提醒，按时关机，管好上机时间", "有意见或建议，欢迎来信：", "email:kestor@example.com", "确定"}
# 10月10日10点10分 packs to four 0x0A bytes, 05月26日 and 26分 carry 0x1A: data, not line or file ends.
NOON, LATER = (5, 5, 12, 30, "今天中午"), [(5, 26, 8, 26, "二十六日"), (10, 10, 10, 10, "十月十日")]
LIMITS = [("adam", "", "", "每日9时0分 - 21时0分", 2), ("Zoe", "2小时", "15分钟", "", 1)]  # in case-free order
TRACKS = [r"C:\music\A.mp3", r"C:\Music\b.mp3"]
SAVED = {"ControlSet.ini": list_file(LIMITS), "Playlist.m3u": m3u(TRACKS), "TimeSet.ini": list_file([NOON] + LATER)}
SHOWN = [[[f"{m:02d}月{d:02d}日{h:02d}点{n:02d}分", text] for m, d, h, n, text in [NOON] + LATER],
         [list(row[:4]) for row in LIMITS], [[track] for track in TRACKS]]


class StartupTest(Story):
    def read_only(self, on):  # immutable too for root, whom the bits do not stop
        for step in (["chmod", "555"], ["chattr", "+i"]) if on else (["chattr", "-i"], ["chmod", "755"]):
            if step[0] == "chmod" or os.geteuid() == 0:
                subprocess.run(step + [self.app], check=True)

    def tearDown(self):
        self.read_only(False)
        super().tearDown()

    def lists(self, sheet):
        return [[row for _, row in self.rows(sheet, id)] for id in (IDC_REMINDER_LIST, IDC_USER_LIST, IDC_PLAYLIST)]

    def held(self, window):  # a message to it waits
        started = time.monotonic()
        self.drv("post", window, WM_NULL, 0, 0, "--send", check=False)
        return time.monotonic() - started > 3

    def test_start_tray_and_exit_with_the_files(self):
        self.put("TimeSet.ini", list_file([(5, 1, 20, 0, "五月一日"), LATER[1], NOON, (5, 5, 9, 5, "这一分钟"), LATER[0]]))
        self.put("ControlSet.ini", list_file(LIMITS[::-1]))
        self.put("Playlist.m3u", m3u(TRACKS[::-1]))
        # A long start-up sound for the about box: the null sound device plays fast.
        sound = self.prefix / "drive_c/windows/Media/The Microsoft Sound.wav"
        sound.parent.mkdir()
        tone(sound, 30)
        self.kestor(at="2026-05-05 09:05:00", settle=True)
        sheet = self.sheet()
        self.assertEqual(self.col(sheet, TAB_STRIP), ["系统信息", "自动执行", "Kestor", "自动播放", "进程管理"])
        self.assertEqual(self.reg("HKCU", PROFILE, "Options"), 1)
        tray = self.until(lambda: [w.hwnd for w in self.texts() if w.cls == "__winex11_standalone_tray"])
        self.until(lambda: "__winex11_tray_icon" in [c.cls for c in self.texts(tray[0])], "the icon")
        second = self.start("Kestor.exe")
        self.assertEqual(self.box(IDOK), "应用程序已经在运行")
        second.wait(20)
        # The about box by the page's link and the tray menu. It plays the sound synchronously: a message to it waits.
        for opening in (lambda: self.drv("post", sheet, WM_SHOW_ABOUT, 0, 0), lambda: self.menu(VK_UP, VK_UP)):
            opening()
            about = self.win("关于 Tovrel")
            controls = self.texts(about)
            self.assertLessEqual(ABOUT, {c.text for c in controls if c.visible})
            self.assertEqual([c.visible for c in controls if c.id == IDC_ABOUT_SOUND], [False])
            if sound.exists():
                self.until(lambda: self.held(about), "the about box held by the sound", 10, every=0)
                sound.unlink()
            self.drv("click", about, IDOK)
            self.gone(about)
        # Shown, the sheet focuses its tab strip: Enter then hides it rather than press the shutdown button.
        self.show()
        self.until(lambda: self.window(sheet).focus == "SysTabControl32", "the tab strip focused")
        self.assertEqual(self.lists(sheet), SHOWN)
        self.quit()
        self.assertEqual(self.files(), SAVED)
        # A read-only folder: the exit names the lists it cannot save, and the program runs on.
        self.kestor(at="2026-05-05 12:29:20")
        sheet = self.sheet()
        self.until(lambda: self.reg("HKCU", PROFILE, "Options") == 0, "Options written 0")
        self.assertEqual((self.lists(sheet), self.files()), (SHOWN, SAVED))
        self.read_only(True)
        self.menu(VK_UP)
        text = self.box(IDOK)
        self.assertEqual([part in text for part in ("提醒列表", "用户时间控制列表", "播放列表", r"C:\Kestor")], [True] * 4, text)
        self.show()
        self.assertEqual(self.box(IDOK, timeout=90), "今天中午")  # at 12:30
        self.assertEqual(self.files(), SAVED)  # no temporary file left
        self.read_only(False)
        self.quit()
        self.assertEqual(self.files(), SAVED | {"TimeSet.ini": list_file(LATER)})
