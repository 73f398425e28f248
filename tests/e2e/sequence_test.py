"""Never without a desktop: a seeded random sequence of what a user, other
programs and the shell do to a running Brivane (tray clicks, the hot key,
commands sent at once, Exit from a menu opened before a /hide, WM_CLOSE,
shell restarts early and late, a shell that answers slowly, desktop windows
made anew while hidden). After every step the tray, /status, the desktop
windows and the wallpaper in force agree; at the end /exit leaves the desktop
shown and the user's stored values byte for byte as they were.

BRIVANE_SEED replays a sequence; BRIVANE_STEPS sets its length."""

import os
import random
import struct

import harness
from harness import HIDE_TIP, SHOW_TIP, VK_RETURN, VK_UP, WM_CLOSE, wait_until

REG_DWORD = 4
COLOUR = 0x0030C80A
CAPTION_VALUES = ("TessikIconColour", "TransparentIcon")
LATE, RECREATE, SLOW = 1, 2, 3


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

    # --- what the steps do ---------------------------------------------------

    def start(self):
        self.app = self.start_brivane()

    def run_copy(self, *args):
        return self.probe.launch(self.brivane_exe, *args)

    def commands_at_once(self):
        args = [self.rng.choice(["/hide", "/show", "/toggle", "/status"]) for _ in range(self.rng.randint(2, 4))]
        pids = [self.run_copy(a) for a in args]
        codes = [self.probe.wait_exit(pid, 60000) for pid in pids]
        for arg, code in zip(args, codes):
            allowed = (0, 1) if arg == "/status" else (0,)
            self.assertIn(code, allowed, "%s ended with %s" % (arg, code))
        return "commands " + " ".join(args)

    def exit_from_a_menu_opened_before(self):
        """The menu is opened while the desktop is in one state, a /hide
        arrives while it is open, then its last item is chosen."""
        menu = self.app.post_right_button()
        pid = self.run_copy("/hide")
        self.assertEqual(self.probe.wait_exit(pid, 60000), 0)
        self.probe.keys(menu, VK_UP, VK_RETURN)
        wait_until(lambda: not self.probe.visible(menu), what="the menu to close")
        return "Exit from a menu"

    def close(self):
        self.probe.post(self.rng.choice([self.app.app_window, self.app.main_window]), WM_CLOSE)
        self.assertEqual(self.app.exit_code(), 0)
        return "WM_CLOSE"

    def shell(self, action):
        old = self.fixture.progman
        self.probe.post(old, self.restart_message, action, 400)
        self.fixture._find_windows(old)

    def step(self):
        choice = self.rng.choices(
            ["click", "hotkey", "commands", "menu exit", "close", "restart", "late restart", "recreate",
             "slow"], weights=[6, 6, 6, 2, 2, 2, 2, 2, 2])[0]
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
            self.probe.post(self.fixture.progman, self.restart_message, SLOW, self.slow)
        return choice

    # --- the promise ------------------------------------------------------------

    def status(self):
        return self.probe.wait_exit(self.run_copy("/status"), 60000)

    def agree(self):
        """None when the tray, /status, the desktop windows and the wallpaper
        in force agree; else what disagrees."""
        if self.app.exited():
            hidden, tip, status = False, None, 2
        else:
            tip = self.app.tip()
            if tip not in (HIDE_TIP, SHOW_TIP):
                return "tray tip %r" % tip
            hidden = tip == SHOW_TIP
            status = 1 if hidden else 0
        windows = self.fixture.hidden() if hidden else self.fixture.visible()
        in_force = self.in_force()
        if not windows or in_force != ({"Wallpaper": "", "Pattern": ""} if hidden else
                                       {"Wallpaper": self.wallpaper_path, "Pattern": harness.PATTERN}):
            return "tip %r, windows as they should be: %s, in force %r" % (tip, windows, in_force)
        code = self.status()
        if code != status:
            return "tip %r, /status %s" % (tip, code)
        return None

    def test_a_random_sequence_keeps_the_desktop_promise(self):
        seed = int(os.environ.get("BRIVANE_SEED") or random.SystemRandom().randrange(1 << 32))
        steps = int(os.environ.get("BRIVANE_STEPS") or 200)
        print("sequence seed %d, %d steps" % (seed, steps), flush=True)
        self.rng = random.Random(seed)
        self.restart_message = int(self.probe.one("regmsg", "BrivaneDesktopFixtureRestart"))
        self.slow = 0
        self.start()
        for number in range(1, steps + 1):
            state = {"step": "?"}

            def settled():
                state["disagreement"] = self.agree()
                return state["disagreement"] is None
            try:
                state["step"] = self.step()
                wait_until(settled, what=lambda: state.get("disagreement"))
            except AssertionError as error:
                raise AssertionError("seed %d, step %d (%s): %s" % (seed, number, state["step"], error)) from None
            if self.app.exited():
                self.start()
        self.probe.post(self.fixture.progman, self.restart_message, SLOW, 0)
        self.assertEqual(self.probe.wait_exit(self.run_copy("/exit"), 60000), 0)
        wait_until(self.fixture.visible, what="the desktop after /exit")
        self.assertEqual(self.in_force(), {"Wallpaper": self.wallpaper_path, "Pattern": harness.PATTERN})
        self.assertEqual(self.stored_settings(), self.stored)
        self.assertEqual({name: self.probe.reg_get(harness.DESKTOP_KEY, name) for name in CAPTION_VALUES},
                         self.captions)


if __name__ == "__main__":
    harness.main()
