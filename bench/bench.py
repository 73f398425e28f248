"""Brivane's figures under Wine, each printed beside its target.

    python3 bench.py [--quick] [--idle SECONDS] <brivane.exe> <desktop-fixture.exe> <probe.exe> <minimal-tray.exe>

Run by bench/run, which builds the programs and provides the Wine session
(BRIVANE_WINE_ENV, BRIVANE_WINE_EXEC, BRIVANE_BUILD_TREE as for the end-to-end
tests). Absolute times under Wine are not Windows times, and the machine may
be shared: the start-up figures are medians of several runs, compared with a
minimal tray program measured alternately in the same run.
"""

import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

import harness  # noqa: E402
from harness import (HIDE_TIP, SHOW_TIP, TRAY_CALLBACK, VK_ESCAPE, WM_CLOSE, WM_HOTKEY, WM_RBUTTONDOWN,  # noqa: E402
                     Brivane, DesktopFixture, Probe, Session, wait_until)

SIZE_TARGET = 500 * 1024
STARTUP_RATIO_TARGET = 1.5


def row(name, value, target="", verdict=None):
    mark = "" if verdict is None else ("  ok" if verdict else "  OVER TARGET")
    print("  %-44s %-28s %s%s" % (name, value, target, mark))
    sys.stdout.flush()


def kib(n):
    return "%.0f KB" % (n / 1024.0)


