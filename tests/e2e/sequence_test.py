"""Never without a desktop: a seeded random sequence of what a user, other
programs and the shell do to a running Brivane (tray clicks, the hot key,
commands sent at once, Exit from a menu opened before a
/hide, WM_CLOSE, shell restarts early and late, a shell that answers slowly or
hangs, desktop windows made anew while hidden), with once each at a random
place: a window that must keep the keyboard through a hot-key show, a
cancelled shutdown, a fault in the program while hidden, and a session locked
while idle hiding is on. The stand-in for the shell's desktop-wallpaper object
keeps two monitors with their own pictures and a running slideshow.

Every step predicts the desktop's state: after it the tray, /status, the
desktop windows, the pattern in force and every monitor's background must be
that state, so a click that did nothing or a toggle that ran twice fails the
step it happened in. At the end /exit leaves the desktop shown and the user's
stored values byte for byte as they were.

BRIVANE_SEED replays a sequence; BRIVANE_STEPS sets its length."""

import itertools
import os
import random
import struct
import subprocess
import time

import harness
from harness import HIDE_TIP, SHOW_TIP, VK_RETURN, VK_UP, WM_CLOSE, wait_until

REG_DWORD = 4
COLOUR = 0x0030C80A
CAPTION_VALUES = ("TessikIconColour", "TransparentIcon")
LATE, RECREATE, SLOW, HANG = 1, 2, 3, 4
WM_ENDSESSION, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 0x16, 0x2B1, 7, 8
STAND_IN = r"HKCU\Software\BrivaneFixture\DesktopWallpaper"
# Each monitor's own picture, the fit, the colour and the running slideshow.
WORLD = ("Monitor0\\Wallpaper", "Monitor1\\Wallpaper", "Position", "BackgroundColor", "Status")
ONCE = ("keeps_focus", "cancelled_shutdown", "fault", "locked_while_idle")


