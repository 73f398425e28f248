"""Hiding and showing the desktop: by a real tray click, a real Ctrl+F12 and
the tray menu, and with Ctrl+F12 held by another program."""

import harness
from harness import HIDE_TIP, VK_DOWN, VK_RETURN, wait_until


class HideAndShow(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        self.app = self.start_brivane()
        self.app.wait_tip(HIDE_TIP)

    def test_by_tray_clicks(self):
        self.app.click_icon(self.session)
        self.assert_hidden(self.app)
        self.assertEqual(self.wallpaper_seen_by_a_new_process(), "")

        self.app.click_icon(self.session)
        self.assert_shown(self.app)
        self.assertEqual(self.wallpaper_seen_by_a_new_process(), self.wallpaper_path)

    def test_by_the_hot_key(self):
        for _ in range(2):
            self.hot_key(self.app, "hidden", "shown")

    def test_by_the_menu(self):
        # The first item is "Hide Desktop" while the desktop is shown and
        # "Show Desktop" while it is hidden.
        menu = self.app.open_menu(self.session)
        self.app.choose(menu, VK_DOWN, VK_RETURN)
        self.assert_hidden(self.app)

        menu = self.app.open_menu(self.session)
        self.app.choose(menu, VK_DOWN, VK_RETURN)
        self.assert_shown(self.app)


class HotKeyHeldElsewhere(harness.E2ETestCase):
    def test_the_tray_click_still_toggles(self):
        # The probe takes Ctrl+F12 before Brivane starts and keeps it.
        self.probe.hotkey("hold")
        self.addCleanup(self.probe.hotkey, "release")
        app = self.start_brivane()
        app.wait_tip(HIDE_TIP)
        self.assertFalse(app.exited())

        # The key press reaches the holder, not Brivane.
        self.session.key("ctrl+F12")
        wait_until(lambda: int(self.probe.hotkey("count")) >= 1, harness.TIMEOUT, what="the probe's WM_HOTKEY")
        self.assertTrue(self.fixture.visible())
        self.assertEqual(app.tip(), HIDE_TIP)

        app.click_icon(self.session)
        self.assert_hidden(app)
        app.click_icon(self.session)
        self.assert_shown(app)


if __name__ == "__main__":
    harness.main()
