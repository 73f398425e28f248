"""The end of the logon, and "Exit"."""

import harness
from harness import HIDE_TIP, WM_ENDSESSION, wait_until


class EndOfLogon(harness.E2ETestCase):
    def test_end_session_brings_back_a_hidden_desktop(self):
        app = self.start_brivane()
        self.hot_key(app, "hidden")

        self.probe.send(app.main_window, WM_ENDSESSION, 1, 0)
        self.assert_shown(app)

        # With the desktop shown, the same message changes nothing, also once
        # what it posted is handled.
        self.probe.send(app.main_window, WM_ENDSESSION, 1, 0)
        self.assertTrue(app.still_running())
        self.assert_shown(app)


class Exit(harness.E2ETestCase):
    def test_exit_ends_the_program_and_lets_a_new_copy_start(self):
        icons_before = self.probe.tray()
        app = self.start_brivane()

        # Disabled while the desktop is hidden.
        self.hot_key(app, "hidden")
        self.assert_exit_disabled(app)
        self.hot_key(app, "shown")

        self.assertEqual(app.exit_through_menu(self.session), 0)
        wait_until(lambda: self.probe.tray() == icons_before, harness.TIMEOUT, what="the icon to leave the tray")
        self.assertEqual(self.probe.hotkey("test"), "free")
        self.assertEqual(self.probe.one("mutex", "BrivaneMutex"), "0")
        self.assertTrue(self.fixture.visible())
        self.assertEqual(self.in_force()["Wallpaper"], self.wallpaper_path)

        again = self.start_brivane()
        again.wait_tip(HIDE_TIP)
        self.assertEqual(len(self.probe.tray()), len(icons_before) + 1)
        self.assertEqual(self.probe.hotkey("test"), "taken")
        self.assertEqual(again.exit_through_menu(), 0)
        wait_until(lambda: self.probe.tray() == icons_before, harness.TIMEOUT, what="the icon to leave the tray")


if __name__ == "__main__":
    harness.main()
