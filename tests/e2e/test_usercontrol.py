"""Limits: one made in its dialog and saved, the administrator dialog behind its password, the locked rest past the
limit, and the end-of-day notice on top, the lists saved before the shutdown."""
import re

from harness import *


class UserControlTest(Story):
    def notice(self, user, message, countdown, clipped):
        notice = self.win("提示信息...", timeout=120)
        texts = [self.text(notice, IDC_NOTICE_MESSAGE), self.text(notice, IDC_NOTICE_COUNTDOWN)]
        self.assertTrue(texts[0] == f"用户:{user}.\n    {message}" and re.match(f"系统将在{countdown}$", texts[1]), texts)
        self.holds(notice, clipped)

    def test_limits_rest_and_end_of_day(self):
        user = self.user()
        self.kestor()
        sheet = self.page(2)
        self.press(sheet, IDC_USER_NEW)
        dialog = self.win("新建用户限制...")
        rest = lambda: self.ctl(dialog, IDC_LIMIT_REST)  # noqa: E731
        self.assertEqual((self.text(dialog, IDC_LIMIT_USER), rest().enabled), (user, False))
        self.drv("click", dialog, IDC_LIMIT_CONTINUOUS)
        self.until(lambda: rest().enabled, "the rest field enabled")
        self.drv("set-text", dialog, IDC_LIMIT_HOURS, "1")
        # A typed value snaps to the next five; the arrow keys step the up-down by one, and it snaps on.
        self.drv("set-text", dialog, IDC_LIMIT_REST, "11")
        for key, shown in ((None, "15"), (VK_UP, "20"), (VK_DOWN, "15")):
            if key:
                self.drv("post", rest().hwnd, WM_KEYDOWN, key, 0)
            self.until(lambda: rest().text == shown, f"the rest at {shown}")
        self.drv("click", dialog, IDC_LIMIT_WINDOW)
        self.drv("date", dialog, IDC_LIMIT_START, 2026, 5, 5, 8, 30, 0)
        self.drv("click", dialog, IDOK)
        row = [user, "1小时", "15分钟", "每日8时30分 - 22时0分"]
        self.until(lambda: self.rows(sheet, IDC_USER_LIST) == [(False, row)], "the limit listed")
        self.press(sheet, IDC_ADMIN_SETTINGS)
        self.prompt("请输入密码:", "MoonGate")
        admin = self.win("设置管理员信息...")
        self.drv("set-text", admin, IDC_ADMIN_NAME, "boss")
        self.drv("click", admin, IDC_ADMIN_HIDE)
        self.answer(admin, IDC_ADMIN_PASSWORD, "Sesame")
        self.until(lambda: self.reg("HKCU", PROFILE, "Options_f2") == 2, "the setting made")
        self.assertEqual([self.reg(*key) for key in (("HKCU", PROFILE, "Options_f1"), *(
            ("HKLM", MACHINE, "Options_g" + n) for n in "123"))], ["Sesame", "boss", 0, 1])
        self.quit()
        self.assertEqual(self.get("ControlSet.ini"), list_file([(*row, 3)]))
        # No hours (the file takes it, the dialog not): the rest locks the desktop at the second tick.
        self.put("ControlSet.ini", list_file([(user, "0小时", "1分钟", "", 1)]))
        self.kestor()
        self.notice(user, "您已经连续使用0小时,请休息一会儿.", r"(60|59|58)秒后解除锁定\.?", clipped=True)
        # Out of the daily window: the lists saved, sorted, before the shutdown.
        rows = [(user, "", "", "每日9时0分 - 10时0分", 2), ("Adam", "1小时", "5分钟", "", 1)]
        self.put("ControlSet.ini", list_file(rows))
        self.kestor(at="2026-05-05 22:30:00", speed=10)
        self.notice(user, "您本日使用时间即将结束,请注意保存好您个人的文档资料.", r"1[0-2]\d秒后自动关闭\.?", clipped=False)
        self.put("ControlSet.ini")
        self.ended("Kestor.exe", timeout=60)
        self.assertEqual(self.get("ControlSet.ini"), list_file(rows[::-1]))
