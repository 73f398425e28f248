"""Start-up: with the desktop shown, with it hidden, and a second copy."""

import harness
from harness import HIDE_TIP, SHOW_TIP, VK_DOWN, VK_ESCAPE, VK_RETURN


class StartWithDesktopShown(harness.E2ETestCase):
    def test_starts_in_the_tray_with_the_hot_key_and_nothing_on_screen(self):
        settings_before = self.in_force()
        icons_before = len(self.probe.tray())
        self.assertEqual(self.probe.hotkey("test"), "free")

        app = self.start_brivane()

        app.wait_tip(HIDE_TIP)
        self.assertEqual(len(self.probe.tray()), icons_before + 1, "one icon added")
        self.assertTrue(self.fixture.visible())
        self.assertEqual(self.in_force(), settings_before, "wallpaper and pattern untouched")
        self.assertEqual(self.probe.hotkey("test"), "taken", "Ctrl+F12 registered")
        # No window on screen: the application window and the main window
        # exist, hidden; the rest are hidden utility windows.
        self.assertEqual([w for w in app.own_windows() if w.visible], [])
        self.assertTrue(app.app_window and app.main_window)

        # The menu offers "Hide Desktop" as its first item.
        menu = app.open_menu(self.session)
        app.choose(menu, VK_DOWN, VK_RETURN)
        self.assert_hidden(app)

    def test_a_second_copy_ends_at_once_and_changes_nothing(self):
        app = self.start_brivane()
        app.wait_tip(HIDE_TIP)
        icons_before = self.probe.tray()

        second = self.start_brivane(wait_ready=False)
        self.assertEqual(second.exit_code(10000), 0,
                         "the second copy must end at once with exit code 0 (None: still running after 10 s)")
        self.assertEqual(second.own_windows(), [])
        self.assertEqual(self.probe.tray(), icons_before, "no second icon")
        self.assertFalse(app.exited())
        self.assertTrue(self.fixture.visible())
        self.assertEqual(app.tip(), HIDE_TIP)

        # The first copy still has its hot key and toggles as before.
        self.session.key("ctrl+F12")
        self.assert_hidden(app)
        self.session.key("ctrl+F12")
        self.assert_shown(app)


class StartWithDesktopHidden(harness.E2ETestCase):
    # As after a copy that was killed with the desktop hidden.
    fixture_hidden = True

    def test_starts_hidden_without_touching_the_wallpaper_and_offers_show(self):
        settings_before = self.in_force()
        self.assertTrue(self.wallpaper_on_screen(), "the test wallpaper on Wine's desktop")

        app = self.start_brivane()

        app.wait_tip(SHOW_TIP)
        self.assertFalse(self.fixture.visible())
        self.assertEqual(self.in_force(), settings_before)
        self.assertEqual(self.stored_settings(), self.stored)
        self.assertTrue(self.wallpaper_on_screen(), "the wallpaper is still shown")

        # "Exit" (fourth item: Show Desktop, Custom Icons, About, Exit) is
        # disabled while the desktop is hidden.
        menu = app.open_menu(self.session)
        self.probe.keys(menu, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN)
        self.assertIsNone(app.exit_code(1500), "Exit worked while the desktop was hidden")
        if self.probe.visible(menu):
            app.choose(menu, VK_ESCAPE)

        # "Show Desktop" is the first item and brings everything back.
        menu = app.open_menu(self.session)
        app.choose(menu, VK_DOWN, VK_RETURN)
        self.assert_shown(app)

    def test_one_tray_click_restores_the_desktop(self):
        app = self.start_brivane()
        app.wait_tip(SHOW_TIP)
        app.click_icon(self.session)
        self.assert_shown(app)


if __name__ == "__main__":
    harness.main()
