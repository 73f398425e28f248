"""The shell's desktop as Windows builds it, in each of its layouts: hiding and
showing, the stored caption colour and its watchdog, and a shell restart with
the desktop shown and hidden."""

import struct

import harness
from harness import HIDE_TIP, LAYOUTS, WS_MINIMIZE, wait_until

COLOUR = 0x0030C80A  # RGB(10, 200, 48)
REG_DWORD = 4


class DesktopLayouts(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        saved = self.probe.reg_get(harness.DESKTOP_KEY, "TessikIconColour")
        self.addCleanup(self.probe.reg_set, harness.DESKTOP_KEY, "TessikIconColour", saved)
        self.probe.reg_set(harness.DESKTOP_KEY, "TessikIconColour", (REG_DWORD, struct.pack("<I", COLOUR)))

    def on_each_layout(self, check):
        """Runs check(app) as a subtest on each layout, with a program started
        on that desktop (its stored colour applied) and ended after it."""
        for layout in LAYOUTS:
            with self.subTest(layout=layout):
                self.use_layout(layout)
                app = self.start_brivane()
                try:
                    app.wait_tip(HIDE_TIP)
                    self.wait_colour("the stored caption colour")
                    check(app)
                finally:
                    app.stop()

    def wait_colour(self, what):
        wait_until(lambda: self.fixture.text_colour() == COLOUR, harness.TIMEOUT, what=what)

    def wait_for_capture(self, app):
        """The watchdog's first capture minimises the application window."""
        wait_until(lambda: int(self.probe.one("style", "%x" % app.app_window).split("\t")[0], 16) & WS_MINIMIZE,
                   harness.TIMEOUT, what="the watchdog's first capture")

    def test_hide_show_and_colour(self):
        def check(app):
            self.hot_key(app, "hidden", "shown")
            self.assertEqual(self.fixture.text_colour(), COLOUR)
        self.on_each_layout(check)

    def test_the_watchdog_puts_the_colour_back(self):
        # The watchdog reads and sets the same list view that the colour was
        # applied to on every layout above, so one layout (the newest) is enough
        # here: its first capture only comes 3 s after start.
        self.use_layout(LAYOUTS[-1])
        app = self.start_brivane()
        app.wait_tip(HIDE_TIP)
        self.wait_colour("the stored caption colour")
        # The shell puts its own colour back (seen while the program is held,
        # so that the watchdog can't act first); the watchdog puts ours back.
        self.wait_for_capture(app)
        self.probe.call("suspend", app.pid)
        try:
            self.probe.call("syscolours")
            self.assertNotEqual(self.fixture.text_colour(), COLOUR, "the shell reset the colour")
        finally:
            self.probe.call("resume", app.pid)
        self.wait_colour("the watchdog to re-apply the colour")

    def test_a_shell_restart_with_the_desktop_shown_and_hidden(self):
        def check(app):
            icons = len(self.probe.tray())
            # Shown: the new desktop stays shown and gets the colour.
            self.fixture.restart()
            self.wait_colour("the colour on the new list view")
            self.assertTrue(self.fixture.visible())
            app.wait_tip(HIDE_TIP)
            self.assertEqual(len(self.probe.tray()), icons)
            self.hot_key(app, "hidden")
            # Hidden: the program hides the new windows again.
            self.fixture.restart()
            self.wait_colour("the colour on the new list view")
            self.assert_hidden(app)
            self.hot_key(app, "shown")
        self.on_each_layout(check)


if __name__ == "__main__":
    harness.main()
