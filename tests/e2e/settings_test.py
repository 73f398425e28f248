"""The settings window, driven as a user would in one sequence: opened from the
tray menu, from /settings and from a second start; a new hot key pressed into
it, one that another program holds reported before Apply; Cancel; idle hiding,
sign-in start and "icons only" set from it and seen in the registry and from
the command line; the double-click on the desktop; the window at two DPIs,
with screenshots in the working directory."""

import os
import subprocess

import harness
from harness import HIDE_TIP, SHOW_TIP, TIMEOUT, VK_DOWN, VK_RETURN, wait_until

SETTINGS_KEY = r"Software\Brivane"
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
DESKTOP_KEY = r"Control Panel\Desktop"
NAMES = ("HotKey", "AutoHide", "KeepWallpaper", "DoubleClick")
HKM_GETHOTKEY, HOTKEYF_CONTROL, HOTKEYF_ALT, MOD_ALT, MOD_CONTROL = 0x0402, 2, 4, 1, 2
# The dialog's controls in their order (the resource's).
HOTKEY, STATUS, APPLY, OK = 1, 3, 15, 13


def dword(value):
    return (4, value.to_bytes(4, "little"))  # REG_DWORD


class SettingsWindow(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        saved = {(k, n): self.probe.reg_get(k, n) for k, n in [(SETTINGS_KEY, n) for n in NAMES] +
                 [(RUN_KEY, "Brivane"), (DESKTOP_KEY, "LogPixels")]}
        for key, name in list(saved)[:-1]:
            self.probe.reg_set(key, name, None)
        self.addCleanup(lambda: [self.probe.reg_set(k, n, v) for (k, n), v in saved.items()])

    def dialog(self, app):
        """The open settings window, waited for until it has the keyboard
        (however it was opened), so that keys typed next reach it."""
        dialog = wait_until(lambda: next((w for w in app.own_windows() if w.title == "Brivane Settings" and w.visible),
                                         None),
                            TIMEOUT, what="the settings window")
        wait_until(lambda: int(self.probe.one("foreground"), 16) == dialog.hwnd, TIMEOUT,
                   what="the settings window in front")
        return dialog

    def controls(self, dialog):
        return [line.split("\t") for line in self.probe.call("children", "%x" % dialog.hwnd)]

    def control(self, dialog, index):
        return int(self.controls(dialog)[index][0], 16)

    def note(self, dialog):
        return self.controls(dialog)[STATUS][4]

    def click_control(self, dialog, index):
        left, top, right, bottom = (int(v) for v in self.controls(dialog)[index][7].split(","))
        self.session.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2, "click", 1)

    def closed(self, dialog):
        wait_until(lambda: not self.probe.is_window(dialog.hwnd), TIMEOUT, what="the settings window to close")

    def keys(self, *combos):
        for combo in combos:
            self.session.key(combo)

    def hide_and_show_by_the_new_key(self, app):
        self.keys("ctrl+alt+b")
        self.assert_hidden(app)
        self.keys("ctrl+alt+b")
        self.assert_shown(app)

    def command(self, *args):
        # The program's Unix path ("Z:\\..." without its drive).
        run = subprocess.run([self.session.wine_exec, self.brivane_exe[2:].replace("\\", "/")] + list(args),
                             env=self.session.env, capture_output=True, timeout=60, stdin=subprocess.DEVNULL)
        return run.returncode, run.stdout.decode("utf-8", "replace").strip()

    def stored_values(self):
        return [self.probe.reg_get(SETTINGS_KEY, n) for n in NAMES] + [self.probe.reg_get(RUN_KEY, "Brivane")]

    def double_click(self, x, y):
        self.session.xdotool("mousemove", x, y, "click", "--repeat", 2, "--delay", 60, 1)

    def shot(self, name, dialog):
        self.session.screenshot(os.path.join(os.getcwd(), name))
        return dialog.rect[2] - dialog.rect[0], dialog.rect[3] - dialog.rect[1]

    def test_the_settings_window_in_one_sequence(self):
        app = self.start_brivane()
        app.wait_tip(HIDE_TIP)

        # From the tray menu: Hide Desktop, Custom Icons, Settings…
        menu = app.open_menu(self.session)
        app.choose(menu, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN)
        dialog = self.dialog(app)
        size_96 = self.shot("settings-96dpi.png", dialog)

        # A key that another program holds is said as it is typed.
        self.probe.hotkey("hold", MOD_CONTROL | MOD_ALT, ord("K"))
        self.keys("ctrl+alt+k")
        wait_until(lambda: self.note(dialog) == "Ctrl+Alt+K is held by another program", TIMEOUT,
                   what="the note on the held key")
        self.probe.hotkey("release", MOD_CONTROL | MOD_ALT, ord("K"))
        # A free one: no note, and Apply stores it and has it registered.
        self.keys("ctrl+alt+b")
        wait_until(lambda: self.note(dialog) == "", TIMEOUT, what="the note to go")
        self.assertEqual(self.probe.send(self.control(dialog, HOTKEY), HKM_GETHOTKEY),
                         ((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8) | ord("B"))
        self.click_control(dialog, APPLY)
        wait_until(lambda: self.probe.reg_string(SETTINGS_KEY, "HotKey") == "Ctrl+Alt+B", TIMEOUT,
                   what="the new hot key stored")
        self.click_control(dialog, OK)
        self.closed(dialog)
        # The old key does nothing: had Ctrl+F12 toggled, the new key would
        # bring the desktop back rather than hide it.
        self.keys("ctrl+F12")
        self.hide_and_show_by_the_new_key(app)

        # From /settings; Cancel (Esc) keeps every change from being stored.
        stored = self.stored_values()
        self.assertEqual(self.command("/settings")[0], 0)
        dialog = self.dialog(app)
        self.keys("Tab", "alt+f", "alt+s", "alt+o", "alt+b", "Escape")
        self.closed(dialog)
        self.assertEqual(self.stored_values(), stored)
        self.assertEqual(self.command("/keepwallpaper"), (0, "off"))

        # From a second start: idle hiding after 600 s, the sign-in start and
        # "icons only", confirmed with Enter.
        second = self.start_brivane(wait_ready=False)
        self.assertEqual(second.exit_code(10000), 0)
        dialog = self.dialog(app)
        self.keys("Tab", "alt+f", "Tab", "6", "0", "0", "alt+s", "alt+o", "Return")
        self.closed(dialog)
        self.assertEqual(self.stored_values()[1:4], [dword(600), dword(1), dword(0)])
        self.assertIn("brivane.exe", self.probe.reg_string(RUN_KEY, "Brivane").lower())
        self.assertEqual(self.command("/autohide"), (0, "after 600 seconds without input"))
        self.assertEqual(self.command("/keepwallpaper"), (0, "on"))
        self.assertEqual(self.command("/doubleclick"), (0, "off"))

        # Icons only: Hide leaves the wallpaper in force; Show restores all.
        self.keys("ctrl+alt+b")
        wait_until(self.fixture.hidden, TIMEOUT, what="the desktop window to be hidden")
        app.wait_tip(SHOW_TIP)
        self.assertEqual(self.in_force(), {"Wallpaper": self.wallpaper_path, "Pattern": harness.PATTERN})
        self.assertEqual(self.stored_settings(), self.stored)
        self.keys("ctrl+alt+b")
        self.assert_shown(app)
        self.assertEqual(self.command("/keepwallpaper", "off"), (0, "off"))

        # The double-click, turned on from the command line.
        self.assertEqual(self.command("/doubleclick", "on"), (0, "on"))
        left, top, right, bottom = map(int, self.probe.one("lvitem", "%x" % self.fixture.listview, 0).split(","))
        icon, empty = ((left + right) // 2, (top + bottom) // 2), (600, 420)
        # On an icon nothing of ours happens: had it hidden the desktop, the
        # double-click on empty space after it would have shown it again.
        self.double_click(*icon)
        self.double_click(*empty)
        self.assert_hidden(app)
        # On the bare desktop it shows the desktop again.
        self.double_click(*empty)
        self.assert_shown(app)
        # Two single clicks far apart are no double-click: had they hidden
        # the desktop, the hot key would have shown it again.
        self.session.xdotool("mousemove", 300, 420, "click", 1, "mousemove", *empty, "click", 1)
        self.hide_and_show_by_the_new_key(app)
        # Off: the hook is gone, and the double-click does nothing.
        self.assertEqual(self.command("/doubleclick", "off"), (0, "off"))
        self.double_click(*empty)
        self.hide_and_show_by_the_new_key(app)

        # At 144 DPI (read when a process starts): a new copy lays the window
        # out half as large again.
        self.assertEqual(self.command("/exit")[0], 0)
        self.assertEqual(app.exit_code(), 0)
        self.probe.reg_set(DESKTOP_KEY, "LogPixels", dword(144))
        app = self.start_brivane()
        self.assertEqual(self.command("/settings")[0], 0)
        dialog = self.dialog(app)
        self.probe.reg_set(DESKTOP_KEY, "LogPixels", dword(96))
        size_144 = self.shot("settings-144dpi.png", dialog)
        for small, large in zip(size_96, size_144):
            self.assertAlmostEqual(large / small, 1.5, delta=0.12)
        self.keys("Escape")
        self.closed(dialog)


if __name__ == "__main__":
    harness.main()
