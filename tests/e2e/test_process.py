"""Processes: a program named with 誠 (its second byte a backslash's) listed whole on the page and in the add-process
dialog, notepad started by 新建任务, chosen with 浏览 and ended after five seconds."""
import shutil

from harness import *

NOTEPAD = r"C:\windows\system32\notepad.exe"


class ProcessTest(Story):
    def test_processes_and_timed_termination(self):
        shutil.copy2(self.prefix / "drive_c/windows/system32/notepad.exe", self.prefix / "drive_c/誠品.exe")
        self.start(r"C:\誠品.exe")
        self.kestor()
        sheet = self.page(4)
        has = lambda names, target=sheet, list_id=IDC_PROCESS_LIST: set(names) <= set(self.col(target, list_id))
        self.until(lambda: has({"Kestor.exe", "誠品.exe", "services.exe"}))
        for _, row in self.rows(sheet, IDC_PROCESS_LIST):
            self.assertRegex("\t".join(row), r"^[^\t]+\t\t0x[0-9A-F]+\t0x[0-9A-F]+\t\d+\t", row)
        self.press(sheet, IDC_NEW_TASK)
        self.choose(NOTEPAD)
        self.until(lambda: has({"notepad.exe"}), "notepad")
        self.press(sheet, IDC_TERMINATION_ADD)
        dialog = self.win("添加进程到列表...")
        self.until(lambda: has({"notepad.exe", "誠品.exe"}, dialog, IDC_RUNNING_LIST))
        # 浏览 opens in the system folder.
        self.drv("click", dialog, IDC_BROWSE)
        self.choose("notepad.exe")
        self.until(lambda: self.text(dialog, IDC_PROCESS_PATH).lower() == NOTEPAD.lower())
        self.drv("date", dialog, IDC_TERMINATION_TIME, 2003, 7, 27, 0, 0, 5)
        # By command: the time picker's up-down has the id 1 too.
        self.drv("post", dialog, WM_COMMAND, IDOK, 0)
        self.gone(dialog)
        [(_, entry)] = self.rows(sheet, IDC_TERMINATION_LIST)
        self.assertRegex("\t".join(entry), r"^notepad\.exe\t0:0:[0-5]\t运行中$")
        self.ended("notepad.exe")
        self.until(lambda: not self.rows(sheet, IDC_TERMINATION_LIST), "the entry removed")
        self.assertTrue(self.procs("誠品.exe"), "only notepad.exe ended")
