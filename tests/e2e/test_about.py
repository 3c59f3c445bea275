"""The about box on the real program under Wine: opened from the tray menu, from the sheet's system
menu and by the private message the information page's link sends; its texts; OK closes it; the
start-up sound it plays half a second after opening."""
import subprocess
import time

from harness import IDOK, IDS, WM_SHOW_ABOUT, KestorTestCase

ABOUT = "关于 Tovrel"
IDC_ABOUT_SOUND = IDS["IDC_ABOUT_SOUND"]
IDM_ABOUTBOX = IDS["IDM_ABOUTBOX"]


class AboutTest(KestorTestCase):
    def open_tray_menu_item(self, ups):
        """Right button on the tray icon, then the item `ups` places up from the bottom ("退出" is 1)."""
        self.tray("WM_RBUTTONDOWN")
        self.wait_window("", "--class", "#32768")
        self.drv("key", *(["UP"] * ups), "RETURN")

    def expect_about_box_and_close_it(self, screenshot=None):
        about = self.wait_window(ABOUT, "--dialog")
        controls = self.texts(about)
        shown = [c.text for c in controls if c.visible]
        for text in ("Kestor 1.12版", "到点提醒，按时关机，管好上机时间", "有意见或建议，欢迎来信：",
                     "email:kestor@example.com", "确定"):
            self.assertIn(text, shown)
        sound = [c for c in controls if c.id == IDC_ABOUT_SOUND]
        self.assertEqual(len(sound), 1)
        self.assertFalse(sound[0].visible, "button 1045 is never shown")
        if screenshot:
            self.screenshot(screenshot)
        self.click(about, IDOK)
        self.wait_gone(ABOUT, "--dialog", visible=False)

    def test_about_box_opens_from_tray_menu_system_menu_and_message(self):
        self.start_kestor()
        sheet = self.sheet()
        self.wait_gone(self.SHEET, "--has-tab", timeout=10)

        # Tray menu, bottom up: 退出, 关于..., so two steps up.
        self.open_tray_menu_item(2)
        self.expect_about_box_and_close_it(screenshot="about")

        self.post(sheet, "WM_SYSCOMMAND", IDM_ABOUTBOX, 0)
        self.expect_about_box_and_close_it()

        self.post(sheet, WM_SHOW_ABOUT, 0, 0)
        self.expect_about_box_and_close_it()

        # Still running and answering: exit through the tray menu saves the lists.
        self.open_tray_menu_item(1)
        self.wait_process_gone("Kestor.exe")
        self.assertEqual(self.wait_file("TimeSet.ini", allow_empty=True), b"")

    def test_start_up_sound_holds_the_about_box_while_it_plays(self):
        # A long sound where the program looks for the Windows start-up sound (the null sound device of
        # the test machine plays faster than real time, so the sound is made long).
        media = self.wine.path / "drive_c" / "windows" / "Media"
        media.mkdir(parents=True, exist_ok=True)
        subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", "-b", "16", str(media / "The Microsoft Sound.wav"),
                        "synth", "30", "sine", "440"], check=True)
        self.start_kestor()
        self.post(self.sheet(), WM_SHOW_ABOUT, 0, 0)
        about = self.wait_window(ABOUT, "--dialog")

        # Half a second after opening the box plays the sound synchronously: a message sent to it then
        # waits for the sound (a driver call alone takes about a second).
        def held():
            started = time.monotonic()
            self.drv_rc("post", about, "WM_NULL", 0, 0, "--send")
            return time.monotonic() - started > 3.0
        self.wait_until(held, timeout=10, what="the about box held by the sound", interval=0)
        self.click(about, IDOK)
        self.wait_gone(ABOUT, "--dialog", visible=False)
