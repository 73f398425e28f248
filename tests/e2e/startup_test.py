"""Start-up: with the desktop shown, with it hidden, and a second copy, which
opens the running copy's settings window."""

import os
import struct

import harness
from harness import HIDE_TIP, IDCANCEL, IDOK, SHOW_TIP, TIMEOUT, VK_DOWN, VK_RETURN, WM_COMMAND, Session, wait_until

RT_GROUP_CURSOR, RT_GROUP_ICON = 12, 14
IDI_TRAY_CONTRAST_1 = 122


def copy_without_resource(source, target, resource_type, resource_id):
    """Copies a program and renames one resource in the copy's resource
    directory: a number becomes the next number, a name gets another last
    letter, so that a lookup of it finds nothing. The directory's entries stay
    sorted when the resource is the type's last."""
    data = bytearray(open(source, "rb").read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    base = next(struct.unpack_from("<I", data, table + 40 * i + 20)[0] for i in range(sections)
                if data[table + 40 * i:table + 40 * i + 5] == b".rsrc")

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
        return [base + directory + 16 + 8 * k for k in range(named + numbered)]

    for type_entry in entries(0):
        if struct.unpack_from("<I", data, type_entry)[0] != resource_type:
            continue
        ids = entries(struct.unpack_from("<I", data, type_entry + 4)[0] & 0x7FFFFFFF)
        last = ids[-1]
        key = struct.unpack_from("<I", data, last)[0]
        if isinstance(resource_id, str) and key & 0x80000000:
            name = base + (key & 0x7FFFFFFF)
            length = struct.unpack_from("<H", data, name)[0]
            if data[name + 2:name + 2 + 2 * length].decode("utf-16-le") != resource_id:
                raise AssertionError("resource %s is not the last of its type" % resource_id)
            data[name + 2 * length] ^= 1
        elif key == resource_id:
            struct.pack_into("<I", data, last, resource_id + 1)
        else:
            raise AssertionError("resource %s is not the last of its type" % resource_id)
        with open(target, "wb") as f:
            f.write(data)
        return
    raise AssertionError("no resources of type %d" % resource_type)


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
        # Idle in the tray without comctl32 or COM: nothing at start needs them.
        modules = [m.lower() for m in self.probe.call("modules", app.pid)]
        self.assertIn("user32.dll", modules)
        self.assertNotIn("comctl32.dll", modules)
        self.assertNotIn("ole32.dll", modules)

        # The menu offers "Hide Desktop" as its first item.
        menu = app.open_menu(self.session)
        app.choose(menu, VK_DOWN, VK_RETURN)
        self.assert_hidden(app)

    def test_a_second_copy_opens_the_settings_window_and_ends(self):
        app = self.start_brivane()
        app.wait_tip(HIDE_TIP)
        icons_before = self.probe.tray()

        second = self.start_brivane(wait_ready=False)
        self.assertEqual(second.exit_code(10000), 0,
                         "the second copy must end at once with exit code 0 (None: still running after 10 s)")
        self.assertEqual(second.own_windows(), [])
        # The first copy opens its settings window instead.
        dialog = wait_until(lambda: [w.hwnd for w in app.own_windows()
                                     if w.title == "Brivane Settings" and w.visible], TIMEOUT,
                            what="the settings window")[0]
        self.probe.post(dialog, WM_COMMAND, IDCANCEL)
        wait_until(lambda: not self.probe.is_window(dialog), TIMEOUT, what="the settings window to close")
        self.assertEqual(self.probe.tray(), icons_before, "no second icon")
        self.assertFalse(app.exited())
        self.assertTrue(self.fixture.visible())
        self.assertEqual(app.tip(), HIDE_TIP)

        # The first copy still has its hot key and toggles as before.
        self.hot_key(app, "hidden", "shown")


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

        self.assert_exit_disabled(app)

        # "Show Desktop" is the first item and brings everything back.
        menu = app.open_menu(self.session)
        app.choose(menu, VK_DOWN, VK_RETURN)
        self.assert_shown(app)

    def test_one_tray_click_restores_the_desktop(self):
        app = self.start_brivane()
        app.wait_tip(SHOW_TIP)
        app.click_icon(self.session)
        self.assert_shown(app)


class StartUpFailure(harness.E2ETestCase):
    def damaged_copy(self, resource_type, resource_id):
        folder = os.path.join(self.session.build_tree, "e2e-damaged")
        os.makedirs(folder, exist_ok=True)
        copy_without_resource(self.brivane_path, os.path.join(folder, "brivane.exe"), resource_type, resource_id)
        return Session.windows_path(os.path.join(folder, "brivane.exe"))

    def test_without_the_link_cursor_the_program_runs(self):
        app = self.start_brivane(exe=self.damaged_copy(RT_GROUP_CURSOR, "HARROW"))
        app.wait_tip(HIDE_TIP)
        self.session.key("ctrl+F12")
        self.assert_hidden(app)

    def test_a_missing_resource_gets_the_error_box_and_a_clean_exit(self):
        # A copy of the program without one of its tray images.
        damaged = self.damaged_copy(RT_GROUP_ICON, IDI_TRAY_CONTRAST_1)
        icons_before = self.probe.tray()

        app = self.start_brivane(wait_ready=False, exe=damaged)

        def error_box():
            boxes = [w for w in app.own_windows() if w.cls == "#32770" and w.title == "Brivane" and w.visible]
            return boxes[0].hwnd if boxes else 0
        box = wait_until(error_box, 30, what="the error box")
        texts = [line.split("\t")[4] for line in self.probe.call("children", "%x" % box)]
        self.assertIn("Resource IDI_TRAY_CONTRAST_1 not found.", texts)
        self.probe.post(box, WM_COMMAND, IDOK, 0)
        self.assertEqual(app.exit_code(), 3)  # a failed start; 1 is /status "hidden"
        self.assertEqual(self.probe.tray(), icons_before, "no icon left in the tray")
        self.assertEqual(self.probe.hotkey("test"), "free")
        self.assertTrue(self.fixture.visible())
        self.assertEqual(self.in_force()["Wallpaper"], self.wallpaper_path)


if __name__ == "__main__":
    harness.main()
