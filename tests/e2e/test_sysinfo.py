"""Information: the system the prefix claims to be, the names, the date and the clocks ticking; a Windows 98 prefix
with its banner, and the log-off button saving nothing."""
from harness import *

VERSION = (r"Software\Wine", "Version")


class SystemInfoTest(Story):
    def info(self, sheet, *ids):  # the texts of those controls (the clocks by default), None before the page is made
        texts = {c.id: c.text for c in self.texts(sheet)}
        return [texts.get(id) for id in ids or (IDC_UPTIME, IDC_LOCAL_TIME, IDC_UTC_TIME)]

    def test_information(self):
        self.reg("HKCU", *VERSION, "REG_SZ", "win2k")
        self.kestor(at="2026-05-05 00:30:00")
        sheet = self.sheet(True)  # shown for its first second
        computer = self.reg("HKLM", r"System\CurrentControlSet\Control\ComputerName\ComputerName", "ComputerName")
        # Half past midnight in Shanghai is still the day before in UTC: the page gives the local date.
        texts = self.info(sheet, IDC_OS_VERSION, IDC_COMPUTER_NAME, IDC_USER_NAME, IDC_TODAY)
        self.assertEqual(texts, ["Microsoft Windows 2000 5.0 (Build 2195)", computer, self.user().lower(), "2026年5月5日"])
        for text, pattern in zip(self.info(sheet), (r"^\d+天\d+小时\d\d分\d\d秒$", r"^0:3\d:\d\d$", r"^16:3\d:\d\d$")):
            self.assertRegex(text, pattern)
        self.sheet(False)
        self.show()
        shown = self.info(sheet)
        self.until(lambda: self.info(sheet)[1] != shown[1], "the local clock ticking", 10)
        self.quit()
        self.put("TimeSet.ini")
        self.reg("HKCU", *VERSION, "REG_SZ", "win98")
        self.kestor()
        sheet = self.sheet()
        self.until(lambda: self.info(sheet, IDC_OS_VERSION) == ["Microsoft Windows 98 4.10"], "Windows 98")
        self.show()
        self.press(sheet, IDC_LOGOFF_NOW)
        self.ended("Kestor.exe")
        self.assertIsNone(self.get("TimeSet.ini"), "a log-off saves nothing")
