"""Music: tracks chosen together in one open dialog, played in list order and looping, Playlist.m3u written at exit,
auto-play at the next start, and an exit while a track plays."""
import time

from harness import *

SECONDS, TRACKS = 4, [r"C:\Kestor\b.mp3", r"C:\music\A.MP3"]  # a track's length; the list's case-free order


class PlayerTest(Story):
    def playing(self, sheet, row, timeout):  # when that row, the one playing, is selected
        def selected():
            code, lines = self.drv("rows", sheet, IDC_PLAYLIST, check=False)
            return code == 0 and lines[row].startswith("1")
        return self.until(selected, f"row {row} playing", timeout, every=0) and time.monotonic()

    def test_music(self):
        for path, pitch in zip(TRACKS, (660, 440)):
            host = self.prefix / "drive_c" / path[3:].replace("\\", "/")
            host.parent.mkdir(exist_ok=True)
            tone(host, SECONDS, pitch)
        self.kestor()
        sheet = self.page(3)
        self.press(sheet, IDC_ADD_FILES)
        self.win("打开")
        # Opened in the program's folder; names chosen together come back as the folder and each name.
        self.choose(rf'"b.mp3" "{TRACKS[1]}"')
        self.until(lambda: self.col(sheet, IDC_PLAYLIST) == TRACKS, "both tracks listed")
        # A track the device failed to open ends at once: each must hold its row while it plays.
        self.press(sheet, IDC_PLAY)
        started = [self.playing(sheet, row, SECONDS + 20) for row in (0, 1, 0)]
        for earlier, later in zip(started, started[1:]):
            self.assertGreater(later - earlier, SECONDS - 2.5, "a track held its row while it played")
        self.press(sheet, IDC_STOP)
        self.press(sheet, IDC_AUTOPLAY)
        self.until(lambda: self.reg("HKLM", MACHINE, "Options_i1") == 1, "auto-play stored")
        self.quit()
        self.assertEqual(self.get("Playlist.m3u"), m3u(TRACKS))
        # Auto-play; an exit while a track plays ends with the quit code (it died on the playing device once).
        program, started = self.kestor(), time.monotonic()
        self.assertGreater(self.playing(self.sheet(), 1, SECONDS + 25) - started, SECONDS - 2.5)
        self.quit()
        self.assertEqual(program.wait(30), 18)
