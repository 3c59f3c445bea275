"""The x86_64 installer: a silent install and its shortcuts, a second refused while Kestor runs, the uninstall
keeping the list files and one with /PURGE removing them."""
import sys

from harness import *

sys.path.insert(0, str(REPO / "installer"))
import make_dist  # noqa: E402

SETUP, UNINSTALL = "Kestor-setup.exe", (RUN_KEY[:-3] + r"Uninstall\Kestor", "UninstallString")


class InstallTest(Story):
    def install(self):  # the exit code
        return self.start(self.dir / SETUP, "/S", cwd=self.dir).wait(120)

    def uninstall(self, *options):  # it runs on from a copy: done once its file and entry are gone
        self.start(r"C:\Kestor\Uninstall.exe", "/S", *options, cwd=self.dir)
        self.until(lambda: not self.get("Uninstall.exe") and not self.reg("HKLM", *UNINSTALL), "uninstalled", 60)

    def test_install_run_and_uninstall(self):
        self.put("Kestor.exe")  # the installer makes C:\Kestor itself
        self.app.rmdir()
        make_dist.make_installer(self.dir / SETUP, KESTOR_EXE, make_dist.version_of_rc(), "x86_64", self.dir)
        menu = self.prefix / "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestor"
        self.assertEqual(self.install(), 0)
        self.assertEqual(self.get("Kestor.exe"), KESTOR_EXE.read_bytes())
        self.assertEqual(self.reg("HKLM", *UNINSTALL), r'"C:\Kestor\Uninstall.exe"')
        # The targets, and the start-in folder among the counted strings (Wine counts the NUL in).
        for name, target in (("Kestor.lnk", b"kestor.exe"), ("卸载 Kestor.lnk", b"uninstall.exe")):
            self.assertIn(b"c:\\kestor\\" + target + b"\0", (menu / name).read_bytes().lower())
        link, start_in = (menu / "Kestor.lnk").read_bytes(), "C:\\Kestor".encode("utf-16-le")
        self.assertTrue(b"\x09\0" + start_in in link or b"\x0a\0" + start_in + b"\0\0" in link, "start-in folder")

        self.start(r"C:\Kestor\Kestor.exe")  # in C:\Kestor, as the shortcut starts it
        self.sheet(True, timeout=60)
        self.assertEqual(self.until(lambda: self.reg("HKLM", RUN_KEY, "Kestor")), r"C:\Kestor\Kestor.exe")
        self.assertNotEqual(self.install(), 0, "an install while Kestor runs, unable to replace it, refuses")
        self.quit()
        lists = {name: data for name, data in self.files().items() if name[-4:] in (".ini", ".m3u")}
        self.assertEqual(len(lists), 3)
        self.uninstall()
        self.assertEqual({path.name: path.read_bytes() for path in self.app.iterdir()}, lists)
        self.assertEqual((menu.exists(), self.reg("HKLM", RUN_KEY, "Kestor")), (False, None))

        self.assertEqual(self.install(), 0)
        self.reg("HKLM", RUN_KEY, "Kestor", "REG_SZ", r"C:\Kestor\Kestor.exe")
        self.uninstall("/PURGE")
        self.until(lambda: not self.app.exists(), "the install folder removed")
        self.assertEqual((self.reg("HKLM", RUN_KEY, "Kestor"), self.reg("HKCU", PROFILE, "Options")), (None, None))
