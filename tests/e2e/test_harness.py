"""Checks the harness itself on Wine's own notepad: Chinese captions and texts through the driver,
message boxes, key input, the registry, the faked clock and screenshots."""
import struct

from harness import IDNO, WineTestCase


class HarnessTest(WineTestCase):
    def test_driver_reads_and_drives_a_real_program(self):
        self.start_program("notepad.exe")
        hwnd = self.wait_window("记事本", "--contains")
        edit = next(c for c in self.texts(hwnd) if c.cls == "Edit")

        self.drv("key", "A", "B", "C")
        self.wait_until(lambda: self.text_of(hwnd, edit.id) == "abc", what="typed text in the edit")
        shot = self.screenshot("harness-notepad")
        with open(shot, "rb") as png:
            header = png.read(24)
        self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(struct.unpack(">II", header[16:24]), (1024, 768))

        # Closing a changed document asks a question; the driver tells the box from the window.
        self.post(hwnd, "WM_CLOSE")
        self.assertIn("已更改", self.answer_msgbox(IDNO))
        self.wait_gone("记事本", "--contains")
        self.wait_process_gone("notepad.exe")

    def test_registry_round_trip_keeps_chinese(self):
        path = r"Software\Kestor\Setting\Default"
        self.drv("reg-set", "HKCU", path, "Options_t1", "REG_SZ", "用户 tom")
        self.drv("reg-set", "HKLM", path, "Options_t2", "REG_DWORD", "0x10")
        self.assertEqual(self.reg_query("HKCU", path, "Options_t1"), ("REG_SZ", "用户 tom"))
        self.assertEqual(self.reg_query("HKLM", path, "Options_t2"), ("REG_DWORD", "16"))
        self.assertIsNone(self.reg_query("HKLM", path, "Options_t1"))

    def test_faked_clock_and_user(self):
        (self.appdir / "now.cmd").write_bytes(b"@whoami > who.txt\r\n@echo %DATE% %TIME%> now.txt\r\n")
        self.start_program("cmd.exe", "/c", "now.cmd", at="2026-05-05 09:04:55", speed=10, user="tom")
        stamp = self.wait_file("now.txt").decode("ascii", "replace")
        self.assertTrue(stamp.startswith("2026/5/5 09:0"), stamp)
        self.assertIn("tom", self.wait_file("who.txt").decode("ascii", "replace"))
        self.assertNotIn("has been updated", self.wine.log_tail())
