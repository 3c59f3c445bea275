"""The x86_64 installer: a silent install, Kestor started the way its Start-menu shortcut starts it, a second install
refused while it runs, the silent uninstall that removes the program, the shortcuts and the Run value but keeps
the list files, and one with /PURGE that removes them and the settings too."""
import struct
import sys

from harness import *

sys.path.insert(0, str(REPO / "installer"))
import make_dist  # noqa: E402

UNINSTALL = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Kestor"


def shortcut(path):
    """{"target", "working dir", ...} of a .lnk file, read by its documented layout: a 76-byte header with the flags
    at 20, the item id list, the link info with the local base path, then the counted strings the flags announce."""
    data = path.read_bytes()
    flags, offset, found = struct.unpack_from("<I", data, 20)[0], 76, {}
    if flags & 1:
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    if flags & 2:
        size, header, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, offset)
        if header >= 0x24:  # Unicode copies of the two paths
            base, suffix = struct.unpack_from("<2I", data, offset + 28)
        text = lambda at: data[offset + at:].decode("utf-16-le" if header >= 0x24 else "gbk", "replace").split("\0")[0]  # noqa
        found["target"] = text(base) + text(suffix) if info_flags & 1 else None
        offset += size
    for bit, name in ((4, "name"), (8, "relative path"), (0x10, "working dir"), (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            width = 2 if flags & 0x80 else 1
            end = offset + 2 + struct.unpack_from("<H", data, offset)[0] * width
            # Wine counts a terminating NUL into the string; Windows does not.
            found[name] = data[offset + 2:end].decode("utf-16-le" if width == 2 else "gbk").rstrip("\0")
            offset = end
    return found


class InstallTest(Story):
    def install(self):
        """The silent install's exit code."""
        return self.start_program(self.dir / "Kestor-setup.exe", "/S", cwd=self.dir).wait(120)

    def uninstall(self, *options):
        """The silent uninstaller copies itself to the temporary folder and runs from there, so its first process
        ends at once: it is done when its own file and its entry are gone."""
        self.start_program(r"C:\Kestor\Uninstall.exe", "/S", *options, cwd=self.dir)
        self.wait_until(lambda: not (self.appdir / "Uninstall.exe").exists() and not self.reg("HKLM", UNINSTALL, "UninstallString"),
                        60, "the uninstaller done")

    def test_install_run_and_uninstall(self):
        (self.appdir / "Kestor.exe").unlink()  # the installer makes C:\Kestor itself
        self.appdir.rmdir()
        make_dist.make_installer(self.dir / "Kestor-setup.exe", KESTOR_EXE, make_dist.version_of_rc(), "x86_64", self.dir)
        menu = self.prefix / "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestor"
        self.assertEqual(self.install(), 0)
        self.assertEqual((self.appdir / "Kestor.exe").read_bytes(), KESTOR_EXE.read_bytes())
        self.assertTrue((self.appdir / "ReadMe.txt").read_bytes().startswith(b"\xef\xbb\xbf"))
        self.assertEqual(self.reg("HKLM", UNINSTALL, "UninstallString"), ("REG_SZ", r'"C:\Kestor\Uninstall.exe"'))
        link = shortcut(menu / "Kestor.lnk")
        self.assertEqual((link["target"].lower(), link["working dir"].lower()), (r"c:\kestor\kestor.exe", r"c:\kestor"))
        self.assertEqual(shortcut(menu / "卸载 Kestor.lnk")["target"].lower(), r"c:\kestor\uninstall.exe")

        self.start_program(link["target"], cwd=self.prefix / "drive_c" / link["working dir"][3:])
        self.wait_window(SHEET, "--has-tab", timeout=60)
        self.screenshot("install-sheet")
        self.assertEqual(self.wait_until(lambda: self.reg("HKLM", RUN_KEY, "Kestor"))[1].lower(), r"c:\kestor\kestor.exe")
        self.assertNotEqual(self.install(), 0, "an install while Kestor runs, which could not replace it, refuses")
        self.exit_through_tray()
        lists = {path.name: path.read_bytes() for path in self.appdir.glob("*.*") if path.suffix in (".ini", ".m3u")}
        self.assertIn("TimeSet.ini", lists)
        self.uninstall()
        self.assertEqual(sorted(path.name for path in self.appdir.iterdir()), sorted(lists), "the lists kept, nothing else")
        self.assertEqual(({path.name: path.read_bytes() for path in self.appdir.iterdir()}, menu.exists()), (lists, False))
        self.assertIsNone(self.reg("HKLM", RUN_KEY, "Kestor"))

        self.assertEqual(self.install(), 0)
        self.reg("HKCU", PROFILE, "Options", "REG_DWORD", 0)
        self.reg("HKLM", RUN_KEY, "Kestor", "REG_SZ", r"C:\Kestor\Kestor.exe")
        self.uninstall("/PURGE")
        self.wait_until(lambda: not self.appdir.exists(), what="the install folder removed")
        self.assertEqual((self.reg("HKLM", RUN_KEY, "Kestor"), self.reg("HKCU", PROFILE, "Options"), menu.exists()),
                         (None, None, False))