class Sequence(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        for name in CAPTION_VALUES:
            self.addCleanup(self.probe.reg_set, harness.DESKTOP_KEY, name, self.probe.reg_get(harness.DESKTOP_KEY, name))
        # A stored colour makes every show talk to the list view, where a slow
        # shell keeps the program waiting while other messages arrive.
        self.probe.reg_set(harness.DESKTOP_KEY, "TessikIconColour", (REG_DWORD, struct.pack("<I", COLOUR)))
        self.probe.reg_set(harness.DESKTOP_KEY, "TransparentIcon", (REG_DWORD, struct.pack("<I", 0)))
        self.captions = {name: self.probe.reg_get(harness.DESKTOP_KEY, name) for name in CAPTION_VALUES}
        # The desktop-wallpaper object of Windows 10 and 11, registered as
        # regsvr32 would; it starts with two monitors and a slideshow running.
        dll = harness.Session.windows_path(os.path.join(os.path.dirname(harness.E2ETestCase.fixture_path),
                                                        "desktop-wallpaper-standin.dll"))
        regsvr32 = r"C:\windows\system32\regsvr32.exe"
        self.assertEqual(self.probe.wait_exit(self.probe.launch(regsvr32, "/s", dll), 60000), 0)
        self.addCleanup(lambda: self.probe.wait_exit(self.probe.launch(regsvr32, "/u", "/s", dll), 60000))
        self.world = self.background()
        self.assertEqual(len(set(self.world[:2])), 2, "two monitors with their own pictures")

    def background(self):
        return [self.probe.reg_string(STAND_IN + "\\" + path.rsplit("\\", 1)[0], path.rsplit("\\", 1)[1])
                if "\\" in path else self.probe.reg_get(STAND_IN, path) for path in WORLD]

    # --- what the steps do, each returning the state it leads to ------------------

    def start(self):
        self.app = self.start_brivane()
        self.hidden = False

    def run_copy(self, *args):
        return self.probe.launch(self.brivane_exe, *args)

    def autohide(self, value):
        """/autohide, which prints: run with output of its own."""
        return subprocess.run([self.session.wine_exec, self.brivane_path, "/autohide", value], env=self.session.env,
                              capture_output=True, timeout=60, stdin=subprocess.DEVNULL).returncode

    def commands_at_once(self):
        args = [self.rng.choice(["/hide", "/show", "/toggle", "/status"]) for _ in range(self.rng.randint(2, 4))]
        pids = [self.run_copy(a) for a in args]
        codes = [self.probe.wait_exit(pid, 60000) for pid in pids]
        for arg, code in zip(args, codes):
            allowed = (0, 1) if arg == "/status" else (0,)
            self.assertIn(code, allowed, "%s ended with %s" % (arg, code))
        # They arrive in any order: the state one of the orders leads to.
        outcomes = set()
        for order in itertools.permutations(args):
            hidden = self.hidden
            for arg in order:
                hidden = {"/hide": True, "/show": False, "/toggle": not hidden}.get(arg, hidden)
            outcomes.add(hidden)
        self.drain = True
        return "commands " + " ".join(args), outcomes

    def drained(self):
        """Waits until Brivane has done every action asked of it. Commands
        are answered at once and queued; a queue such as hide-then-show
        passes through the state it ends in, and a click handled on the way
        acts on the state the tray shows then. The heartbeat, which reads the
        caption colour, is a timer message: only the message loop delivers
        it, after the messages posted before it and never inside an action
        waiting for the shell. A second read of the colour after the first
        that comes proves the loop came round after the queue."""
        reads = lambda: int(self.probe.one("prop", "%x" % self.fixture.listview, "BrivaneFixtureColourReads"))
        before = reads()
        wait_until(lambda: reads() >= before + 2, what="two heartbeats after the commands")

    def exit_from_a_menu_opened_before(self):
        """The menu is opened while the desktop is in one state, a /hide
        arrives while it is open, then its last item is chosen: Exit, which
        ends Brivane with the desktop shown, unless the hide has disabled it."""
        menu = self.app.post_right_button()
        pid = self.run_copy("/hide")
        self.assertEqual(self.probe.wait_exit(pid, 60000), 0)
        self.probe.keys(menu, VK_UP, VK_RETURN)
        wait_until(lambda: not self.probe.visible(menu), what="the menu to close")
        return "Exit from a menu", {True, "exited"}

    def close(self):
        self.probe.post(self.rng.choice([self.app.app_window, self.app.main_window]), WM_CLOSE)
        self.assertEqual(self.app.exit_code(), 0)
        return "WM_CLOSE", {"exited"}

    def shell(self, action, ms=400):
        old = self.fixture.progman
        self.probe.post(old, self.restart_message, action, ms)
        if action in (LATE, RECREATE):
            self.fixture._find_windows(old)

    def hung_shell(self):
        """The shell reads no message for 5 s: the tray still answers at once,
        and a hide asked for meanwhile is done when it wakes."""
        self.shell(HANG, 5000)
        started = time.monotonic()
        code = self.status()
        self.assertLess(time.monotonic() - started, 1.0, "/status waited for the hung shell")
        self.assertEqual(code, 1 if self.hidden else 0)
        self.assertEqual(self.probe.wait_exit(self.run_copy("/hide"), 60000), 0)
        return "hung shell", {True}

    def keeps_focus(self):
        """A hot-key hide and show leave the keyboard with the window that had it."""
        window = self.probe.one("focus")
        wait_until(lambda: self.probe.one("foreground") == window, what="the probe's window in front")
        for _ in range(2):
            self.session.key("ctrl+F12")
            self.hidden = not self.hidden
            wait_until(lambda: self.agree(self.hidden) is None, what="the desktop to switch")
        self.assertEqual(self.probe.one("foreground"), window, "the desktop took the keyboard")
        self.probe.post(int(window, 16), WM_CLOSE)
        return "focus", {self.hidden}

    def cancelled_shutdown(self):
        self.probe.send(self.app.main_window, WM_ENDSESSION, 0, 0)
        return "cancelled shutdown", {self.hidden}

    def fault(self):
        """A fault while hidden ends the program with the desktop windows and
        the pattern back; the next start turns the background on again."""
        if not self.hidden:
            self.assertEqual(self.probe.wait_exit(self.run_copy("/hide"), 60000), 0)
            self.hidden = True
            wait_until(lambda: self.agree(True) is None, what="the hide before the fault")
        self.probe.call("fault", str(self.app.pid))
        wait_until(self.fixture.visible, what="the desktop after the fault")
        # Windows ends the process; Wine ends only the thread that faulted,
        # and the test ends the process as Windows would.
        self.probe.kill(self.app.pid)
        self.assertNotEqual(self.app.exit_code(), 0)
        # Its icon stays in the notification area until the pointer passes
        # over it, as on Windows.
        self.probe.taskbar_up()
        ghost = wait_until(self.app.icon, what="the ended copy's icon")
        self.session.xdotool("mousemove", (ghost.rect[0] + ghost.rect[2]) // 2, (ghost.rect[1] + ghost.rect[3]) // 2)
        wait_until(lambda: not self.app.icon(), what="the ended copy's icon to go")
        self.session.xdotool("mousemove", 512, 300)
        # The background of every monitor comes back with the next start.
        self.start()
        return "fault", {False}

    def locked_while_idle(self):
        """Idle hiding on, the session locked: however long nobody types,
        nothing hides; unlocked, the idle time starts again and then hides."""
        if self.hidden:
            self.assertEqual(self.probe.wait_exit(self.run_copy("/show"), 60000), 0)
            self.hidden = False
            wait_until(lambda: self.agree(False) is None, what="the show before the lock")
        self.assertEqual(self.autohide("5"), 0)
        self.addCleanup(self.autohide, "off")
        self.probe.send(self.app.main_window, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0)
        wait_until(lambda: int(self.probe.one("idletime")) > 7000, timeout=30, what="seven idle seconds")
        self.assertEqual(self.status(), 0, "hidden while the session was locked")
        self.probe.send(self.app.main_window, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0)
        wait_until(lambda: self.status() == 1, timeout=30, what="the idle hide after the unlock")
        self.assertEqual(self.autohide("off"), 0)
        self.assertEqual(self.probe.wait_exit(self.run_copy("/show"), 60000), 0)
        return "locked while idle", {False}

    def step(self, number):
        if number in self.once_at:
            return getattr(self, self.once_at[number])()
        choice = self.rng.choices(
            ["click", "hotkey", "commands", "menu exit", "close", "restart", "late restart", "recreate", "slow",
             "hang"], weights=[12, 12, 12, 4, 4, 4, 4, 4, 4, 1])[0]
        if choice == "click":
            self.app.click_icon(self.session)
        elif choice == "hotkey":
            self.session.key("ctrl+F12")
        elif choice == "commands":
            return self.commands_at_once()
        elif choice == "menu exit":
            return self.exit_from_a_menu_opened_before()
        elif choice == "close":
            return self.close()
        elif choice == "restart":
            self.fixture.restart()
        elif choice in ("late restart", "recreate"):
            self.shell(LATE if choice == "late restart" else RECREATE)
        elif choice == "slow":
            self.slow = 0 if self.slow else 300
            self.shell(SLOW, self.slow)
        elif choice == "hang":
            return self.hung_shell()
        return choice, {not self.hidden} if choice in ("click", "hotkey") else {self.hidden}

    # --- the promise ------------------------------------------------------------

    def status(self):
        return self.probe.wait_exit(self.run_copy("/status"), 60000)

    def agree(self, predicted):
        """None when the tray, /status, the desktop windows, the pattern in
        force and every monitor's background are the predicted state; else
        what differs."""
        if self.app.exited():
            hidden, tip, status = False, None, 2
            if predicted != "exited":
                return "Brivane ended; predicted %s" % predicted
        else:
            tip = self.app.tip()
            if tip not in (HIDE_TIP, SHOW_TIP):
                return "tray tip %r" % tip
            hidden = tip == SHOW_TIP
            status = 1 if hidden else 0
            if hidden != predicted:
                return "tip %r; predicted %s" % (tip, "hidden" if predicted else "shown")
        windows = self.fixture.hidden() if hidden else self.fixture.visible()
        in_force = self.in_force()
        # Each monitor keeps its own background; only whether it is on changes.
        world = self.background()
        on = self.probe.reg_get(STAND_IN, "Enabled")
        if (not windows or in_force != {"Wallpaper": self.wallpaper_path, "Pattern": "" if hidden else harness.PATTERN}
                or world != self.world or on != (REG_DWORD, struct.pack("<I", 0 if hidden else 1))):
            return "tip %r, windows as they should be: %s, in force %r, background %r on %r" % (
                tip, windows, in_force, world, on)
        code = self.status()
        if code != status:
            return "tip %r, /status %s" % (tip, code)
        return None

    def test_a_random_sequence_keeps_the_desktop_promise(self):
        seed = int(os.environ.get("BRIVANE_SEED") or random.SystemRandom().randrange(1 << 32))
        steps = max(int(os.environ.get("BRIVANE_STEPS") or 100), len(ONCE))
        print("sequence seed %d, %d steps" % (seed, steps), flush=True)
        self.rng = random.Random(seed)
        self.once_at = dict(zip(self.rng.sample(range(1, steps + 1), len(ONCE)), ONCE))
        self.restart_message = int(self.probe.one("regmsg", "BrivaneDesktopFixtureRestart"))
        self.slow = 0
        self.drain = False
        self.start()
        done = []
        for number in range(1, steps + 1):
            state = {"step": "?"}
            try:
                state["step"], outcomes = self.step(number)

                def settled():
                    for outcome in outcomes:
                        state["disagreement"] = self.agree(outcome)
                        if state["disagreement"] is None:
                            self.hidden = outcome is True
                            return True
                    return False
                wait_until(settled, what=lambda: state.get("disagreement"))
                if self.drain and not self.app.exited():
                    self.drained()
                    wait_until(settled, what=lambda: state.get("disagreement"))
                self.drain = False
            except AssertionError as error:
                raise AssertionError("seed %d, step %d (%s): %s; before it: %s" % (
                    seed, number, state["step"], error, ", ".join(done[-6:]))) from None
            done.append(state["step"])
            if self.app.exited():
                self.start()
        self.shell(SLOW, 0)
        self.assertEqual(self.probe.wait_exit(self.run_copy("/exit"), 60000), 0)
        wait_until(self.fixture.visible, what="the desktop after /exit")
        self.assertEqual(self.in_force(), {"Wallpaper": self.wallpaper_path, "Pattern": harness.PATTERN})
        self.assertEqual(self.stored_settings(), self.stored)
        self.assertEqual({name: self.probe.reg_get(harness.DESKTOP_KEY, name) for name in CAPTION_VALUES},
                         self.captions)
        self.assertEqual(self.background(), self.world)


if __name__ == "__main__":
    harness.main()
