"""The x86_64 installer under Wine: a silent install into a fresh prefix, Kestor started the way its
Start-menu shortcut starts it, exit through the tray, and the silent uninstall that removes the program,
the shortcuts and the Run value but keeps the list files unless /PURGE asks for them."""
import struct
import sys
from pathlib import Path

from harness import REPO, KESTOR_EXE, KestorTestCase

sys.path.insert(0, str(REPO / "installer"))
import make_dist  # noqa: E402

RUN = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Kestor"
LIST_FILES = ("TimeSet.ini", "ControlSet.ini", "Playlist.m3u")
LNK_HAS_ID_LIST, LNK_HAS_LINK_INFO, LNK_IS_UNICODE = 0x1, 0x2, 0x80
LNK_STRINGS = ((0x4, "name"), (0x8, "relative path"), (0x10, "working dir"), (0x20, "arguments"),
               (0x40, "icon location"))


def read_shortcut(path):
    """{"target", "working dir", ...} of a .lnk file, read by its documented binary layout: a 76-byte
    header with the flags at 20, the item id list, the link info with the local base path, then the
    counted strings the flags announce."""
    data = path.read_bytes()
    flags = struct.unpack_from("<I", data, 20)[0]
    offset = 76
    if flags & LNK_HAS_ID_LIST:
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    found = {}
    if flags & LNK_HAS_LINK_INFO:
        size, header_size, info_flags, _, base_offset, _, suffix_offset = struct.unpack_from("<7I", data, offset)
        if header_size >= 0x24:  # Unicode copies of the two paths
            base_offset, suffix_offset = struct.unpack_from("<2I", data, offset + 28)
            text = lambda at: data[offset + at:].decode("utf-16-le", "replace").split("\0", 1)[0]
        else:
            text = lambda at: data[offset + at:].split(b"\0", 1)[0].decode("gbk", "replace")
        if info_flags & 0x1:
            found["target"] = text(base_offset) + text(suffix_offset)
        offset += size
    for bit, name in LNK_STRINGS:
        if flags & bit:
            count = struct.unpack_from("<H", data, offset)[0]
            width = 2 if flags & LNK_IS_UNICODE else 1
            raw = data[offset + 2:offset + 2 + count * width]
            # Wine counts a terminating NUL into the string; Windows does not.
            found[name] = raw.decode("utf-16-le" if width == 2 else "gbk").rstrip("\0")
            offset += 2 + count * width
    return found


class InstallTest(KestorTestCase):
    def setUp(self):
        super().setUp()
        # The installer makes C:\Kestor itself: the harness's copy of the program has no place here.
        (self.appdir / "Kestor.exe").unlink()
        self.appdir.rmdir()
        version = make_dist.version_of_rc()
        self.setup_exe = make_dist.make_installer(self.wine.dir / f"Kestor-{version}-x86_64-setup.exe",
                                                  KESTOR_EXE, version, "x86_64", self.wine.dir)

    def host_path(self, windows_path):
        drive, _, rest = windows_path.partition(":\\")
        self.assertEqual(drive.upper(), "C", windows_path)
        return self.wine.path / "drive_c" / Path(*rest.split("\\"))

    def menu_folder(self):
        return self.wine.path / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / \
            "Programs" / "Kestor"

    def install(self):
        process = self.start_program(str(self.setup_exe), "/S", cwd=self.wine.dir)
        self.assertEqual(process.wait(120), 0, "the silent installer failed")
        self.assertEqual((self.appdir / "Kestor.exe").read_bytes(), KESTOR_EXE.read_bytes())
        self.assertTrue((self.appdir / "ReadMe.txt").read_bytes().startswith(b"\xef\xbb\xbf"))
        self.assertEqual(self.reg_query("HKLM", UNINSTALL, "UninstallString"),
                         ("REG_SZ", r'"C:\Kestor\Uninstall.exe"'))

    def uninstall(self, *options):
        """Runs the uninstaller silently. It copies itself to the temporary folder and runs from there,
        so the first process ends at once; done is when its own file is gone."""
        self.start_program(r"C:\Kestor\Uninstall.exe", "/S", *options, cwd=self.wine.dir)
        self.wait_until(lambda: not (self.appdir / "Uninstall.exe").exists() and
                        self.reg_query("HKLM", UNINSTALL, "UninstallString") is None,
                        timeout=60, what="the uninstaller done")

    def test_installed_shortcut_starts_kestor_beside_its_lists_and_uninstall_keeps_them(self):
        self.install()
        shortcut = read_shortcut(self.menu_folder() / "Kestor.lnk")
        self.assertEqual(shortcut["target"].lower(), r"c:\kestor\kestor.exe")
        self.assertEqual(shortcut["working dir"].lower(), r"c:\kestor")
        self.assertEqual(read_shortcut(self.menu_folder() / "卸载 Kestor.lnk")["target"].lower(),
                         r"c:\kestor\uninstall.exe")

        self.start_program(shortcut["target"], cwd=self.host_path(shortcut["working dir"]))
        self.wait_window(self.SHEET, "--has-tab")
        self.screenshot("install-sheet")
        self.wait_until(lambda: self.reg_query("HKLM", RUN, "Kestor"), what="the Run value written")
        self.assertEqual(self.reg_query("HKLM", RUN, "Kestor")[1].lower(), r"c:\kestor\kestor.exe")
        self.wait_gone(self.SHEET, "--has-tab", timeout=10)
        # A second install while Kestor runs would fail to replace the program file: it refuses.
        again = self.start_program(str(self.setup_exe), "/S", cwd=self.wine.dir)
        self.assertNotEqual(again.wait(120), 0, "the installer went on while Kestor ran")
        self.tray("WM_RBUTTONDOWN")
        self.wait_window("", "--class", "#32768")
        self.drv("key", "UP", "RETURN")  # "退出", the last item
        self.wait_process_gone("Kestor.exe")
        self.wait_file("TimeSet.ini", allow_empty=True)
        lists = {name: (self.appdir / name).read_bytes() for name in LIST_FILES if (self.appdir / name).exists()}
        self.assertIn("TimeSet.ini", lists)

        self.uninstall()
        self.assertFalse((self.appdir / "Kestor.exe").exists())
        self.assertFalse((self.appdir / "ReadMe.txt").exists())
        self.assertFalse(self.menu_folder().exists(), "the Start-menu folder is left")
        self.assertIsNone(self.reg_query("HKLM", RUN, "Kestor"))
        self.assertEqual({name: (self.appdir / name).read_bytes() for name in lists}, lists)

    def test_uninstall_with_purge_removes_the_lists_settings_and_folder(self):
        self.install()
        for name in LIST_FILES:
            (self.appdir / name).write_bytes(b"")
        self.drv("reg-set", "HKCU", r"Software\Kestor\Kestor\Setting\Default", "Options", "REG_DWORD", "0")
        self.drv("reg-set", "HKLM", RUN, "Kestor", "REG_SZ", r"C:\Kestor\Kestor.exe")

        self.uninstall("/PURGE")
        self.wait_until(lambda: not self.appdir.exists(), what="the install folder removed")
        self.assertIsNone(self.reg_query("HKLM", RUN, "Kestor"))
        self.assertIsNone(self.reg_query("HKCU", r"Software\Kestor\Kestor\Setting\Default", "Options"))
        self.assertFalse(self.menu_folder().exists())
