"""brivane.exe's command line: commands to the running copy, /status, bad
arguments, /autostart, and garbage sent to the running copy."""

import os
import re
import struct
import subprocess

import harness
from harness import HIDE_TIP, SHOW_TIP, wait_until

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
USAGE = "usage: brivane.exe [/hide | /show | /toggle | /exit | /status | /autostart on|off]"
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
