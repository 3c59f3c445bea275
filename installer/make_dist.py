#!/usr/bin/env python3
"""Packs the release into build/dist/ (run by `make dist`, after both Windows builds):

  Kestor-<version>-x86_64.zip, Kestor-<version>-x86.zip    Kestor.exe and ReadMe.txt
  Kestor-<version>-x86_64-setup.exe, Kestor-<version>-x86-setup.exe    NSIS installers

The version comes from the version resource of res/Kestor.rc, and each Kestor.exe must carry it. The
read-me is written as UTF-8 with a byte-order mark and CR LF line ends: Notepad shows it right on
Windows of any language from XP on (a GBK file reads only on a Chinese system). Its file name stays
ASCII, since the zip tools of Windows before 10 read entry names in the OEM code page.
"""
import re
import shutil
import subprocess
import sys
import time
import zipfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
BUILD = REPO / "build"
DIST = BUILD / "dist"
ARCHES = (("x86_64", BUILD / "win64" / "Kestor.exe"), ("x86", BUILD / "win32" / "Kestor.exe"))


def utf16(text):
    return text.encode("utf-16-le")


def version_of_rc():
    match = re.search(r'VALUE\s+"FileVersion",\s*"([0-9.]+)"',
                      (REPO / "res" / "Kestor.rc").read_text(encoding="utf-8"))
    if not match:
        sys.exit("make_dist: no FileVersion in res/Kestor.rc")
    return match.group(1)


def check_version(exe, version):
    """The compiled version resource holds the FileVersion string: the key, its NUL, padding to a
    4-byte boundary, then the value."""
    pattern = re.escape(utf16("FileVersion\0")) + b"(?:\0\0)?" + re.escape(utf16(version + "\0"))
    if not re.search(pattern, exe.read_bytes()):
        sys.exit(f"make_dist: {exe} does not carry version {version}")


def readme(version, arch):
    text = (Path(__file__).parent / "ReadMe.txt").read_text(encoding="utf-8")
    text = text.replace("@VERSION@", version).replace("@ARCH@", arch)
    return "\ufeff".encode("utf-8") + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def make_zip(path, exe, readme_bytes):
    stamp = time.localtime(exe.stat().st_mtime)[:6]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name, data in (("Kestor.exe", exe.read_bytes()), ("ReadMe.txt", readme_bytes)):
            entry = zipfile.ZipInfo(name, stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            archive.writestr(entry, data)


def make_installer(path, exe, version, arch, work):
    """Builds the NSIS installer of one architecture at `path`; `work` holds its read-me meanwhile."""
    makensis = shutil.which("makensis")
    if not makensis:
        sys.exit("make_dist: makensis is missing (scripts/setup.sh installs the nsis package)")
    readme_path = Path(work) / f"ReadMe-{arch}.txt"
    readme_path.write_bytes(readme(version, arch))
    subprocess.run([makensis, "-V2", "-INPUTCHARSET", "UTF8", f"-DVERSION={version}", f"-DARCH={arch}",
                    f"-DEXE={exe}", f"-DREADME={readme_path}", f"-DOUTFILE={path}",
                    str(Path(__file__).parent / "Kestor.nsi")], check=True)
    readme_path.unlink()
    return path


def main():
    version = version_of_rc()
    shutil.rmtree(DIST, ignore_errors=True)
    DIST.mkdir(parents=True)
    made = []
    for arch, exe in ARCHES:
        if not exe.exists():
            sys.exit(f"make_dist: {exe} is missing (make exe builds it)")
        check_version(exe, version)
        zip_path = DIST / f"Kestor-{version}-{arch}.zip"
        make_zip(zip_path, exe, readme(version, arch))
        made += [zip_path, make_installer(DIST / f"Kestor-{version}-{arch}-setup.exe", exe, version, arch, DIST)]
    for path in made:
        print(f"{path.relative_to(REPO)}  {path.stat().st_size / 1024:.0f} KiB")


if __name__ == "__main__":
    main()
