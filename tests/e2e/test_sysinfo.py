"""The system information page on the real program under Wine: the operating system the Wine prefix
claims to be, the computer and user names, the date and clocks that tick while the sheet is shown and
stand still while it is hidden, and a screenshot of the page."""
import re

from harness import KestorTestCase, WM_LBUTTONDBLCLK, IDS

IDC_OS_VERSION, IDC_COMPUTER_NAME, IDC_USER_NAME = IDS["IDC_OS_VERSION"], IDS["IDC_COMPUTER_NAME"], IDS["IDC_USER_NAME"]
IDC_TODAY, IDC_UPTIME = IDS["IDC_TODAY"], IDS["IDC_UPTIME"]
IDC_LOCAL_TIME, IDC_UTC_TIME = IDS["IDC_LOCAL_TIME"], IDS["IDC_UTC_TIME"]
CLOCK = re.compile(r"^\d{1,2}:\d\d:\d\d$")


class SystemInfoTest(KestorTestCase):
    def clocks(self, sheet):
        controls = {c.id: c.text for c in self.texts(sheet)}
        return controls[IDC_UPTIME], controls[IDC_LOCAL_TIME], controls[IDC_UTC_TIME]

    def test_page_shows_the_system_names_date_and_running_clocks(self):
        # Wine claims to be Windows 2000 in this prefix, which the page names.
        self.drv("reg-set", "HKCU", r"Software\Wine", "Version", "REG_SZ", "win2k")
        self.start_kestor(at="2026-05-05 00:30:00")
        sheet = self.sheet()
        self.assertEqual(self.text_of(sheet, IDC_OS_VERSION), "Microsoft Windows 2000 5.0 (Build 2195)")
        user, computer = self.drv("whoami").splitlines()[:2]
        self.assertEqual(self.text_of(sheet, IDC_COMPUTER_NAME), computer)
        self.assertEqual(self.text_of(sheet, IDC_USER_NAME), user.lower())
        # Half past midnight in Shanghai is still the day before in UTC: the page gives the local date.
        self.assertEqual(self.text_of(sheet, IDC_TODAY), "2026年5月5日")
        uptime, local, utc = self.clocks(sheet)
        self.assertRegex(uptime, r"^\d+天\d+小时\d\d分\d\d秒$")
        self.assertRegex(local, CLOCK)
        self.assertTrue(local.startswith("0:3"), local)
        self.assertTrue(utc.startswith("16:3"), utc)

        # Hidden (after its first second) the clocks stand still; shown again they are right at once.
        self.wait_gone(self.SHEET, "--has-tab", timeout=10)
        frozen = self.clocks(sheet)
        for _ in range(3):  # each driver call takes about a second
            self.assertEqual(self.clocks(sheet), frozen)
        self.tray(WM_LBUTTONDBLCLK)
        self.wait_window(self.SHEET, "--has-tab")
        shown = self.clocks(sheet)
        self.assertNotEqual(shown[1], frozen[1])
        self.assertNotEqual(shown[0], frozen[0])
        self.wait_until(lambda: self.clocks(sheet)[1] != shown[1], timeout=10, what="the local clock ticking")
        self.screenshot("sysinfo")

    def test_a_windows_98_system_shows_its_banner(self):
        self.drv("reg-set", "HKCU", r"Software\Wine", "Version", "REG_SZ", "win98")
        self.start_kestor()
        sheet = self.sheet()
        self.assertEqual(self.text_of(sheet, IDC_OS_VERSION), "Microsoft Windows 98 4.10")
        # The sheet may have hidden itself already: shown through the tray for the screenshot.
        self.tray(WM_LBUTTONDBLCLK)
        self.wait_window(self.SHEET, "--has-tab")
        self.screenshot("sysinfo-win98")
        # Its log-off button ends this prefix's session at once, without saving.
        self.click(sheet, IDS["IDC_LOGOFF_NOW"])
        self.wait_process_gone("Kestor.exe", timeout=30)
        self.assertFalse((self.appdir / "TimeSet.ini").exists(), "a log-off saves nothing")
