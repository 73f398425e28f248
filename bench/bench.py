"""Brivane's figures under Wine, each printed beside its target.

    python3 bench.py [--quick] [--idle SECONDS] [--before BRIVANE.EXE] [--startup] <brivane.exe> <desktop-fixture.exe>
                     <probe.exe> <minimal-tray.exe> <bench-probe.exe>

Run by bench/run, which builds the programs and provides the Wine session
(BRIVANE_WINE_ENV, BRIVANE_WINE_EXEC, BRIVANE_BUILD_TREE as for the end-to-end
tests). Absolute times under Wine are not Windows times, and the machine may
be shared: the start-up figures are medians of many runs (a start under Wine
varies by half or more from one to the next), compared with a minimal tray
program measured alternately in the same run. With --before,
another brivane.exe (an earlier build) is measured in the same run too: its
start-up alternately with ours and the minimal program, every other figure
for each program in turn, its rows marked "before:".
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

import harness  # noqa: E402
from harness import (HIDE_TIP, SHOW_TIP, TRAY_CALLBACK, VK_ESCAPE, WM_CLOSE, WM_HOTKEY, WM_RBUTTONDOWN,  # noqa: E402
                     Brivane, DesktopFixture, Probe, Session, wait_until)

SIZE_TARGET = 300 * 1024
# Start-up beside the minimal tray program making the twelve notification-area
# calls that Brivane's tray component makes; memory beside the plain one.
STARTUP_RATIO_TARGET = 1.1
MEMORY_RATIO_TARGET = 1.1
TRAY_CALLS_SWITCH = "--brivane-tray-calls"
MENU_MEMORY_TARGET = 1024 * 1024
MENU_RATIO_TARGET = 1.5
MENU_SIZES = (100, 1000, 5000)
# Linear: the cost of one more entry between 1,000 and 5,000 entries at most
# this many times its cost between 100 and 1,000.
MENU_LINEARITY_TARGET = 1.5
TOGGLE_RATIO_TARGET = 1.2
# Wake-ups: a burst of system calls by one thread after at least this long
# asleep. Under Wine every wineserver request blocks the thread on a pipe, so
# a context switch count also counts each request of one wake-up.
WAKEUP_GAP_S = 0.1
# The watchdog's tick is the only wake-up wanted: once a second (one more is
# allowed for a tick at each edge of the window).
WATCHDOG_HZ = 1.0
MENU_ENTRY_PREFIX = "brivane-bench-entry-"
MENU_ENTRY_EXTENSIONS = (".txt", ".bmp", ".ini", ".log", ".html")


# Marks the rows of the program being measured when there are two.
ROW_TAG = ""


def row(name, value, target="", verdict=None):
    mark = "" if verdict is None else ("  ok" if verdict else "  OVER TARGET")
    print("  %-52s %-28s %s%s" % (ROW_TAG + name, value, target, mark))
    sys.stdout.flush()


def kib(n):
    return "%.0f KB" % (n / 1024.0)


class Bench:
    def __init__(self, args):
        self.args = args
        self.session = Session()
        self.probe = Probe(self.session, os.path.abspath(args.probe))
        self.brivane = Session.windows_path(args.brivane)
        # (tag, Windows path, Unix path) of each brivane.exe measured: ours,
        # then the one given with --before.
        self.programs = [("", self.brivane, args.brivane)]
        if args.before:
            self.programs.append(("before: ", Session.windows_path(args.before), args.before))
        self.minimal = Session.windows_path(args.minimal)
        self.bench_probe = os.path.abspath(args.bench_probe)
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
    def start_timed(self, exe, *args):
        line = self.probe.one("startup", exe, 30000, *args, timeout=60)
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
    def verdict(self, ok):
        self.failed |= not ok
        return ok

    def judge(self, ok):
        """The verdict on a figure of ours; one of the earlier program's is
        shown but does not make the run fail."""
        return ok if ROW_TAG else self.verdict(ok)

    def size(self):
        global ROW_TAG
        for tag, _, path in self.programs:
            ROW_TAG = tag
            self.size_of(path)
        ROW_TAG = ""

    def size_of(self, path):
        size = os.path.getsize(path)
        row("brivane.exe size", "%d bytes (%s)" % (size, kib(size)), "goal <= %d KB" % (SIZE_TARGET // 1024),
            self.judge(size <= SIZE_TARGET))
        # -static: every DLL it imports must be one that Windows itself
        # provides (here: one that the Wine prefix has in system32).
        objdump = shutil.which("x86_64-w64-mingw32-objdump") or "objdump"
        out = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
        dlls = [line.split(":", 1)[1].strip() for line in out.splitlines() if "DLL Name:" in line]
        system32 = os.path.join(self.session.prefix, "drive_c", "windows", "system32")
        present = {name.lower() for name in os.listdir(system32)}
        foreign = [d for d in dlls if d.lower() not in present]
        row("  DLLs imported", "%d, all the system's" % len(dlls) if not foreign else "not the system's: " +
            ", ".join(foreign), " ".join(sorted(d.lower() for d in dlls)), self.judge(not foreign))

    # ------------------------------------------------------------ bench probe
    def bench_call(self, *args, timeout=600):
        out = subprocess.run([self.session.wine_exec, self.bench_probe] + [str(a) for a in args],
                             env=self.session.env, capture_output=True, timeout=timeout,
                             stdin=subprocess.DEVNULL).stdout.decode("utf-8", "replace")
        lines = [line.rstrip("\r") for line in out.splitlines()]
        if "ok" not in lines:
            raise AssertionError("bench-probe %s: %s" % (" ".join(str(a) for a in args), out.strip()))
        return lines[lines.index("ok") - 1].split("\t")

    def startup(self):
        runs = self.args.runs
        # (name, exe, arguments): the minimal program with its one call, with
        # Brivane's twelve, and each brivane.exe.
        minimals = [("minimal", self.minimal, []), ("minimal12", self.minimal, [TRAY_CALLS_SWITCH])]
        programs = minimals + [(tag or "brivane", exe, []) for tag, exe, _ in self.programs]
        results = {name: [] for name, _, _ in programs}
        icons = {name: [] for name, _, _ in programs}
        memory = {name: [] for name, _, _ in programs}
        # One warm-up of each, not counted, then alternately. Each round starts
        # with the next program, so that none always follows the same one, and
        # each start waits a second after the last program's exit: a start
        # while the shell and the X server still clean up after another
        # program takes up to twice as long.
        for i in range(runs + 1):
            for name, exe, args in programs[i % len(programs):] + programs[:i % len(programs)]:
                time.sleep(1.0)
                pid, icon, idle = self.start_timed(exe, *args)
                if icon < 0 or idle < 0:
                    raise AssertionError("%s: no icon or no idle within 30 s (%s, %s)" % (name, icon, idle))
                minimal = name.startswith("minimal")
                if not minimal:
                    app = Brivane(self.probe, exe, pid=pid)
                    app.wait_tip(HIDE_TIP)
                time.sleep(0.5)  # settled: what stays committed after start-up
                if i > 0:
                    results[name].append(max(icon, idle))
                    icons[name].append(icon)
                    memory[name].append(self.memory(pid))
                if not minimal:
                    if app.exit_through_menu() != 0:
                        raise AssertionError("brivane.exe did not end with exit code 0")
                else:
                    self.close_minimal(pid)
        global ROW_TAG

        def spread(name):
            """The middle half of a program's starts: how much the machine
            moved the figures in this run."""
            q = statistics.quantiles(results[name], n=4)
            return "middle half %.0f-%.0f ms" % (q[0], q[2])
        m = statistics.median(results["minimal"])
        m12 = statistics.median(results["minimal12"])
        row("start to icon + idle loop, minimal (median)", "%.0f ms" % m,
            "(%d runs; icon at %.0f ms; %s)" % (runs, statistics.median(icons["minimal"]), spread("minimal")))
        row("  the same making Brivane's 12 tray calls", "%.0f ms" % m12,
            "(icon at %.0f ms; %s)" % (statistics.median(icons["minimal12"]), spread("minimal12")))
        for tag, _, _ in self.programs:
            ROW_TAG = tag
            b = statistics.median(results[tag or "brivane"])
            row("start to icon + idle loop, brivane (median)", "%.0f ms" % b,
                "(%d runs; icon at %.0f ms; %s)" % (runs, statistics.median(icons[tag or "brivane"]),
                                                    spread(tag or "brivane")))
            row("  ratio brivane / minimal", "%.2fx" % (b / m))
            ratio = b / m12
            row("  ratio brivane / minimal with 12 calls", "%.2fx" % ratio, "goal <= %.1fx" % STARTUP_RATIO_TARGET,
                self.judge(ratio <= STARTUP_RATIO_TARGET))
        ROW_TAG = ""
        mm = statistics.median(memory["minimal"])
        row("committed memory after start, minimal", kib(mm), "(PagefileUsage, median)")
        row("  the same making Brivane's 12 tray calls", kib(statistics.median(memory["minimal12"])))
        for tag, _, _ in self.programs:
            ROW_TAG = tag
            mb = statistics.median(memory[tag or "brivane"])
            row("committed memory after start, brivane", kib(mb), "+%s over the minimal program" % kib(mb - mm))
            row("  ratio brivane / minimal", "%.2fx" % (mb / mm), "goal <= %.1fx" % MEMORY_RATIO_TARGET,
                self.judge(mb / mm <= MEMORY_RATIO_TARGET))
        ROW_TAG = ""

    def each_program(self, figures):
        """figures(exe) for our brivane.exe, then for the earlier one."""
        global ROW_TAG
        try:
            for tag, exe, _ in self.programs:
                ROW_TAG = tag
                figures(exe)
        finally:
            ROW_TAG = ""

    def program_figures(self, exe):
        self.show_desktop()
        self.running(exe)
        self.show_desktop()
        self.menus(exe)

    def show_desktop(self):
        """Each copy starts with the desktop shown: one that had to be killed
        may have left it hidden."""
        if not self.fixture.visible():
            self.probe.one("show", "%x" % self.fixture.progman, 9)
            self.probe.one("show", "%x" % self.fixture.listview, 9)

    def running(self, exe):
        app = Brivane(self.probe, exe)
        app.wait_tip(HIDE_TIP)
        try:
            self.toggle_cost(app)
            self.cycles(app)
            self.watchdog()
            self.idle_cpu(app)
            self.wakeups(app, exe)
        finally:
            if not app.exited():
                app.stop()

    def toggle_cost(self, app):
        pairs = self.args.pairs
        ms = self.toggles(app, 2 * pairs) / pairs
        app.wait_tip(HIDE_TIP)
        # The same ShowWindow and SystemParametersInfo calls, made by the
        # probe: what any program doing this job pays under Wine.
        desktop = float(self.probe.one("pairs", "%x" % self.fixture.progman, self.wallpaper, harness.PATTERN, pairs,
                                       timeout=600))
        tray = float(self.probe.one("trayupdates", pairs, timeout=600))
        floor = desktop + tray
        row("hide + show pair (WM_HOTKEY x2, sent)", "%.1f ms" % ms, "(%d pairs)" % pairs)
        row("  its platform calls alone (probe)", "%.1f ms" % floor, "overhead %.1f ms" % (ms - floor))
        row("    desktop window, pattern, wallpaper", "%.1f ms" % desktop)
        row("    tray icon (6 NIM_MODIFY), desktop key", "%.1f ms" % tray)
        row("  ratio brivane / probe", "%.2fx" % (ms / floor), "goal <= %.1fx" % TOGGLE_RATIO_TARGET,
            self.judge(ms / floor <= TOGGLE_RATIO_TARGET))

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

    # ------------------------------------------------------------ menu at scale
    def make_entries(self, count):
        """Exactly count bench entries (empty files of a few types) in the
        user's Desktop folder, beside what is there already."""
        folder, _ = self.session.user_folder("Desktop")
        present = {name for name in os.listdir(folder) if name.startswith(MENU_ENTRY_PREFIX)}
        wanted = {"%s%05d%s" % (MENU_ENTRY_PREFIX, i, MENU_ENTRY_EXTENSIONS[i % len(MENU_ENTRY_EXTENSIONS)])
                  for i in range(count)}
        for name in present - wanted:
            os.remove(os.path.join(folder, name))
        for name in wanted - present:
            open(os.path.join(folder, name), "w").close()

    def menu_times(self, tray_window, pid, warm_ups, rounds):
        """Openings of the tray menu (ms), the warm-up ones left out."""
        times = [float(t) for t in self.bench_call("menu", "%x" % tray_window, pid, warm_ups + rounds)]
        return times[warm_ups:]

    def menus(self, exe):
        rounds, warm_ups = self.args.menu_rounds, self.args.menu_warm_ups
        _, windows_folder = self.session.user_folder("Desktop")
        self.make_entries(1000)
        app = Brivane(self.probe, exe)
        try:
            app.wait_tip(HIDE_TIP)
            time.sleep(0.5)
            at_start = self.memory(app.pid)
            tray_window = self.tray_window(app)
            self.toggles(app, 1)
            app.wait_tip(SHOW_TIP)
            time.sleep(0.3)
            hidden = self.memory(app.pid)
            self.bench_call("menu", "%x" % tray_window, app.pid, 1)
            time.sleep(0.3)
            after_menu = self.memory(app.pid)
            # The first opening also makes the shell build its system image
            # list (the program binds it on first use) and add the entries'
            # icons to it: that stays, shared by the process. A second opening
            # shows whether what an opening builds goes when it closes.
            self.bench_call("menu", "%x" % tray_window, app.pid, 1)
            time.sleep(0.3)
            after_second = self.memory(app.pid)
            row("committed memory after start (fresh copy)", kib(at_start))
            row("  after the first 1,000-entry menu closed", kib(after_menu),
                "%+.0f KB (hiding alone %+.0f KB); goal <= +1024 KB" % ((after_menu - at_start) / 1024.0,
                                                                        (hidden - at_start) / 1024.0),
                self.judge(after_menu - at_start <= MENU_MEMORY_TARGET))
            row("  after a second one closed", kib(after_second),
                "%+.0f KB over the first (what an opening leaves behind)" % ((after_second - after_menu) / 1024.0))
            before, after = (int(kb) for kb in self.bench_call("floormem", windows_folder))
            row("  the floor loop's first round, fresh process", kib(1024 * after),
                "%+.0f KB over its %s before it (the shell's part)" % (after - before, kib(1024 * before)))

            figures = []
            for size in MENU_SIZES:
                self.make_entries(size)
                floor = self.bench_call("floor", windows_folder, warm_ups, rounds)
                entries = int(floor[0])
                floor_ms = statistics.median(float(t) for t in floor[1:])
                menu_ms = statistics.median(self.menu_times(tray_window, app.pid, warm_ups, rounds))
                figures.append((size, entries, menu_ms, floor_ms))
            print("  tray menu of desktop entries, median of %d openings after %d unmeasured (post of the"
                  " right-button press to the menu on screen)" % (rounds, warm_ups))
            print("  against the floor loop in another process (FindFirstFileW + SHGetFileInfoW per entry):")
            for size, entries, menu_ms, floor_ms in figures:
                ratio = menu_ms / floor_ms
                target = MENU_RATIO_TARGET if size == 1000 else None
                row("  %d entries (%d in the folder)" % (size, entries),
                    "%.1f ms, %.1f us/entry" % (menu_ms, 1000.0 * menu_ms / entries),
                    "floor %.1f ms, %.1f us/entry: %.2fx%s" % (
                        floor_ms, 1000.0 * floor_ms / entries, ratio,
                        "; goal <= %.1fx" % target if target else ""),
                    self.judge(ratio <= target) if target else None)
            (_, e0, m0, f0), (_, e1, m1, f1), (_, e2, m2, f2) = figures
            low, high = (m1 - m0) / (e1 - e0), (m2 - m1) / (e2 - e1)
            floor_low, floor_high = (f1 - f0) / (e1 - e0), (f2 - f1) / (e2 - e1)
            row("  one more entry at 100-1,000 / 1,000-5,000", "%.0f / %.0f us: %.2fx" % (
                1000 * low, 1000 * high, high / low), "linear: goal <= %.1fx" % MENU_LINEARITY_TARGET,
                self.judge(high / low <= MENU_LINEARITY_TARGET))
            row("    the floor loop likewise", "%.0f / %.0f us: %.2fx" % (
                1000 * floor_low, 1000 * floor_high, floor_high / floor_low),
                "(what the platform itself does)")
        finally:
            app.stop()
            self.make_entries(0)

    # ------------------------------------------------------------ wake-ups
    def wakeups(self, app, exe):
        """Wake-ups of brivane.exe's threads while idle, beside the minimal
        tray program idling over the same seconds: bursts of system calls
        seen by strace, and the voluntary context switches in /proc."""
        seconds = self.args.idle
        if app.tip() != HIDE_TIP:
            self.toggles(app, 1)
            app.wait_tip(HIDE_TIP)
        minimal = self.probe.launch(self.minimal)
        tracers = {}
        traces = {}
        try:
            if not self.probe.idle(minimal, 30000):
                raise AssertionError("the minimal tray program did not go idle")
            pids = {"minimal": unix_pid(self.minimal), "brivane": unix_pid(exe)}
            strace = shutil.which("strace")
            if strace:
                for name, pid in pids.items():
                    traces[name] = os.path.join(self.session.build_tree, "bench-wakeups-%s.strace" % name)
                    tracers[name] = subprocess.Popen([strace, "-f", "-ttt", "-qq", "-o", traces[name], "-p", str(pid)],
                                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                                     stderr=subprocess.DEVNULL)
            time.sleep(1.0)  # strace attached to every thread
            start = time.time()
            before = {name: context_switches(pid) for name, pid in pids.items()}
            time.sleep(seconds)
            after = {name: context_switches(pid) for name, pid in pids.items()}
            end = time.time()
        finally:
            for tracer in tracers.values():
                tracer.terminate()
                tracer.wait()
            self.close_minimal(minimal)
        print("  wake-ups while idle, %d s, desktop shown, beside the minimal tray program in the same seconds:"
              % seconds)
        print("  a wake-up is a burst of system calls by one thread after >= %.0f ms asleep (strace -f of the"
              % (WAKEUP_GAP_S * 1000))
        print("  Wine process); voluntary context switches (/proc/<pid>/task/*/status) count each wineserver")
        print("  request of a wake-up too")
        counts = {}
        for name in ("minimal", "brivane"):
            rows = switches_since(before[name], after[name])
            switches = sum(r[0] for r in rows)
            if name in traces:
                bursts = wakeup_bursts(traces[name], start, end)
                os.remove(traces[name])
                counts[name] = sum(bursts.values())
                detail = ", ".join("thread %d: %d" % (tid, n) for tid, n in sorted(bursts.items()) if n)
                row("  %s" % name, "%d wake-ups (%.2f/s)" % (counts[name], counts[name] / float(seconds)),
                    "%d context switches; %s" % (switches, detail or "no thread woke"))
            else:
                row("  %s" % name, "%d context switches" % switches, "(no strace: wake-ups not counted)")
        if "brivane" in counts:
            allowed = WATCHDOG_HZ * seconds + 1
            row("  brivane, wake-ups", "%d" % counts["brivane"],
                "goal: the watchdog's tick alone, <= %d" % allowed, self.judge(counts["brivane"] <= allowed))

