"""The user time-control page on the real program under Wine: a limit added through the new-limit
dialog and saved to ControlSet.ini, the end-of-day notice that saves the lists and ends the session,
and the administrator dialog behind its password."""
import struct

from harness import IDCANCEL, IDOK, IDS, MACHINE, PROFILE, KestorTestCase

NEW_LIMIT = "新建用户限制..."
ADMIN = "设置管理员信息..."
PROMPT = "输入密码..."
NOTICE = "提示信息..."
CONTROL_PAGE = 2


def limit_file(rows):
    """ControlSet.ini as the program writes it: rows of (name, column 1, column 2, column 3, flags)."""
    def crlf(data):
        return data.replace(b"\n", b"\r\n")
    out = b"[ItemCount]\r\n" + crlf(struct.pack("<I", len(rows))) + b"D\r\n[ItemData]\r\n"
    for *texts, flags in rows:
        for text in texts:
            out += b"D\r\n" + text.encode("gbk") + b"\r\n"
        out += crlf(struct.pack("<I", flags))
    return out


class UserControlTest(KestorTestCase):
    def user_name(self):
        return self.drv("whoami").splitlines()[0].split("\t")[0].strip()

    def exit_through_tray_menu(self):
        self.tray("WM_RBUTTONDOWN")
        self.wait_window("", "--class", "#32768")
        self.drv("key", "UP", "RETURN")  # Up from no selection is the last item, "退出"
        self.wait_process_gone("Kestor.exe")

    def enabled(self, dialog, control_id):
        return self.control(dialog, control_id).enabled

    def test_limit_added_through_the_dialog_is_listed_and_saved_at_exit(self):
        user = self.user_name()
        self.start_kestor()
        sheet = self.show_page(CONTROL_PAGE)
        self.screenshot("control-page")
        self.click(sheet, IDS["IDC_USER_NEW"])
        dialog = self.wait_window(NEW_LIMIT, "--dialog")
        self.assertEqual(self.text_of(dialog, IDS["IDC_LIMIT_USER"]), user)
        self.assertFalse(self.enabled(dialog, IDS["IDC_LIMIT_REST"]))
        self.click(dialog, IDS["IDC_LIMIT_CONTINUOUS"])
        self.wait_until(lambda: self.enabled(dialog, IDS["IDC_LIMIT_REST"]), what="the rest field enabled")
        self.set_text(dialog, IDS["IDC_LIMIT_HOURS"], "2")
        # The rest field moves in fives: 11 becomes 15.
        self.set_text(dialog, IDS["IDC_LIMIT_REST"], "11")
        self.wait_until(lambda: self.text_of(dialog, IDS["IDC_LIMIT_REST"]) == "15", what="rest snapped to 15")
        # The arrow keys in the field step the up-down by one, and the field snaps on to the next five.
        rest = self.control(dialog, IDS["IDC_LIMIT_REST"]).hwnd
        for key, shown in (("38", "20"), ("38", "25"), ("40", "20")):  # VK_UP, VK_UP, VK_DOWN
            self.post(rest, "WM_KEYDOWN", key, 0)
            self.wait_until(lambda: self.text_of(dialog, IDS["IDC_LIMIT_REST"]) == shown, what=f"rest at {shown}")
        self.set_text(dialog, IDS["IDC_LIMIT_REST"], "14")
        self.wait_until(lambda: self.text_of(dialog, IDS["IDC_LIMIT_REST"]) == "10", what="rest snapped to 10")
        self.set_text(dialog, IDS["IDC_LIMIT_REST"], "16")
        self.wait_until(lambda: self.text_of(dialog, IDS["IDC_LIMIT_REST"]) == "20", what="rest snapped to 20")
        self.set_text(dialog, IDS["IDC_LIMIT_REST"], "15")
        self.click(dialog, IDS["IDC_LIMIT_WINDOW"])
        self.drv("dtp-set", dialog, IDS["IDC_LIMIT_START"], "2026-05-05", "08:30:00")
        self.screenshot("new-limit-dialog")
        self.click(dialog, IDOK)
        self.wait_gone(NEW_LIMIT, "--dialog")
        rows = self.wait_until(lambda: self.lv_rows(sheet, IDS["IDC_USER_LIST"]) or None, what="a limit row")
        self.assertEqual(rows, [[user, "2小时", "15分钟", "每日8时30分 - 22时0分"]])
        self.screenshot("control-page-with-limit")
        self.exit_through_tray_menu()
        self.assertEqual(self.wait_file("ControlSet.ini"),
                         limit_file([(user, "2小时", "15分钟", "每日8时30分 - 22时0分", 3)]))

    def test_start_outside_the_daily_window_warns_saves_the_lists_and_ends_the_session(self):
        # The harness gives this test its own prefix: the shutdown ends only that Wine session.
        user = self.user_name()
        (self.appdir / "ControlSet.ini").write_bytes(
            limit_file([(user, "", "", "每日9时0分 - 10时0分", 3), ("other", "1小时", "5分钟", "", 1)]))
        self.start_kestor(at="2026-05-05 22:30:00")
        # The first start in a fresh prefix also starts Wine's own services: slow on a busy machine.
        notice = self.wait_window(NOTICE, "--dialog", timeout=60)
        self.assertEqual(self.text_of(notice, IDS["IDC_NOTICE_MESSAGE"]),
                         f"用户:{user}.\n    您本日使用时间即将结束,请注意保存好您个人的文档资料.")
        self.assertRegex(self.text_of(notice, IDS["IDC_NOTICE_COUNTDOWN"]), r"^系统将在1[0-2]\d秒后自动关闭")
        self.assertEqual(self.drv("window-info", notice).split("\t")[2], "1", "the notice is topmost")
        self.screenshot("end-of-day-notice")
        (self.appdir / "ControlSet.ini").unlink()
        # After the 120 s countdown the lists are written, then the session ends.
        saved = self.wait_file("ControlSet.ini", timeout=150)
        rows = sorted([(user, "", "", "每日9时0分 - 10时0分", 3), ("other", "1小时", "5分钟", "", 1)],
                      key=lambda row: row[0].lower())
        self.assertEqual(saved, limit_file(rows))
        self.wait_process_gone("Kestor.exe", timeout=60)

    def test_administrator_first_with_the_default_password_then_only_with_the_new_one(self):
        self.start_kestor()
        sheet = self.show_page(CONTROL_PAGE)

        def ask(password):
            self.click(sheet, IDS["IDC_ADMIN_SETTINGS"])
            prompt = self.wait_window(PROMPT, "--dialog")
            self.set_text(prompt, IDS["IDC_PASSWORD"], password)
            self.click(prompt, IDOK)

        ask("MoonGate")
        admin = self.wait_window(ADMIN, "--dialog")
        self.assertEqual(self.text_of(admin, IDS["IDC_ADMIN_NAME"]), "")
        self.screenshot("admin-dialog")
        self.click(admin, IDOK)
        self.assertEqual(self.answer_msgbox(IDOK), "管理员名称不能为空")
        self.set_text(admin, IDS["IDC_ADMIN_NAME"], "boss")
        self.set_text(admin, IDS["IDC_ADMIN_PASSWORD"], "Sesame")
        self.click(admin, IDS["IDC_ADMIN_HIDE"])
        self.click(admin, IDOK)
        self.wait_gone(ADMIN, "--dialog")
        self.wait_until(lambda: self.reg_query("HKCU", PROFILE, "Options_f2") == ("REG_DWORD", "2"),
                        what="the administrator set")
        self.assertEqual(self.reg_query("HKCU", PROFILE, "Options_f1"), ("REG_SZ", "Sesame"))
        self.assertEqual(self.reg_query("HKLM", MACHINE, "Options_g1"), ("REG_SZ", "boss"))
        self.assertEqual(self.reg_query("HKLM", MACHINE, "Options_g2"), ("REG_DWORD", "0"))
        self.assertEqual(self.reg_query("HKLM", MACHINE, "Options_g3"), ("REG_DWORD", "1"))

        sheet = self.show_page(CONTROL_PAGE)
        ask("MoonGate")
        self.assertEqual(self.answer_msgbox(IDOK), "密码错误")
        ask("Sesame")
        admin = self.wait_window(ADMIN, "--dialog")
        self.assertEqual(self.text_of(admin, IDS["IDC_ADMIN_NAME"]), "boss")
        self.assertEqual(self.text_of(admin, IDS["IDC_ADMIN_PASSWORD"]), "Sesame")
        self.assertEqual(self.control(admin, IDS["IDC_ADMIN_HIDE"]).checked, 1)
        self.click(admin, IDCANCEL)
        self.wait_gone(ADMIN, "--dialog")
        self.exit_through_tray_menu()
