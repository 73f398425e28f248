"""brivane.exe's command line: commands to the running copy, /status, bad
arguments, /autostart, the settings /hotkey and /autohide, and garbage sent to
the running copy."""

import os
import re
import struct
import subprocess

import harness
from harness import HIDE_TIP, SHOW_TIP, wait_until

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
USAGE = ("usage: brivane.exe [/hide | /show | /toggle | /exit | /status | /autostart on|off | /hotkey [<keys>|off] |"
         " /autohide [<seconds>|off] | /keepwallpaper [on|off] | /doubleclick [on|off] | /settings]")
SETTINGS_KEY = r"Software\Brivane"
REG_SZ, REG_DWORD = 1, 4
MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN = 1, 2, 4, 8
COLOUR = 0x0030C80A
COPYDATA_TAG = 0x4E565242  # "BRVN"


def unix_path(windows_path):
    """The Unix path of a "Z:\\..." path."""
    return windows_path[2:].replace("\\", "/")


def payload(code):
    """The command message body: tag, version 1, command, its complement."""
    return b"BRVN\x01\x00" + bytes((code, code ^ 0xFF))


class Commands(harness.E2ETestCase):
    def command(self, *args):
        """Runs brivane.exe with arguments; its exit code."""
        pid = self.probe.launch(self.brivane_exe, *args)
        code = self.probe.wait_exit(pid, 60000)
        self.assertIsNotNone(code, "brivane.exe %s did not end" % " ".join(args))
        return code

    def run_brivane(self, *args):
        """Runs brivane.exe with its output caught: (exit code, stdout, stderr)."""
        run = subprocess.run([self.session.wine_exec, unix_path(self.brivane_exe)] + list(args), env=self.session.env,
                             capture_output=True, timeout=60, stdin=subprocess.DEVNULL)
        return run.returncode, run.stdout.decode("utf-8", "replace").strip(), run.stderr.decode("utf-8", "replace")

    def setting(self, name):
        value = self.probe.reg_get(SETTINGS_KEY, name)
        if value is None or value[0] != REG_SZ:
            return value
        return REG_SZ, value[1].decode("utf-16-le").rstrip("\0")

    def assert_state(self, app, hidden):
        (self.assert_hidden if hidden else self.assert_shown)(app)

    def test_each_command_against_a_running_copy(self):
        self.assertEqual(self.command("/status"), 2)
        app = self.start_brivane()
        # (arguments, exit code, desktop hidden afterwards)
        steps = [(["/status"], 0, False), (["/hide"], 0, True), (["/status"], 1, True), (["/HIDE"], 0, True),
                 (["/toggle"], 0, False), (["-toggle"], 0, True), (["/show"], 0, False), (["/show"], 0, False),
                 (["/hide"], 0, True)]
        for args, code, hidden in steps:
            with self.subTest(args=args):
                self.assertEqual(self.command(*args), code)
                self.assert_state(app, hidden)
        # No second copy and no new window came of any of them.
        self.assertEqual(len([i for i in self.probe.tray() if i.tip in (HIDE_TIP, SHOW_TIP)]), 1)

        # /exit with the desktop hidden: shown first, then the copy ends.
        self.assertEqual(self.command("/exit"), 0)
        self.assertEqual(app.exit_code(), 0)
        wait_until(self.fixture.visible, harness.TIMEOUT, what="the desktop window to be shown")
        self.assertEqual(self.in_force(), {"Wallpaper": self.wallpaper_path, "Pattern": harness.PATTERN})
        self.assertEqual(self.stored_settings(), self.stored)
        self.assertEqual(self.command("/status"), 2)
        self.assertEqual(self.command("/exit"), 2)
        self.assertEqual(self.probe.one("mutex", "BrivaneMutex"), "0")

    def test_a_command_starts_brivane_when_none_runs(self):
        pid = self.probe.launch(self.brivane_exe, "/hide")
        app = harness.Brivane(self.probe, self.brivane_exe, pid=pid)
        self.started.append(app)
        self.addCleanup(app.stop)
        self.assert_hidden(app)
        self.assertEqual(self.command("/status"), 1)
        self.assertEqual(self.command("/toggle"), 0)
        self.assert_shown(app)

    def test_bad_arguments_give_64_and_change_nothing(self):
        for args in (["/bogus"], ["hide"], ["/hide", "/show"], ["/status", "now"], ["/autostart"],
                     ["/autostart", "maybe"]):
            with self.subTest(args=args):
                self.assertEqual(self.command(*args), 64)
        self.assertEqual(self.probe.one("mutex", "BrivaneMutex"), "0", "a bad command started Brivane")
        app = self.start_brivane()
        self.assertEqual(self.command("/hide", "/bogus"), 64)
        app.wait_tip(HIDE_TIP)
        self.assertTrue(self.fixture.visible())
        # Started from a console (here: with a standard error to write to), the
        # usage line goes there.
        run = subprocess.run([self.session.wine_exec, unix_path(self.brivane_exe), "/nonsense"],
                             env=self.session.env, capture_output=True, timeout=60, stdin=subprocess.DEVNULL)
        self.assertEqual(run.returncode, 64)
        self.assertIn(USAGE, run.stderr.decode("utf-8", "replace").splitlines())

    def test_autostart_writes_and_removes_the_run_value(self):
        saved = self.probe.reg_get(RUN_KEY, "Brivane")
        self.addCleanup(self.probe.reg_set, RUN_KEY, "Brivane", saved)
        self.assertEqual(self.command("/autostart", "on"), 0)
        value_type, data = self.probe.reg_get(RUN_KEY, "Brivane")
        self.assertEqual(value_type, 1)  # REG_SZ
        self.assertEqual(data.decode("utf-16-le").rstrip("\0").lower(), '"%s"' % self.brivane_exe.lower())
        self.assertEqual(self.command("-AUTOSTART", "OFF"), 0)
        self.assertIsNone(self.probe.reg_get(RUN_KEY, "Brivane"))
        self.assertEqual(self.command("/autostart", "off"), 0)
        self.assertEqual(self.probe.one("mutex", "BrivaneMutex"), "0")

    def test_the_readme_batch_file_reads_each_state_and_exit_waits_on_no_box(self):
        with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
            batch = next(b for b in re.findall(r"```bat\n(.*?)```", f.read(), re.S) if "start \"\" /wait" in b)
        path = os.path.join(self.session.build_tree, "e2e-status.cmd")
        with open(path, "w", newline="\r\n") as f:
            f.write(batch.replace(r"%LOCALAPPDATA%\Programs\Brivane\brivane.exe", self.brivane_exe))

        def run():
            out = subprocess.run([self.session.wine_exec, "cmd", "/c", harness.Session.windows_path(path)],
                                 env=self.session.env, capture_output=True, timeout=60, stdin=subprocess.DEVNULL)
            return out.stdout.decode("utf-8", "replace").split()
        self.assertEqual(run(), ["not", "running"])
        app = self.start_brivane()
        self.assertEqual(run(), ["shown"])
        self.assertEqual(self.command("/hide"), 0)
        self.assertEqual(run(), ["hidden"])
        # /exit never waits on a box: with a wallpaper setting that can't be
        # read, the desktop still comes back and the copy ends.
        self.probe.reg_set(harness.DESKTOP_KEY, "Wallpaper", (4, struct.pack("<I", 1)))
        self.assertEqual(self.command("/exit"), 0)
        self.assertEqual(app.exit_code(), 0)
        self.assertTrue(self.fixture.visible())

    def test_the_hot_key_setting(self):
        saved = self.probe.reg_get(SETTINGS_KEY, "HotKey")
        self.addCleanup(self.probe.reg_set, SETTINGS_KEY, "HotKey", saved)
        self.probe.reg_set(SETTINGS_KEY, "HotKey", None)
        # No copy runs: the value is stored, and nothing is started.
        self.assertEqual(self.run_brivane("/hotkey")[:2], (0, "Ctrl+F12 (Brivane is not running)"))
        self.assertEqual(self.run_brivane("/hotkey", "ctrl+alt+d")[:2], (0, "Ctrl+Alt+D (Brivane is not running)"))
        self.assertEqual(self.probe.one("mutex", "BrivaneMutex"), "0")
        self.assertEqual(self.setting("HotKey"), (REG_SZ, "Ctrl+Alt+D"))
        app = self.start_brivane()
        self.assertEqual(self.probe.hotkey("test", MOD_CONTROL | MOD_ALT, ord("D")), "taken")
        self.assertEqual(self.probe.hotkey("test"), "free")
        self.session.key("ctrl+alt+d")
        self.assert_hidden(app)
        # The running copy takes a new key at once and lets the old one go.
        # Windows keeps the Windows key's combinations: taken, with a word of warning.
        code, out, error = self.run_brivane("-HOTKEY", "Win+Shift+H")
        self.assertEqual((code, out, error.strip()),
                         (0, "Win+Shift+H (registered)", "Windows keeps Win+Shift+H for itself and may act on it too."))
        self.assertEqual(self.setting("HotKey"), (REG_SZ, "Win+Shift+H"))
        self.assertEqual(self.probe.hotkey("test", MOD_CONTROL | MOD_ALT, ord("D")), "free")
        self.session.key("super+shift+h")
        self.assert_shown(app)
        # A key another program holds is refused by name; the previous one stays.
        self.probe.hotkey("hold", MOD_CONTROL | MOD_SHIFT, 0x75)
        self.addCleanup(self.probe.hotkey, "release")
        code, _, error = self.run_brivane("/hotkey", "Shift+Ctrl+F6")
        self.assertEqual(code, 4)
        self.assertIn("Ctrl+Shift+F6", error)
        self.assertEqual(self.setting("HotKey"), (REG_SZ, "Win+Shift+H"))
        self.assertEqual(self.run_brivane("/hotkey")[:2], (0, "Win+Shift+H (registered)"))
        self.probe.hotkey("release")
        self.assertEqual(self.run_brivane("/hotkey", "off")[:2], (0, "off"))
        self.assertEqual(self.setting("HotKey"), (REG_SZ, "off"))
        self.assertEqual(self.probe.hotkey("test", MOD_WIN | MOD_SHIFT, ord("H")), "free")
        self.assertEqual(self.run_brivane("/hotkey", "D")[0], 64)
        # Back to the default, and a value that names no key reads as it.
        self.assertEqual(self.run_brivane("/hotkey", "Ctrl+F12")[:2], (0, "Ctrl+F12 (registered)"))
        self.assertEqual(self.probe.hotkey("test"), "taken")
        self.probe.reg_set(SETTINGS_KEY, "HotKey", (REG_DWORD, struct.pack("<I", 7)))
        code, out, error = self.run_brivane("/hotkey")
        self.assertEqual((code, out), (0, "Ctrl+F12 (registered)"))
        self.assertIn('"HotKey"', error)
        self.assertEqual(self.probe.reg_get(SETTINGS_KEY, "HotKey"), (REG_DWORD, struct.pack("<I", 7)))
        self.assertTrue(app.still_running())

    def test_hiding_when_idle(self):
        for key, name, value in ((SETTINGS_KEY, "AutoHide", None),
                                 (harness.DESKTOP_KEY, "TessikIconColour", (REG_DWORD, struct.pack("<I", COLOUR)))):
            self.addCleanup(self.probe.reg_set, key, name, self.probe.reg_get(key, name))
            self.probe.reg_set(key, name, value)
        self.assertEqual(self.run_brivane("/autohide")[:2], (0, "off"))
        self.assertEqual(self.run_brivane("/autohide", "3")[0], 64)
        app = self.start_brivane()
        self.assertEqual(self.run_brivane("/autohide", "5")[:2], (0, "after 5 seconds without input"))
        self.assertEqual(self.probe.reg_get(SETTINGS_KEY, "AutoHide"), (REG_DWORD, struct.pack("<I", 5)))
        # Five seconds without input hide the desktop; the first input shows it.
        self.assert_hidden(app)
        self.session.xdotool("mousemove", 300, 300)
        self.assert_shown(app)
        # A desktop the user hid stays hidden after input: the watchdog's tick
        # that puts the caption colour back after the shell's reset comes
        # after the input, and the idle check comes first in each tick.
        self.assertEqual(self.command("/hide"), 0)
        self.assert_hidden(app)
        self.session.xdotool("mousemove", 320, 300)
        self.probe.call("syscolours")
        self.assertNotEqual(self.fixture.text_colour(), COLOUR, "the shell's reset")
        wait_until(lambda: self.fixture.text_colour() == COLOUR, harness.TIMEOUT, what="a watchdog tick")
        self.assertTrue(self.fixture.hidden())
        self.assertEqual(app.tip(), SHOW_TIP)
        self.assertEqual(self.run_brivane("/autohide", "OFF")[:2], (0, "off"))
        self.assertEqual(self.probe.reg_get(SETTINGS_KEY, "AutoHide"), (REG_DWORD, struct.pack("<I", 0)))

    def test_garbage_messages_are_ignored(self):
        app = self.start_brivane()
        self.assertEqual(self.command("/hide"), 0)
        self.assert_hidden(app)
        # A window of this desktop: the taskbar's.
        desktop = "%x" % self.probe.find("Shell_TrayWnd")
        # A well-formed command is answered, with the desktop state (bit 0)...
        self.assertEqual(int(self.probe.one("copydata", "%x" % app.main_window, desktop, COPYDATA_TAG,
                                            payload(5).hex())), 0x42520001)
        # ...but not without a sender on this desktop, nor with a damaged body.
        for sender, tag, body in (("0", COPYDATA_TAG, payload(3)), ("12345", COPYDATA_TAG, payload(3)),
                                  (desktop, COPYDATA_TAG + 1, payload(3)), (desktop, COPYDATA_TAG, payload(3)[:-1]),
                                  (desktop, COPYDATA_TAG, payload(6)), (desktop, COPYDATA_TAG, b"")):
            with self.subTest(sender=sender, tag=tag, body=body):
                self.assertEqual(self.probe.one("copydata", "%x" % app.main_window, sender, tag, body.hex()), "0")
        # 2000 messages take seconds; the wait stays inside the driver's ctest TIMEOUT (300 s).
        self.assertEqual(self.probe.one("garbage", "%x" % app.main_window, 2000, 20261208, timeout=120), "0")
        self.assertFalse(app.exited())
        self.assertFalse(self.fixture.visible())
        self.assertEqual(app.tip(), SHOW_TIP)
        self.assertEqual(self.command("/status"), 1)


if __name__ == "__main__":
    harness.main()
