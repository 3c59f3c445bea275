"""The real Win32 backend's own checks (build/win64/kbackend_tests.exe) pass in a prefix."""
import shutil

from harness import *


class BackendTest(Story):
    def test_backend_checks_pass(self):
        shutil.copy(BUILD / "win64/kbackend_tests.exe", self.app)
        self.assertEqual(self.start("kbackend_tests.exe").wait(120), 0, "the backend checks failed")
