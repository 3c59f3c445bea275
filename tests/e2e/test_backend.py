"""The real Win32 backend's own checks (tests/win32/BackendTest.cpp): text conversion, registry, files,
system services, and a real dialog and property sheet driven by their own timers, in a fresh prefix on
the test display."""
import shutil
import subprocess

from harness import BUILD, WineTestCase

BACKEND_TESTS = BUILD / "win64" / "kbackend_tests.exe"


class BackendTest(WineTestCase):
    def test_backend_checks_pass(self):
        shutil.copy(BACKEND_TESTS, self.appdir)
        subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", str(self.appdir / "bt_tone.mp3"), "synth", "1",
                        "sine", "440"], check=True)
        process = self.start_program("kbackend_tests.exe")
        code = process.wait(120)
        self.assertEqual(code, 0, "backend checks failed:\n" + self.wine.log_tail(60))
        self.assertIn(" checks, 0 failed", self.wine.log_tail(5))
