"""Processes with timed termination: a program named with 誠 (its second byte is a backslash's) listed whole on the
page and in the add-process dialog, notepad started by 新建任务, chosen with 浏览 and ended after five seconds."""
import shutil

from harness import *

ADD, PAGE, NOTEPAD = "添加进程到列表...", 4, r"C:\windows\system32\notepad.exe"


class ProcessTest(Story):
    def test_processes_and_timed_termination(self):
        shutil.copy2(self.prefix / "drive_c/windows/system32/notepad.exe", self.prefix / "drive_c/誠品.exe")
        self.start_program(r"C:\誠品.exe")
        self.start_kestor()
        sheet = self.show_page(PAGE)
        names = lambda target, list_id: {cells[0] for _, cells in self.rows(target, list_id)}
        self.wait_until(lambda: {"Kestor.exe", "誠品.exe", "services.exe"} <= names(sheet, IDC_PROCESS_LIST))
        for _, row in self.rows(sheet, IDC_PROCESS_LIST):  # no window titles; ids in hex; a thread count
            self.assertRegex("\t".join(row), r"^[^\t]+\t\t0x[0-9A-F]+\t0x[0-9A-F]+\t\d+\t", row)
        self.screenshot("process-page")
        # 新建任务: the open-file dialog, the program started by its full path, and the list rebuilt.
        self.keep_shown(sheet)
        self.drv("click", sheet, IDC_NEW_TASK)
        self.choose_in_open_dialog(NOTEPAD)
        self.wait_until(lambda: "notepad.exe" in names(sheet, IDC_PROCESS_LIST), what="notepad")
        self.keep_shown(sheet)
        self.drv("click", sheet, IDC_TERMINATION_ADD)
        dialog = self.wait_window(ADD)
        self.wait_until(lambda: {"notepad.exe", "誠品.exe"} <= names(dialog, IDC_RUNNING_LIST))
        self.screenshot("process-add-dialog")
        # 浏览 opens in the system folder: a bare name there comes back as its full path.
        self.drv("click", dialog, IDC_BROWSE)
        self.choose_in_open_dialog("notepad.exe")
        self.wait_until(lambda: self.control(dialog, IDC_PROCESS_PATH).text.lower() == NOTEPAD.lower())
        self.drv("date", dialog, IDC_TERMINATION_TIME, 2003, 7, 27, 0, 0, 5)
        # OK by its command: a click by id could reach the time picker's up-down, which has the id 1 too.
        self.drv("post", dialog, WM_COMMAND, IDOK, 0)
        self.wait_window(dialog, gone=True, visible=False)
        [(_, entry)] = self.rows(sheet, IDC_TERMINATION_LIST)
        self.assertRegex("\t".join(entry), r"^notepad\.exe\t0:0:[0-5]\t运行中$")
        self.wait_ended("notepad.exe")
        self.wait_until(lambda: not self.rows(sheet, IDC_TERMINATION_LIST), what="the entry removed")
        self.assertTrue(self.host_processes("誠品.exe"), "only notepad.exe ended")
