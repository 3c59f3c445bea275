"""The lock: the unlock password changed from the tray menu; the desktop locked (other programs minimised, the
dialog on top holding the pointer) until the new password; the tray's shutdown saving nothing."""
from harness import *

UNLOCK = "解除锁定"
DIGEST = {"MoonGate": "101212410120", "open2025": "129046562"}  # the program's fixed code table: builds must agree


class LockTest(Story):
    def minimized(self, notepads):
        return [self.window(n).minimized for n in notepads]

    def test_password_lock_and_shutdown(self):
        self.kestor(settle=True)
        self.assertEqual(self.reg("HKLM", MACHINE, "Options_h1"), DIGEST["MoonGate"])
        self.menu(*[VK_DOWN] * 4)
        self.holds(self.prompt("输入旧密码"))
        for asked, password in (("输入旧密码", "MoonGate"), ("输入新密码", "abc"), ("再输入一次", "abd")):
            self.prompt(asked, password)
        self.assertEqual(self.box(IDOK), "密码输入有误，请重新输入")  # asked again
        for asked in ("输入新密码", "再输入一次"):
            self.prompt(asked, "open2025")
        self.until(lambda: self.reg("HKLM", MACHINE, "Options_h1") == DIGEST["open2025"])
        self.assertEqual([self.reg("HKLM", MACHINE, "Options_h2"), self.reg("HKCU", PROFILE, "Options_h1"),
                          self.window(self.sheet()).clip], [2, "open2025", SCREEN])
        # Typed: the lock's keyboard hook lets ordinary keys through.
        self.menu(*[VK_DOWN] * 3)
        dialog = self.win(UNLOCK)
        self.drv("key", *"open2025", VK_RETURN)
        self.gone(dialog)
        # Two notepads hold the foreground, where the menu's keys would go: the command as the menu sends it.
        self.quit()
        for _ in range(2):
            self.start("notepad.exe")
        notepads = self.until(lambda: (n := [w.hwnd for w in self.texts() if w.cls == "Notepad"])[1:] and n)
        self.kestor()
        self.drv("post", self.sheet(), WM_COMMAND, ID_TRAY_LOCK, 0)
        dialog = self.win(UNLOCK)
        self.until(lambda: all(self.minimized(notepads)), "both notepads minimised")
        self.holds(dialog)
        self.drv("set-text", dialog, IDC_UNLOCK_PASSWORD, "MoonGate")  # the old one, wrong now
        self.drv("click", dialog, IDOK)
        self.assertEqual(self.box(IDOK), "密码不正确")
        self.assertEqual((self.window(dialog).topmost, self.minimized(notepads)), (True, [True] * 2))
        self.answer(dialog, IDC_UNLOCK_PASSWORD, "open2025")
        self.sheet(True)
        self.until(lambda: not any(self.minimized(notepads)), "both notepads restored")
        self.assertEqual(self.window(self.sheet()).clip, SCREEN)
        [self.put(name) for name in self.files()]  # the tray's shutdown saves nothing
        self.drv("post", self.sheet(), WM_COMMAND, ID_TRAY_SHUTDOWN, 0)
        self.ended("notepad.exe", "Kestor.exe")
        self.assertEqual(self.files(), {})
