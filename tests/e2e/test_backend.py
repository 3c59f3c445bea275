"""The backend contract: build/win64/kbackend_tests.exe, the real Win32 backend's own checks, exits 0 in a prefix."""
import shutil
import subprocess

from harness import *


class BackendTest(Story):
    def test_backend_checks_pass(self):
        shutil.copy(BUILD / "win64/kbackend_tests.exe", self.appdir)
        tone = ["sox", "-n", "-r", "22050", "-c", "1", self.appdir / "bt_tone.mp3", "synth", "1", "sine", "440"]
        subprocess.run(tone, check=True)
        self.assertEqual(self.start_program("kbackend_tests.exe").wait(120), 0, "the backend checks failed")
