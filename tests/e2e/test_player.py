"""The music page on the real program under Wine: two short MP3 files made with sox play one after the
other through MCI and start over after the last, the auto-play flag lands in the machine key at once,
and Playlist.m3u is read at start and written back at exit."""
import subprocess
import time

from harness import MACHINE, KestorTestCase, WM_LBUTTONDBLCLK, IDS, log

IDC_PLAYLIST, IDC_PLAY, IDC_STOP, IDC_AUTOPLAY = (IDS["IDC_PLAYLIST"], IDS["IDC_PLAY"], IDS["IDC_STOP"],
                                                   IDS["IDC_AUTOPLAY"])
MUSIC_PAGE = 3
TRACK_SECONDS = 5


class PlayerTest(KestorTestCase):
    def make_tracks(self, folder="music"):
        music = self.wine.path / "drive_c" / folder
        music.mkdir(exist_ok=True)
        for name, pitch in (("b.mp3", 660), ("A.MP3", 440)):
            subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", str(music / name), "synth", str(TRACK_SECONDS),
                            "sine", str(pitch)], check=True)
        return [f"C:\\{folder}\\A.MP3", f"C:\\{folder}\\b.mp3"]

    def rows(self, sheet):
        """[(selected, text)] of the playlist."""
        out = []
        for line in self.drv("lb-rows", sheet, IDC_PLAYLIST).splitlines():
            selected, _, text = line.partition("\t")
            out.append((selected == "1", text.replace("\\\\", "\\")))
        return out

    def selected_row(self, sheet):
        picked = [i for i, (selected, _) in enumerate(self.rows(sheet)) if selected]
        return picked[0] if picked else None

    def wait_for_row(self, sheet, row, timeout):
        self.wait_until(lambda: self.selected_row(sheet) == row, timeout=timeout, interval=0,
                        what=f"row {row} playing")
        return time.monotonic()

    def test_files_chosen_together_in_the_open_dialog_are_all_listed(self):
        # The dialog opens in the current folder, the program's own.
        paths = self.make_tracks(self.appdir.name)
        self.start_kestor()
        sheet = self.show_page(MUSIC_PAGE)
        self.click(sheet, IDS["IDC_ADD_FILES"])
        self.wait_window("打开", "--dialog")
        self.screenshot("player-add-files")
        # Several names typed at once come back as a selection of several files does: the folder, then
        # each name; a full path typed among them stays as it is.
        self.make_tracks("music")
        self.choose_in_open_dialog('"b.mp3" "A.MP3" "C:\\music\\b.mp3"')
        paths = sorted(paths + [r"C:\music\b.mp3"], key=str.lower)
        self.wait_until(lambda: [text for _, text in self.rows(sheet)] == paths, what="both files listed")

    def test_tracks_play_in_list_order_loop_and_the_list_round_trips(self):
        paths = self.make_tracks()
        # The file lists them unsorted; the list box sorts them.
        (self.appdir / "Playlist.m3u").write_bytes(f"{paths[1]}\r\n{paths[0]}\r\n".encode("gbk"))
        self.start_kestor()
        sheet = self.show_page(MUSIC_PAGE)
        self.assertEqual([text for _, text in self.rows(sheet)], paths)
        self.screenshot("player")

        # Play with no row selected starts the first row. A track that did not play (a device that
        # failed to open it, or no "playing" mode) would end the run at once or move on at the first
        # poll; each row must instead hold for about the length of its track.
        self.click(sheet, IDC_PLAY)
        first = self.wait_for_row(sheet, 0, timeout=10)
        second = self.wait_for_row(sheet, 1, timeout=TRACK_SECONDS + 20)
        self.assertGreater(second - first, TRACK_SECONDS - 2.5, "the first track held its row while it played")
        again = self.wait_for_row(sheet, 0, timeout=TRACK_SECONDS + 20)
        self.assertGreater(again - second, TRACK_SECONDS - 2.5, "the second track held its row while it played")
        log(f"rows held {second - first:.1f} s and {again - second:.1f} s for tracks of {TRACK_SECONDS} s")
        self.click(sheet, IDC_STOP)

        # The auto-play flag is in the machine key as soon as it is ticked.
        self.click(sheet, IDC_AUTOPLAY)
        self.wait_until(lambda: self.reg_query("HKLM", MACHINE, "Options_i1") == ("REG_DWORD", "1"),
                        what="Options_i1 written at once")

        self.exit_through_tray_menu()
        self.assertEqual(self.wait_file("Playlist.m3u"), f"{paths[0]}\r\n{paths[1]}\r\n".encode("gbk"))

        # Started again, the program plays by itself: the first track's end moves the selection on.
        program = self.start_kestor()
        sheet = self.sheet()
        started = time.monotonic()
        self.wait_for_row(sheet, 1, timeout=TRACK_SECONDS + 25)
        self.assertGreater(time.monotonic() - started, TRACK_SECONDS - 2.5)
        self.tray(WM_LBUTTONDBLCLK)
        sheet = self.wait_window(self.SHEET, "--has-tab")
        self.assertEqual(self.control(sheet, IDC_AUTOPLAY).checked, 1)
        # An exit while a track plays ends the process cleanly, with the quit code, not a crash.
        self.exit_through_tray_menu()
        self.assertEqual(program.wait(30), 18)
