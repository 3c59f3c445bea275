"""Limits with the rest and the end of day: a limit made in its dialog and saved, the administrator dialog behind its
password, the locked rest past the limit, and the end-of-day notice, on top, saving the lists before the shutdown."""
import re

from harness import *

NOTICE, SCREEN = "提示信息...", (0, 0, 1024, 768)


class UserControlTest(Story):
    def notice(self, user, message, countdown, clipped):
        """The notice once shown, on top, holding the pointer in it when clipped."""
        notice = self.wait_window(NOTICE, timeout=120)
        texts = [self.control(notice, IDC_NOTICE_MESSAGE).text, self.control(notice, IDC_NOTICE_COUNTDOWN).text]
        self.assertTrue(texts[0] == f"用户:{user}.\n    {message}" and re.match(f"系统将在{countdown}$", texts[1]), texts)
        shown = self.window(notice)
        self.assertEqual((shown["topmost"], shown["clip"]), (True, shown["rect"] if clipped else SCREEN))

    def test_limits_rest_and_end_of_day(self):
        user = self.reg("HKCU", "Volatile Environment", "USERNAME")[1]
        self.start_kestor()
        sheet = self.show_page(2)
        self.drv("click", sheet, IDC_USER_NEW)
        dialog = self.wait_window("新建用户限制...")
        rest = lambda: self.control(dialog, IDC_LIMIT_REST)  # noqa: E731
        self.assertEqual((self.control(dialog, IDC_LIMIT_USER).text, rest().enabled), (user, False))
        self.drv("click", dialog, IDC_LIMIT_CONTINUOUS)
        self.wait_until(lambda: rest().enabled, what="the rest field enabled")
        self.drv("set-text", dialog, IDC_LIMIT_HOURS, "1")
        # A typed value snaps to the next five; the arrow keys step the real up-down by one, and the field snaps on.
        self.drv("set-text", dialog, IDC_LIMIT_REST, "11")
        for key, shown in ((None, "15"), (VK_UP, "20"), (VK_DOWN, "15")):
            if key:
                self.drv("post", rest().hwnd, WM_KEYDOWN, key, 0)
            self.wait_until(lambda: rest().text == shown, what=f"the rest at {shown}")
        self.drv("click", dialog, IDC_LIMIT_WINDOW)
        self.drv("date", dialog, IDC_LIMIT_START, 2026, 5, 5, 8, 30, 0)
        self.screenshot("new-limit-dialog")
        self.drv("click", dialog, IDOK)
        row = [user, "1小时", "15分钟", "每日8时30分 - 22时0分"]
        self.wait_until(lambda: self.rows(sheet, IDC_USER_LIST) == [(False, row)], what="the limit listed")
        # The administrator's first setting, behind the password the program comes with.
        self.keep_shown(sheet)
        self.drv("click", sheet, IDC_ADMIN_SETTINGS)
        prompt = self.wait_window("输入密码...")
        self.drv("set-text", prompt, IDC_PASSWORD, "MoonGate")
        self.drv("click", prompt, IDOK)
        admin = self.wait_window("设置管理员信息...")
        self.drv("set-text", admin, IDC_ADMIN_NAME, "boss")
        self.drv("set-text", admin, IDC_ADMIN_PASSWORD, "Sesame")
        self.drv("click", admin, IDC_ADMIN_HIDE)
        self.drv("click", admin, IDOK)
        self.wait_until(lambda: self.reg("HKCU", PROFILE, "Options_f2") == ("REG_DWORD", 2), what="the setting made")
        self.assertEqual([self.reg(root, path, "Options_" + value)[1] for root, path, value in (
            ("HKCU", PROFILE, "f1"), ("HKLM", MACHINE, "g1"), ("HKLM", MACHINE, "g2"), ("HKLM", MACHINE, "g3"))],
                         ["Sesame", "boss", 0, 1])
        self.exit_through_tray()
        self.assertEqual((self.appdir / "ControlSet.ini").read_bytes(), list_file([(*row, 3)]))
        # The meter runs from the start, and past the limit the rest locks the desktop. The limit here is of no
        # hours, which the file takes and the dialog does not, so the rest comes at the second tick.
        (self.appdir / "ControlSet.ini").write_bytes(list_file([(user, "0小时", "1分钟", "", 1)]))
        self.start_kestor()
        self.notice(user, "您已经连续使用0小时,请休息一会儿.", r"(60|59|58)秒后解除锁定\.?", clipped=True)
        self.screenshot("rest-notice")
        # Started outside the daily window, on a faster clock: the lists are saved, sorted, before the session ends.
        rows = [(user, "", "", "每日9时0分 - 10时0分", 2), ("Adam", "1小时", "5分钟", "", 1)]
        (self.appdir / "ControlSet.ini").write_bytes(list_file(rows))
        self.start_kestor(at="2026-05-05 22:30:00", speed=10)
        self.notice(user, "您本日使用时间即将结束,请注意保存好您个人的文档资料.", r"1[0-2]\d秒后自动关闭\.?", clipped=False)
        (self.appdir / "ControlSet.ini").unlink()
        self.wait_ended("Kestor.exe", timeout=60)
        self.assertEqual((self.appdir / "ControlSet.ini").read_bytes(), list_file(rows[::-1]))
