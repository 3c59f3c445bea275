"""Music: tracks made with sox chosen together in one open dialog, played in list order and looping, auto-play,
Playlist.m3u written at exit and played by itself at the next start, and an exit while a track plays."""
import subprocess
import time

from harness import *

PAGE, SECONDS = 3, 4  # the length of a track, which sox makes
TRACKS = [r"C:\Kestor\b.mp3", r"C:\music\A.MP3"]  # in the list's case-free order


class PlayerTest(Story):
    def playing(self, sheet, row, timeout):
        """Waits until the list, once there, selects that row, the one playing; returns when."""
        def selected():
            code, lines = self.drv("rows", sheet, IDC_PLAYLIST, check=False)
            return code == 0 and lines[row].startswith("1")
        return self.wait_until(selected, timeout, f"row {row} playing", interval=0) and time.monotonic()

    def test_music(self):
        for path, pitch in zip(TRACKS, ("660", "440")):
            host = self.prefix / "drive_c" / path[3:].replace("\\", "/")
            host.parent.mkdir(exist_ok=True)
            subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", host, "synth", "4", "sine", pitch], check=True)
        self.start_kestor()
        sheet = self.show_page(PAGE)
        self.drv("click", sheet, IDC_ADD_FILES)
        self.wait_window("打开")
        self.screenshot("player-add-files")
        # The dialog opens in the program's folder. Names chosen together come back as the folder and each name;
        # a full path typed among them stays as it is.
        self.choose_in_open_dialog(rf'"b.mp3" "{TRACKS[1]}"')
        self.wait_until(lambda: [cells for _, cells in self.rows(sheet, IDC_PLAYLIST)] == [[t] for t in TRACKS],
                        what="both tracks listed")
        # Play with no row selected starts the first. A track that did not play (a device that failed to open it,
        # no "playing" mode) would end at once or move on at the first look: each must hold its row while it plays.
        self.keep_shown(sheet)
        self.drv("click", sheet, IDC_PLAY)
        started = [self.playing(sheet, row, SECONDS + 20) for row in (0, 1, 0)]
        for earlier, later in zip(started, started[1:]):
            self.assertGreater(later - earlier, SECONDS - 2.5, "a track held its row while it played")
        self.drv("click", sheet, IDC_STOP)
        self.drv("click", sheet, IDC_AUTOPLAY)
        self.wait_until(lambda: self.reg("HKLM", MACHINE, "Options_i1") == ("REG_DWORD", 1), what="auto-play stored")
        self.exit_through_tray()
        self.assertEqual((self.appdir / "Playlist.m3u").read_bytes(), "".join(t + "\r\n" for t in TRACKS).encode("gbk"))
        # Started again it plays by itself: the first track's end moves the selection on. An exit while a track
        # plays ends the process cleanly with the quit code (it once died on the playing device).
        program, started = self.start_kestor(), time.monotonic()
        self.assertGreater(self.playing(self.sheet(), 1, SECONDS + 25) - started, SECONDS - 2.5)
        self.exit_through_tray()
        self.assertEqual(program.wait(30), 18)
