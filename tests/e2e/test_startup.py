"""Start-up, the single instance, the registry the first and second starts leave, the tray icon's
double-click and the exit through the tray menu, on the real program under Wine."""
from harness import IDOK, MACHINE, PROFILE, KestorTestCase, WM_LBUTTONDBLCLK

RUN = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
PAGES = ["系统信息", "自动执行", "Kestor", "自动播放", "进程管理"]
MOONGATE_DIGEST = "101212410120"


class StartupTest(KestorTestCase):
    def test_first_start_hides_into_the_tray_and_registers_itself(self):
        self.start_kestor()
        sheet = self.wait_window(self.SHEET, "--has-tab")
        self.assertEqual([caption for caption, _ in self.tabs(sheet)], PAGES)
        self.assertEqual(self.text_of(sheet, IDOK + 1), "退出")
        # Visible for about a second, then it lives hidden in the tray.
        self.wait_gone(self.SHEET, "--has-tab", timeout=10)
        self.assertEqual(self.reg_query("HKCU", PROFILE, "Options"), ("REG_DWORD", "1"))
        self.assertEqual(self.reg_query("HKCU", PROFILE, "Options_d1"), ("REG_DWORD", "1"))
        self.assertEqual(self.reg_query("HKLM", RUN, "Kestor"), ("REG_SZ", r"C:\Kestor\Kestor.exe"))
        self.assertEqual(self.reg_query("HKLM", MACHINE, "Options_h1"), ("REG_SZ", MOONGATE_DIGEST))
        self.assertEqual(self.reg_query("HKLM", MACHINE, "Options_h2"), ("REG_DWORD", "1"))
        self.assertTrue(any(w.cls == "Shell_TrayWnd" or "Tray" in w.caption for w in self.windows()),
                        "the tray window shows the icon")

        # The icon's double-click shows the sheet again; every page gets a screenshot.
        self.tray(WM_LBUTTONDBLCLK)
        sheet = self.wait_window(self.SHEET, "--has-tab")
        # The focus goes to the tab strip, so Enter presses OK (hide), never the page's "立即关机".
        self.wait_until(lambda: self.drv("focus", sheet).split("\t")[-1].strip() == "SysTabControl32",
                        what="the tab strip focused")
        for index, caption in enumerate(PAGES):
            self.drv("select-tab", sheet, index)
            self.wait_until(lambda: self.tabs(sheet)[index][1], what=f"tab {caption} selected")
            self.screenshot(f"page-{index}")

        self.exit_through_tray_menu()
        for name in ("TimeSet.ini", "ControlSet.ini", "Playlist.m3u"):
            self.assertEqual(self.wait_file(name, allow_empty=True), b"", name)

        # The second start marks the run and leaves the settings as they are.
        self.start_kestor()
        self.wait_window(self.SHEET, "--has-tab", visible=False)
        self.wait_until(lambda: self.reg_query("HKCU", PROFILE, "Options") == ("REG_DWORD", "0"),
                        what="Options written 0")
        self.assertEqual(self.reg_query("HKCU", PROFILE, "Options_d1"), ("REG_DWORD", "1"))

    def test_second_copy_is_refused_and_the_first_keeps_running(self):
        self.start_kestor()
        sheet = self.sheet()
        self.start_kestor()
        self.assertEqual(self.answer_msgbox(IDOK), "应用程序已经在运行")
        self.wait_until(lambda: len(self.drv_rc("is-process", "Kestor.exe")[1].split()) == 1,
                        what="only one Kestor.exe left")
        self.assertEqual(self.sheet(), sheet)
        self.tray(WM_LBUTTONDBLCLK)
        self.wait_window(self.SHEET, "--has-tab")
