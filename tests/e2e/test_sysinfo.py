"""Information: the system the prefix claims to be, the names, the date and the clocks (still while the sheet is
hidden, right at once when shown); a Windows 98 prefix with its banner, and the log-off button saving nothing."""
import time

from harness import *

VERSION = (r"Software\Wine", "Version")


class SystemInfoTest(Story):
    def page(self, sheet, *ids):  # the texts of those controls (the clocks by default); None before the page is
        texts = {c.id: c.text for c in self.texts(sheet)}
        return [texts.get(id) for id in ids or (IDC_UPTIME, IDC_LOCAL_TIME, IDC_UTC_TIME)]

    def test_information(self):
        self.reg("HKCU", *VERSION, "REG_SZ", "win2k")
        self.start_kestor(at="2026-05-05 00:30:00")
        sheet = self.wait_window(SHEET, "--has-tab")  # shown for its first second
        computer = self.reg("HKLM", r"System\CurrentControlSet\Control\ComputerName\ComputerName", "ComputerName")[1]
        user = self.reg("HKCU", "Volatile Environment", "USERNAME")[1]
        # Half past midnight in Shanghai is still the day before in UTC: the page gives the local date.
        texts = self.page(sheet, IDC_OS_VERSION, IDC_COMPUTER_NAME, IDC_USER_NAME, IDC_TODAY)
        self.assertEqual(texts, ["Microsoft Windows 2000 5.0 (Build 2195)", computer, user.lower(), "2026年5月5日"])
        uptime, local, utc = self.page(sheet)
        self.assertRegex(uptime, r"^\d+天\d+小时\d\d分\d\d秒$")
        self.assertRegex(local, r"^0:3\d:\d\d$")
        self.assertRegex(utc, r"^16:3\d:\d\d$")
        # Hidden after its first second, the sheet's clocks stand still; shown again, they are right at once.
        self.wait_window(SHEET, "--has-tab", gone=True)
        frozen, since = self.page(sheet), time.monotonic()
        while time.monotonic() < since + 2.5:  # long enough for clocks of seconds to move
            self.assertEqual(self.page(sheet), frozen)
        self.tray(WM_LBUTTONDBLCLK)
        self.wait_window(SHEET, "--has-tab")
        shown = self.page(sheet)
        self.assertNotEqual(shown[:2], frozen[:2])
        self.wait_until(lambda: self.page(sheet)[1] != shown[1], 10, "the local clock ticking")
        self.screenshot("sysinfo")

        self.exit_through_tray()
        (self.appdir / "TimeSet.ini").unlink()
        self.reg("HKCU", *VERSION, "REG_SZ", "win98")
        self.start_kestor()
        sheet = self.sheet()
        self.wait_until(lambda: self.page(sheet, IDC_OS_VERSION) == ["Microsoft Windows 98 4.10"], what="Windows 98")
        self.tray(WM_LBUTTONDBLCLK)
        self.wait_window(SHEET, "--has-tab")
        self.screenshot("sysinfo-win98")
        self.drv("click", sheet, IDC_LOGOFF_NOW)
        self.wait_ended("Kestor.exe")
        self.assertFalse((self.appdir / "TimeSet.ini").exists(), "a log-off saves nothing")