def unix_pid(windows_exe):
    """The Unix process of a running Wine program, by its command line's
    first argument (Wine puts the Windows command line there)."""
    wanted = windows_exe.lower()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                argv0 = f.read().split(b"\0")[0].decode("utf-8", "replace").strip('"')
        except OSError:
            continue
        if argv0.lower() == wanted:
            found.append(int(entry))
    if len(found) != 1:
        raise AssertionError("%d Unix processes run %s" % (len(found), windows_exe))
    return found[0]


def wakeup_bursts(path, start, end):
    """{tid: wake-ups} from an strace -f -ttt log: system calls of a thread
    after at least WAKEUP_GAP_S without one, counted between start and end."""
    last = {}
    bursts = {}
    with open(path, errors="replace") as f:
        for line in f:
            fields = line.split(None, 2)
            if len(fields) < 2:
                continue
            try:
                tid, stamp = int(fields[0]), float(fields[1])
            except ValueError:
                continue
            previous = last.get(tid)
            last[tid] = stamp
            bursts.setdefault(tid, 0)
            if previous is not None and stamp - previous >= WAKEUP_GAP_S and start <= stamp <= end:
                bursts[tid] += 1
    return bursts


def context_switches(pid):
    """Per thread of a Unix process: {tid: (name, voluntary, involuntary)}."""
    result = {}
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, tid)) as f:
                fields = dict(line.rstrip("\n").split(":\t", 1) for line in f if ":\t" in line)
        except OSError:
            continue  # the thread ended
        result[int(tid)] = (fields.get("Name", "?"), int(fields["voluntary_ctxt_switches"]),
                            int(fields["nonvoluntary_ctxt_switches"]))
    return result


