"""The process manager page on the real program under Wine: Wine's own processes listed, a program
started through "新建任务" and ended through "关闭进程", and a timed termination of notepad chosen with "浏览"."""
import shutil
import time

from harness import IDOK, IDS, IDYES, KestorTestCase

PROCESS_TAB = 4
ADD_DIALOG = "添加进程到列表..."
NOTEPAD = r"C:\windows\system32\notepad.exe"
IDC_PROCESS_LIST = IDS["IDC_PROCESS_LIST"]
IDC_TERMINATION_LIST = IDS["IDC_TERMINATION_LIST"]


class ProcessTest(KestorTestCase):
    def open_page(self):
        self.start_kestor()
        return self.show_page(PROCESS_TAB)

    def press_ok(self, dialog):
        """The OK button's command. A click by id could reach another control: the up-down arrows of a
        time picker, and the list inside the file dialog, have the id 1 too."""
        self.drv("menu-command", dialog, IDOK)

    def rows(self, sheet, list_id=IDC_PROCESS_LIST):
        return self.lv_rows(sheet, list_id)

    def row_of(self, sheet, name):
        """Index of the first process-list row of that name, or None."""
        for index, row in enumerate(self.rows(sheet)):
            if row[0].lower() == name.lower():
                return index
        return None

    def test_lists_wines_processes_starts_and_ends_a_program(self):
        sheet = self.open_page()
        rows = self.wait_until(lambda: [r for r in self.rows(sheet) if r[0] == "Kestor.exe"] and self.rows(sheet),
                               what="Kestor.exe listed")
        names = [r[0] for r in rows]
        self.assertIn("services.exe", names, "Wine's own processes are listed")
        for row in rows:
            self.assertEqual(len(row), 6, row)
            self.assertEqual(row[1], "", "the window-title column stays empty")
            self.assertRegex(row[2], r"^0x[0-9A-F]+$")
            self.assertRegex(row[3], r"^0x[0-9A-F]+$")
            self.assertRegex(row[4], r"^\d+$")
        headers = [line.split("\t")[0] for line in self.drv("lv-header", sheet, IDC_PROCESS_LIST).splitlines()]
        self.assertEqual(headers, ["进程名称", "窗口标题", "进程ID", "父进程ID", "线程数", "引用数"])
        self.screenshot("process-page")

        # 新建任务: the open-file dialog, the program started by its full path, and the list rebuilt.
        self.keep_shown(sheet)
        self.click(sheet, IDS["IDC_NEW_TASK"])
        self.wait_window("打开", "--dialog")
        self.screenshot("process-new-task")
        self.choose_in_open_dialog(NOTEPAD)
        self.wait_until(lambda: self.row_of(sheet, "notepad.exe") is not None, what="notepad.exe listed")

        # 关闭进程 with Yes ends it. Every driver run is a process of the prefix too, so the list is rebuilt
        # now and then; a rebuild drops the selection, and then the button does nothing and we try again.
        self.keep_shown(sheet)
        pids = self.drv("is-process", "notepad.exe").split()
        self.assertEqual(len(pids), 1, pids)

        def end_notepad():
            row = self.row_of(sheet, "notepad.exe")
            if row is None:
                return False
            self.drv("lv-select", sheet, IDC_PROCESS_LIST, row)
            selected = self.drv("lv-selected", sheet, IDC_PROCESS_LIST).split()
            current = self.rows(sheet)
            if selected != [str(row)] or current[row][0] != "notepad.exe":
                return False
            self.assertEqual(str(int(current[row][2], 16)), pids[0], "the row carries notepad's identifier")
            self.click(sheet, IDS["IDC_END_PROCESS"])
            code, text = self.drv_rc("answer-msgbox", IDYES, "", "--timeout", 10000)
            return code == 0 and text.strip()
        self.assertEqual(self.wait_until(end_notepad, timeout=60, what="the end question answered"),
                         "终止进程可能发生致命错误,是否终止该进程")
        self.wait_process_gone("notepad.exe")
        self.wait_until(lambda: self.row_of(sheet, "notepad.exe") is None, what="notepad.exe gone from the list")

    def test_a_timed_termination_ends_notepad_after_its_time(self):
        # A program whose name holds 誠 (its second byte is a backslash's) is listed whole.
        (self.wine.path / "drive_c" / "x").mkdir()
        shutil.copy2(self.wine.path / "drive_c" / "windows" / "system32" / "notepad.exe",
                     self.wine.path / "drive_c" / "x" / "誠品.exe")
        self.start_program(r"C:\x\誠品.exe")
        # Notepad first, so that the sheet opens over it and stays in view for the screenshots.
        self.start_program("notepad.exe")
        self.wait_until(lambda: any(w.cls == "Notepad" and w.visible for w in self.windows()), what="notepad shown")
        sheet = self.open_page()
        self.wait_until(lambda: self.row_of(sheet, "notepad.exe") is not None, what="notepad.exe listed")

        self.keep_shown(sheet)
        self.click(sheet, IDS["IDC_TERMINATION_ADD"])
        dialog = self.wait_window(ADD_DIALOG, "--dialog")
        self.wait_until(lambda: any(r[0].lower() == "notepad.exe" for r in self.lv_rows(dialog, IDS["IDC_RUNNING_LIST"])),
                        what="notepad.exe among the running processes")
        self.assertIn("誠品.exe", [r[0] for r in self.lv_rows(dialog, IDS["IDC_RUNNING_LIST"])])
        self.assertIsNotNone(self.row_of(sheet, "誠品.exe"))
        self.assertEqual(self.drv("dtp-get", dialog, IDS["IDC_TERMINATION_TIME"]).strip(), "2003-07-27 00:00:00")
        self.screenshot("process-add-dialog")

        # 浏览 opens in the system folder: a bare file name there gives its full path.
        self.click(dialog, IDS["IDC_BROWSE"])
        self.choose_in_open_dialog("notepad.exe")
        self.wait_until(lambda: self.text_of(dialog, IDS["IDC_PROCESS_PATH"]).lower() == NOTEPAD.lower(),
                        what="the chosen file's full path in the path box")

        # OK at 0:00:00 is refused and the dialog stays.
        self.press_ok(dialog)
        self.assertEqual(self.answer_msgbox(IDOK), "你还未指定进程终止时间")
        self.drv("dtp-set", dialog, IDS["IDC_TERMINATION_TIME"], "2003-07-27", "00:00:05")
        before_ok = time.monotonic()  # the entry is made after this
        self.press_ok(dialog)
        self.wait_gone(ADD_DIALOG, "--dialog")

        entries = self.rows(sheet, IDC_TERMINATION_LIST)
        self.assertEqual(len(entries), 1, entries)
        self.assertEqual(entries[0][0], "notepad.exe")
        self.assertEqual(entries[0][2], "运行中")
        self.assertRegex(entries[0][1], r"^0:0:[0-5]$")
        self.screenshot("process-page-timed")

        self.wait_process_gone("notepad.exe", timeout=30)
        self.assertGreater(time.monotonic() - before_ok, 4.5, "five ticks of counting come first")
        self.wait_until(lambda: not self.rows(sheet, IDC_TERMINATION_LIST), what="the entry removed")
