"""The desktop lock, the unlock password and the tray's shut-down, on the real program under Wine."""
import os
from pathlib import Path

from harness import IDOK, IDS, MACHINE, PROFILE, DriverError, KestorTestCase

UNLOCK = "解除锁定"
PROMPT = "输入密码..."
IDC_UNLOCK_PASSWORD = IDS["IDC_UNLOCK_PASSWORD"]
IDC_PASSWORD = IDS["IDC_PASSWORD"]
IDC_PASSWORD_PROMPT = IDS["IDC_PASSWORD_PROMPT"]
WS_MINIMIZE = 0x20000000
# Digests under the program's code table (fixed: stored digests must match across builds).
DIGEST = {"MoonGate": "101212410120", "open2025": "129046562"}
# Position of each command in the tray menu, counted with the Down key (separators are skipped).
TRAY_LOCK, TRAY_SET_PASSWORD = 3, 4
# Their command ids, for the tests where another program holds the foreground: the keys for the menu
# would go to that program (a hidden window cannot take the foreground under Wine), so the command the
# menu would send is posted to the sheet instead.
ID_TRAY_SHUTDOWN, ID_TRAY_LOCK = IDS["ID_TRAY_SHUTDOWN"], IDS["ID_TRAY_LOCK"]


class LockTest(KestorTestCase):
    # -- helpers --

    def tray_menu(self, downs):
        """Opens the tray menu with the right button and picks the item `downs` Down presses away."""
        self.tray("WM_RBUTTONDOWN")
        self.wait_window("", "--class", "#32768")
        # SendInput failed here once in a full run (cause not found): wait until the keys are taken.
        keys = ["key", *(["DOWN"] * downs), "RETURN"]
        self.wait_until(lambda: self.drv_rc(*keys)[0] == 0, timeout=10, what="the menu keys taken")

    def tray_command(self, command_id):
        self.drv("menu-command", self.sheet(), command_id)

    def start_hidden_kestor(self):
        self.start_kestor()
        self.sheet()
        self.wait_gone(self.SHEET, "--has-tab", timeout=15)  # hidden into the tray after a second

    def exit_through_tray_menu(self):
        self.tray("WM_RBUTTONDOWN")
        self.wait_window("", "--class", "#32768")
        self.drv("key", "UP", "RETURN")  # Up from no selection is the last item, "退出"
        self.wait_process_gone("Kestor.exe")

    def start_notepads(self, count):
        for _ in range(count):
            self.start_program("notepad.exe")

        def shown():
            found = [w.hwnd for w in self.windows() if w.cls == "Notepad" and w.visible]
            return found if len(found) == count else None
        return self.wait_until(shown, what=f"{count} notepad windows")

    def info(self, hwnd):
        visible, enabled, topmost, style, exstyle, pid, cls, caption = self.drv("window-info", hwnd).rstrip(
            "\n").split("\t", 7)
        return {"visible": visible == "1", "topmost": topmost == "1", "style": int(style, 16)}

    def minimized(self, hwnd):
        return bool(self.info(hwnd)["style"] & WS_MINIMIZE)

    def rect(self, *args):
        return tuple(int(v) for v in self.drv(*args).split())

    def unlock_dialog(self):
        return self.wait_window(UNLOCK, "--dialog")

    def try_unlock(self, password, keys=False):
        """Enters the password into the unlock dialog and presses OK, or with `keys` types it on the
        keyboard and presses Enter (lower-case letters and digits only); returns the message box text,
        or None when the dialog went away."""
        dialog = self.unlock_dialog()
        if keys:
            self.drv("key", *password, "RETURN")
        else:
            self.set_text(dialog, IDC_UNLOCK_PASSWORD, password)
            self.click(dialog, IDOK)

        def outcome():
            if self.drv_rc("msgbox-text", "--timeout", "500")[0] == 0:
                return "answered"
            if self.drv_rc("wait-gone", UNLOCK, "--visible", "--timeout", "500")[0] == 0:
                return "unlocked"
            return None
        if self.wait_until(outcome, what=f"password {password!r} answered or unlocked") == "answered":
            return self.answer_msgbox(IDOK)
        return None

    def prompt(self, expected):
        """Waits for the password prompt showing `expected` and returns its handle."""
        def shown():
            try:
                hwnd = self.drv("wait-window", PROMPT, "--dialog", "--visible", "--timeout", "2000").strip()
                return hwnd if self.text_of(hwnd, IDC_PASSWORD_PROMPT) == expected else None
            except DriverError:
                return None
        return self.wait_until(shown, what=f"password prompt {expected!r}")

    def answer_prompt(self, expected, password):
        hwnd = self.prompt(expected)
        self.set_text(hwnd, IDC_PASSWORD, password)
        self.click(hwnd, IDOK)
        return hwnd

    def machine_digest(self):
        return self.reg_query("HKLM", MACHINE, "Options_h1")

    def prefix_processes(self):
        """Host processes of this test's Wine prefix (wineserver included), seen from outside it."""
        marker = b"WINEPREFIX=" + str(self.wine.path).encode() + b"\0"
        found = []
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                environ = (entry / "environ").read_bytes()
                command = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode("utf-8", "replace")
            except OSError:
                continue
            if marker in environ + b"\0":
                found.append(f"{entry.name} {command}")
        return found

    # -- tests --

    def test_lock_holds_the_desktop_until_the_password(self):
        notepads = self.start_notepads(2)
        self.start_hidden_kestor()
        self.tray_command(ID_TRAY_LOCK)
        dialog = self.unlock_dialog()

        self.wait_until(lambda: all(self.minimized(n) for n in notepads), what="both notepads minimised")
        self.assertTrue(self.info(dialog)["topmost"])
        dialog_rect = self.rect("window-rect", dialog)
        self.assertEqual(self.rect("cursor-clip"), dialog_rect)
        self.drv("mouse-move", 0, 0)  # the pointer cannot leave the dialog
        x, y = self.rect("cursor-pos")
        self.assertTrue(dialog_rect[0] <= x < dialog_rect[2] and dialog_rect[1] <= y < dialog_rect[3], (x, y))
        self.screenshot("lock-unlock-dialog")

        # Escape leaves the dialog where it is; a wrong password is answered and the lock stays.
        self.drv("key", "ESCAPE")
        dialog = self.unlock_dialog()
        self.set_text(dialog, IDC_UNLOCK_PASSWORD, "Sunrise")
        self.click(dialog, IDOK)
        self.msgbox_text()
        self.screenshot("lock-wrong-password")
        self.assertEqual(self.answer_msgbox(IDOK), "密码不正确")
        self.assertEqual(self.unlock_dialog(), dialog)
        self.assertTrue(all(self.minimized(n) for n in notepads))

        self.assertIsNone(self.try_unlock("MoonGate"))
        self.wait_window(self.SHEET, "--has-tab")
        self.wait_until(lambda: not any(self.minimized(n) for n in notepads), what="both notepads restored")
        self.assertTrue(all(self.info(n)["visible"] for n in notepads))
        self.assertEqual(self.rect("cursor-clip"), (0, 0, 1024, 768))

    def test_new_password_replaces_the_default_and_survives_a_restart(self):
        self.start_hidden_kestor()
        self.assertEqual(self.machine_digest(), ("REG_SZ", DIGEST["MoonGate"]))

        self.tray_menu(TRAY_SET_PASSWORD)
        hwnd = self.prompt("输入旧密码")
        self.assertEqual(self.rect("cursor-clip"), self.rect("window-rect", hwnd))
        self.screenshot("lock-password-prompt")
        self.answer_prompt("输入旧密码", "MoonGate")
        self.answer_prompt("输入新密码", "abc")
        self.answer_prompt("再输入一次", "abd")
        self.assertEqual(self.answer_msgbox(IDOK), "密码输入有误，请重新输入")
        self.answer_prompt("输入新密码", "open2025")
        self.answer_prompt("再输入一次", "open2025")
        self.wait_until(lambda: self.machine_digest() == ("REG_SZ", DIGEST["open2025"]), what="new digest stored")
        self.assertEqual(self.reg_query("HKLM", MACHINE, "Options_h2"), ("REG_DWORD", "2"))
        self.assertEqual(self.reg_query("HKCU", PROFILE, "Options_h1"), ("REG_SZ", "open2025"))
        self.assertEqual(self.rect("cursor-clip"), (0, 0, 1024, 768))

        # The old password no longer unlocks, at once and after a restart of the program.
        self.tray_menu(TRAY_LOCK)
        self.assertEqual(self.try_unlock("MoonGate"), "密码不正确")
        self.assertIsNone(self.try_unlock("open2025"))
        self.wait_window(self.SHEET, "--has-tab")

        self.exit_through_tray_menu()
        self.start_hidden_kestor()
        self.assertEqual(self.machine_digest(), ("REG_SZ", DIGEST["open2025"]))
        self.tray_menu(TRAY_LOCK)
        # Typed on the keyboard into the fresh dialog: the lock's task-key hook lets ordinary keys through.
        self.assertIsNone(self.try_unlock("open2025", keys=True))
        self.wait_window(self.SHEET, "--has-tab")
        self.tray_menu(TRAY_LOCK)
        self.assertEqual(self.try_unlock("MoonGate"), "密码不正确")
        self.assertIsNone(self.try_unlock("open2025"))

    def test_tray_shutdown_ends_the_whole_session_without_saving(self):
        self.start_notepads(1)
        self.start_hidden_kestor()
        self.assertTrue(self.prefix_processes())
        self.tray_command(ID_TRAY_SHUTDOWN)
        self.wait_until(lambda: not self.prefix_processes(), timeout=30, what="every process of the prefix ended")
        self.assertEqual(sorted(os.listdir(self.appdir)), ["Kestor.exe"])