def switches_since(before, after):
    """Voluntary switches per thread between two samples, busiest first."""
    rows = []
    for tid, (name, voluntary, _) in after.items():
        rows.append((voluntary - before.get(tid, (name, 0, 0))[1], tid, name))
    return sorted(rows, reverse=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quick", action="store_true", help="fewer runs, shorter idle time")
    parser.add_argument("--idle", type=int, help="seconds of idle CPU measurement per state (60, quick 10)")
    parser.add_argument("--before", metavar="BRIVANE.EXE", help="an earlier brivane.exe to measure beside ours")
    parser.add_argument("--startup", action="store_true", help="only the size and the start-up figures")
    parser.add_argument("brivane")
    parser.add_argument("fixture")
    parser.add_argument("probe")
    parser.add_argument("minimal")
    parser.add_argument("bench_probe")
    args = parser.parse_args()
    args.runs = 3 if args.quick else 21
    args.pairs = 20 if args.quick else 100
    args.cycles = 200 if args.quick else 1000
    args.menus = 40 if args.quick else 200
    args.ticks = 200 if args.quick else 1000
    args.menu_rounds = 1 if args.quick else 5
    args.menu_warm_ups = 0 if args.quick else 1
    if args.idle is None:
        args.idle = 10 if args.quick else 60

    bench = Bench(args)
    print("Brivane under Wine (%s)" % ("quick" if args.quick else "full"))
    bench.size()
    bench.set_up()
    try:
        bench.startup()
        if not args.startup:
            bench.each_program(bench.program_figures)
    finally:
        bench.tear_down()
    return 1 if bench.failed else 0


if __name__ == "__main__":
    sys.exit(main())