class Bench:
    def __init__(self, args):
        self.args = args
        self.session = Session()
        self.probe = Probe(self.session, os.path.abspath(args.probe))
        self.brivane = Session.windows_path(args.brivane)
        self.minimal = Session.windows_path(args.minimal)
        self.fixture_exe = Session.windows_path(args.fixture)
        self.fixture = None
        self.failed = False

    # ------------------------------------------------------------ set-up
    def set_up(self):
        self.saved = {(key, name): self.probe.reg_get(key, name)
                      for key in (harness.DESKTOP_KEY, harness.VOLATILE_DESKTOP_KEY)
                      for name in ("Wallpaper", "Pattern")}
        # A realistic desktop: a wallpaper and a pattern in the user's
        # settings, a few entries in the Desktop folder, the desktop window.
        self.wallpaper = self.session.write_wallpaper()
        self.probe.spi("wallpaper", self.wallpaper, 3)
        self.probe.spi("pattern", harness.PATTERN, 3)
        folder, _ = self.session.user_folder("Desktop")
        self.made = []
        for name in ("Notes.txt", "Budget.txt", "Readme.txt"):
            path = os.path.join(folder, "brivane-bench-" + name)
            with open(path, "w") as f:
                f.write("bench\r\n")
            self.made.append(path)
        for name in ("Projects", "Photos"):
            path = os.path.join(folder, "brivane-bench-" + name)
            os.makedirs(path, exist_ok=True)
            self.made.append(path)
        self.fixture = DesktopFixture(self.probe, self.fixture_exe)

    def tear_down(self):
        if self.fixture:
            self.fixture.close()
        self.probe.spi("wallpaper", "", 3)
        self.probe.spi("pattern", "", 3)
        for (key, name), value in self.saved.items():
            self.probe.reg_set(key, name, value)
        for path in self.made:
            if os.path.isdir(path):
                os.rmdir(path)
            elif os.path.exists(path):
                os.remove(path)
        self.probe.close()

    # ------------------------------------------------------------ helpers
    def start_timed(self, exe):
        line = self.probe.one("startup", exe, 30000, timeout=60)
        pid, icon, idle = line.split("\t")
        return int(pid), float(icon), float(idle)

    def memory(self, pid):
        return int(self.probe.one("memory", pid).split("\t")[0])

    def cpu_ms(self, pid):
        kernel, user = self.probe.one("cpu", pid).split("\t")
        return float(kernel) + float(user)

    def close_minimal(self, pid):
        windows = [w for w in self.probe.windows() if w.pid == pid and w.cls == "BrivaneBenchMinimalTray"]
        for w in windows:
            self.probe.post(w.hwnd, WM_CLOSE)
        if self.probe.wait_exit(pid, 10000) is None:
            self.probe.kill(pid)

    def tray_window(self, app):
        """The utility window that opens the menu on the tray callback."""
        for hwnd in app.utility_windows():
            self.probe.post(hwnd, TRAY_CALLBACK, 1, WM_RBUTTONDOWN)
            try:
                menu = wait_until(app.own_menu, 1.5, interval=0.02, what="a menu")
            except AssertionError:
                continue
            app.choose(menu, VK_ESCAPE)
            return hwnd
        raise AssertionError("no window of brivane.exe opens the tray menu")

    def open_and_close_menu(self, app, tray_window):
        self.probe.post(tray_window, TRAY_CALLBACK, 1, WM_RBUTTONDOWN)
        menu = wait_until(app.own_menu, 10, interval=0.01, what="the tray menu")
        self.probe.keys(menu, VK_ESCAPE)
        wait_until(lambda: not self.probe.visible(menu), 10, interval=0.01, what="the menu to close")

    def toggles(self, app, count):
        """count WM_HOTKEY messages sent (each waits for its handler); ms."""
        return float(self.probe.one("sendmany", "%x" % app.main_window, WM_HOTKEY, harness.HOTKEY_ID,
                                    harness.HOTKEY_LPARAM, count,
                                    timeout=600))

    # ------------------------------------------------------------ figures
    def size(self):
        size = os.path.getsize(self.args.brivane)
        row("brivane.exe size", "%d bytes (%s)" % (size, kib(size)), "target < 500 KB", size < SIZE_TARGET)
        self.failed |= size >= SIZE_TARGET

    def startup(self):
        runs = self.args.runs
        results = {"minimal": [], "brivane": []}
        icons = {"minimal": [], "brivane": []}
        memory = {"minimal": [], "brivane": []}
        # One warm-up of each, not counted, then alternately.
        for i in range(runs + 1):
            for name, exe in (("minimal", self.minimal), ("brivane", self.brivane)):
                pid, icon, idle = self.start_timed(exe)
                if icon < 0 or idle < 0:
                    raise AssertionError("%s: no icon or no idle within 30 s (%s, %s)" % (name, icon, idle))
                if name == "brivane":
                    app = Brivane(self.probe, self.brivane, pid=pid)
                    app.wait_tip(HIDE_TIP)
                time.sleep(0.5)  # settled: what stays committed after start-up
                if i > 0:
                    results[name].append(max(icon, idle))
                    icons[name].append(icon)
                    memory[name].append(self.memory(pid))
                if name == "brivane":
                    if app.exit_through_menu() != 0:
                        raise AssertionError("brivane.exe did not end with exit code 0")
                else:
                    self.close_minimal(pid)
        m = statistics.median(results["minimal"])
        b = statistics.median(results["brivane"])
        ratio = b / m
        row("start to icon + idle loop, minimal (median)", "%.0f ms" % m,
            "(%d runs; icon at %.0f ms)" % (runs, statistics.median(icons["minimal"])))
        row("start to icon + idle loop, brivane (median)", "%.0f ms" % b,
            "(%d runs; icon at %.0f ms)" % (runs, statistics.median(icons["brivane"])))
        row("  ratio brivane / minimal", "%.2fx" % ratio, "target <= %.1fx" % STARTUP_RATIO_TARGET,
            ratio <= STARTUP_RATIO_TARGET)
        self.failed |= ratio > STARTUP_RATIO_TARGET
        mm, mb = statistics.median(memory["minimal"]), statistics.median(memory["brivane"])
        row("committed memory after start, minimal", kib(mm), "(PagefileUsage)")
        row("committed memory after start, brivane", kib(mb), "+%s over the minimal program" % kib(mb - mm))

    def running(self):
        app = Brivane(self.probe, self.brivane)
        app.wait_tip(HIDE_TIP)
        try:
            self.toggle_cost(app)
            self.cycles(app)
            self.watchdog()
            self.idle_cpu(app)
        finally:
            if not app.exited():
                app.stop()

    def toggle_cost(self, app):
        pairs = self.args.pairs
        ms = self.toggles(app, 2 * pairs) / pairs
        app.wait_tip(HIDE_TIP)
        # The same ShowWindow and SystemParametersInfo calls, made by the
        # probe: what any program doing this job pays under Wine.
        floor = float(self.probe.one("pairs", "%x" % self.fixture.progman, self.wallpaper, harness.PATTERN, pairs,
                                     timeout=600))
        row("hide + show pair (WM_HOTKEY x2, sent)", "%.1f ms" % ms, "(%d pairs)" % pairs)
        row("  its platform calls alone (probe)", "%.1f ms" % floor,
            "overhead %.1f ms, %.2fx (goal <= 1.5x)" % (ms - floor, ms / floor))

    def cycles(self, app):
        cycles, menus = self.args.cycles, self.args.menus
        tray_window = self.tray_window(app)

        def run(cycle_count, menu_count):
            # Menus half with the desktop shown, half hidden (the menu of the
            # desktop's entries with their icons is built at each opening).
            self.toggles(app, 2 * cycle_count)
            for i in range(menu_count):
                if i == menu_count // 2:
                    self.toggles(app, 1)
                    app.wait_tip(SHOW_TIP)
                self.open_and_close_menu(app, tray_window)
            if menu_count > 1:
                self.toggles(app, 1)
            app.wait_tip(HIDE_TIP)
            time.sleep(0.3)
            return self.memory(app.pid)

        first = run(10, 2)
        t0 = time.monotonic()
        half = run(cycles // 2 - 10, menus // 2)
        last = run(cycles - cycles // 2, menus - menus // 2)
        elapsed = time.monotonic() - t0
        row("committed memory after 10 cycles + 2 menus", kib(first))
        row("  after %d cycles + %d menus" % (cycles // 2, menus // 2 + 2), kib(half),
            "%+.0f KB" % ((half - first) / 1024.0))
        row("  after %d cycles + %d menus" % (cycles, menus + 2), kib(last),
            "%+.0f KB in the second half (goal < 64 KB; %.0f s)" % ((last - half) / 1024.0, elapsed))

    def watchdog(self):
        n = self.args.ticks
        colour, micros = self.probe.one("lvcolour", "%x" % self.fixture.listview, n, timeout=300).split("\t")
        row("watchdog compare tick (LVM_GETTEXTCOLOR)", "%.1f us" % float(micros),
            "(%d round trips, other process; once a second)" % n)

    def idle_cpu(self, app):
        seconds = self.args.idle
        for state, tip in (("shown", HIDE_TIP), ("hidden", SHOW_TIP)):
            if app.tip() != tip:
                self.toggles(app, 1)
                app.wait_tip(tip)
            time.sleep(1.0)
            before = self.cpu_ms(app.pid)
            time.sleep(seconds)
            used = self.cpu_ms(app.pid) - before
            row("CPU time idle, desktop %s" % state, "%.0f ms in %d s" % (used, seconds),
                "%.3f%% (goal < 0.5%%; %.0f ms since start)" % (used / (seconds * 10.0), before + used))
        self.toggles(app, 1)
        app.wait_tip(HIDE_TIP)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quick", action="store_true", help="fewer runs, shorter idle time")
    parser.add_argument("--idle", type=int, help="seconds of idle CPU measurement per state (60, quick 10)")
    parser.add_argument("brivane")
    parser.add_argument("fixture")
    parser.add_argument("probe")
    parser.add_argument("minimal")
    args = parser.parse_args()
    args.runs = 3 if args.quick else 7
    args.pairs = 20 if args.quick else 100
    args.cycles = 200 if args.quick else 1000
    args.menus = 40 if args.quick else 200
    args.ticks = 200 if args.quick else 1000
    if args.idle is None:
        args.idle = 10 if args.quick else 60

    bench = Bench(args)
    print("Brivane under Wine (%s)" % ("quick" if args.quick else "full"))
    bench.size()
    bench.set_up()
    try:
        bench.startup()
        bench.running()
    finally:
        bench.tear_down()
    return 1 if bench.failed else 0


if __name__ == "__main__":
    sys.exit(main())
