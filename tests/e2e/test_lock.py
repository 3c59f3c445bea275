"""The lock: the unlock password changed from the tray menu; the desktop locked (the other programs minimised, the
dialog on top holding the pointer) and unlocked only by the new password; the tray's shutdown saving nothing."""
import os

from harness import *

UNLOCK, PROMPT, SCREEN = "解除锁定", "输入密码...", (0, 0, 1024, 768)
DIGEST = {"MoonGate": "101212410120", "open2025": "129046562"}  # the program's fixed code table: builds must agree


class LockTest(Story):
    def prompt(self, asked, password=None):
        """The password prompt once it asks `asked`; with a password, answered and gone."""
        def asking():
            code, found = self.drv("wait-window", PROMPT, "--visible", check=False)
            return code == 0 and self.control(found[0], IDC_PASSWORD_PROMPT).text == asked and found[0]
        hwnd = self.wait_until(asking, what=f"the prompt {asked!r}")
        if password:
            self.drv("set-text", hwnd, IDC_PASSWORD, password)
            self.drv("click", hwnd, IDOK)
            self.wait_window(hwnd, gone=True, visible=False)
        return hwnd

    def test_password_lock_and_shutdown(self):
        self.start_kestor()
        self.wait_window(SHEET, "--has-tab")
        self.wait_window(SHEET, "--has-tab", gone=True)  # hidden into the tray after a second
        self.assertEqual(self.reg("HKLM", MACHINE, "Options_h1"), ("REG_SZ", DIGEST["MoonGate"]))
        # Nothing else holds the foreground, so the tray menu takes its keys: the fourth item, separators skipped.
        self.tray_menu(*[VK_DOWN] * 4)
        shown = self.window(self.prompt("输入旧密码"))
        self.assertEqual((shown["clip"], shown["topmost"]), (shown["rect"], True), "the prompt holds the pointer")
        self.screenshot("lock-password-prompt")
        for asked, password in (("输入旧密码", "MoonGate"), ("输入新密码", "abc"), ("再输入一次", "abd")):
            self.prompt(asked, password)
        self.assertEqual(self.msgbox(IDOK), "密码输入有误，请重新输入")  # asked again
        for asked in ("输入新密码", "再输入一次"):
            self.prompt(asked, "open2025")
        self.wait_until(lambda: self.reg("HKLM", MACHINE, "Options_h1") == ("REG_SZ", DIGEST["open2025"]))
        self.assertEqual([self.reg("HKLM", MACHINE, "Options_h2")[1], self.reg("HKCU", PROFILE, "Options_h1")[1],
                          self.window(self.sheet())["clip"]], [2, "open2025", SCREEN])
        # Locked from the menu, the password typed into the fresh dialog: its keyboard hook lets ordinary keys through.
        self.tray_menu(*[VK_DOWN] * 3)
        dialog = self.wait_window(UNLOCK)
        self.drv("key", *"open2025", VK_RETURN)
        self.wait_window(dialog, gone=True, visible=False)
        # Started again behind two notepads, which hold the foreground, where the menu's keys would go (a hidden
        # window cannot take it under Wine): the lock command is posted as the menu sends it.
        self.exit_through_tray()
        for _ in range(2):
            self.start_program("notepad.exe")
        notepads = self.wait_until(lambda: (n := [w.hwnd for w in self.texts() if w.cls == "Notepad"])[1:] and n)
        self.start_kestor()
        self.drv("post", self.sheet(), WM_COMMAND, ID_TRAY_LOCK, 0)
        dialog = self.wait_window(UNLOCK)
        self.wait_until(lambda: all(self.window(n)["minimized"] for n in notepads), what="both notepads minimised")
        shown = self.window(dialog)
        self.assertEqual((shown["clip"], shown["topmost"]), (shown["rect"], True), "the dialog holds the pointer")
        self.screenshot("lock-unlock-dialog")
        for password in ("MoonGate", "open2025"):  # the old one is wrong now
            self.drv("set-text", dialog, IDC_UNLOCK_PASSWORD, password)
            self.drv("click", dialog, IDOK)
            if password == "MoonGate":
                self.assertEqual(self.msgbox(IDOK), "密码不正确")
                self.assertTrue(self.window(dialog)["topmost"] and all(self.window(n)["minimized"] for n in notepads))
        self.wait_window(dialog, gone=True, visible=False)
        self.wait_window(SHEET, "--has-tab")
        self.wait_until(lambda: not any(self.window(n)["minimized"] for n in notepads), what="both notepads restored")
        self.assertEqual(self.window(self.sheet())["clip"], SCREEN)
        # The tray's shutdown ends the session, the notepads too, and saves nothing.
        for name in ("TimeSet.ini", "ControlSet.ini", "Playlist.m3u"):  # written by the exit
            (self.appdir / name).unlink()
        self.drv("post", self.sheet(), WM_COMMAND, ID_TRAY_SHUTDOWN, 0)
        for program in ("notepad.exe", "Kestor.exe"):
            self.wait_ended(program)
        self.assertEqual(os.listdir(self.appdir), ["Kestor.exe"])
