"""Shared machinery of the end-to-end drivers: the Wine session, the probe
inside it, the desktop fixture, brivane.exe, X input and screenshots.

A driver is run by ctest as

    python3 <driver>.py <brivane.exe> <desktop-fixture.exe> <probe.exe>

with BRIVANE_WINE_ENV, BRIVANE_WINE_EXEC and BRIVANE_BUILD_TREE in its
environment (see tests/CMakeLists.txt). Everything the drivers observe is
observed from outside the program: through probe.exe (Win32 calls made from
another process in the same Wine session), the X server and the Unix
processes.
"""

import os
import select
import struct
import subprocess
import sys
import time
import unittest
from collections import namedtuple

HIDE_TIP = "Click to hide desktop"
SHOW_TIP = "Click to show desktop. Right click For menu"
TRAY_CALLBACK = 0x0800
WM_CLOSE = 0x0010
WM_ENDSESSION = 0x0016
WM_HOTKEY = 0x0312
WM_NULL = 0x0000
WM_COMMAND = 0x0111
IDOK, IDCANCEL = 1, 2
SM_CXDOUBLECLK = 36
WS_MINIMIZE = 0x20000000
WM_RBUTTONDOWN = 0x0204
HOTKEY_ID = 100000  # and MOD_CONTROL + VK_F12 in WM_HOTKEY's lParam:
HOTKEY_LPARAM = 0x007B0002
VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN = 0x0D, 0x1B, 0x26, 0x28

DESKTOP_KEY = r"Control Panel\Desktop"
# Where Wine keeps system parameters set for the running logon only (without
# SPIF_UPDATEINIFILE): the values in force, as the desktop process sees them.
VOLATILE_DESKTOP_KEY = r"Software\Wine\Temporary System Parameters\Control Panel\Desktop"

# The test wallpaper: one colour over the whole 1024x768 screen.
WALLPAPER_RGB = (200, 40, 120)
PATTERN = "170 85 170 85 170 85 170 85"

# The window trees of the shell's desktop that the fixture can build.
LAYOUTS = ("classic", "workerw", "24h2")

Window = namedtuple("Window", "hwnd pid tid cls title visible owner rect")
TrayIcon = namedtuple("TrayIcon", "rect tip")


class ProbeError(Exception):
    pass


# How long a wait for an event may take before the test fails. Generous: the
# suite runs Wine sessions side by side with the compilers on a shared machine,
# and a wait ends as soon as its event comes.
TIMEOUT = 30.0


def wait_until(condition, timeout=TIMEOUT, interval=0.05, what="condition"):
    """Polls condition() until it returns a true value, which is returned.
    what names the condition in the failure message; a callable is asked
    then (to report the state at the time out)."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %.1f s waiting for %s" % (timeout, what() if callable(what) else what))
        time.sleep(interval)


def _rect(text):
    return tuple(int(v) for v in text.split(","))


class Session:
    """The Wine session of the build tree: its environment and programs."""

    def __init__(self):
        env_file = os.environ.get("BRIVANE_WINE_ENV")
        self.wine_exec = os.environ.get("BRIVANE_WINE_EXEC")
        self.build_tree = os.environ.get("BRIVANE_BUILD_TREE")
        if not (env_file and self.wine_exec and self.build_tree):
            sys.exit("run through ctest, or set BRIVANE_WINE_ENV, BRIVANE_WINE_EXEC and BRIVANE_BUILD_TREE")
        # wine-exec starts the session when none runs (a driver run by hand).
        subprocess.run([os.path.join(os.path.dirname(self.wine_exec), "session"), "ensure", self.build_tree],
                       check=True, stdin=subprocess.DEVNULL)
        self.env = dict(os.environ)
        with open(env_file) as f:
            for line in f:
                key, _, value = line.rstrip("\n").partition("=")
                if key:
                    self.env[key] = value
        self.display = self.env["DISPLAY"]
        self.prefix = self.env["WINEPREFIX"]
        self.click_side = 1

    @staticmethod
    def windows_path(path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def user_folder(self, name):
        users = os.path.join(self.prefix, "drive_c", "users")
        for user in sorted(os.listdir(users)):
            if user != "Public" and os.path.isdir(os.path.join(users, user, name)):
                return os.path.join(users, user, name), "C:\\users\\%s\\%s" % (user, name)
        raise AssertionError("no user folder %s in %s" % (name, users))

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=20,
                       stdin=subprocess.DEVNULL)

    def click(self, x, y, button):
        self.xdotool("mousemove", x, y, "click", button)
        # Away from the icon, so that its tooltip does not linger on screen.
        self.xdotool("mousemove", 512, 300)

    def key(self, combo):
        self.xdotool("key", combo)

    def screen_pixels(self, x, y, w, h):
        """RGB triples of a screen region, row by row."""
        data = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", "-depth", "8",
                               "ppm:-"], env=self.env, check=True, capture_output=True, timeout=30).stdout
        # P6 header: magic, width, height, maxval, each followed by whitespace.
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            start = pos
            while not data[pos:pos + 1].isspace():
                pos += 1
            fields.append(data[start:pos])
        pos += 1
        width, height = int(fields[1]), int(fields[2])
        pixels = data[pos:pos + width * height * 3]
        return [tuple(pixels[i:i + 3]) for i in range(0, len(pixels), 3)]

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True, timeout=30)

    def write_wallpaper(self):
        """A 1024x768 one-colour .bmp in the user's Pictures; its Windows path."""
        folder, windows_folder = self.user_folder("Pictures")
        width, height = 1024, 768
        r, g, b = WALLPAPER_RGB
        image = bytes((b, g, r)) * width * height
        header = struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54)
        header += struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
        with open(os.path.join(folder, "brivane-e2e-wallpaper.bmp"), "wb") as f:
            f.write(header + image)
        return windows_folder + "\\brivane-e2e-wallpaper.bmp"


class Probe:
    """probe.exe serving commands in the session, one line each."""

    def __init__(self, session, exe):
        self.session = session
        self.process = subprocess.Popen([session.wine_exec, exe, "serve"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=session.env)
        self.buffer = b""
        if self.call("ping") != ["pong"]:
            raise ProbeError("the probe did not answer")

    def close(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write(b"quit\n")
                self.process.stdin.flush()
                self.process.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()

    def _line(self, deadline):
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise ProbeError("the probe did not answer in time")
            ready, _, _ = select.select([self.process.stdout], [], [], left)
            if ready:
                chunk = os.read(self.process.stdout.fileno(), 65536)
                if not chunk:
                    raise ProbeError("the probe ended")
                self.buffer += chunk
        line, _, self.buffer = self.buffer.partition(b"\n")
        return line.decode("utf-8", "replace")

    def call(self, *args, timeout=30):
        """Runs one command; returns its data lines, raises ProbeError on "err"."""
        text = "\t".join(str(a) for a in args)
        self.process.stdin.write(text.encode("utf-8") + b"\n")
        self.process.stdin.flush()
        deadline = time.monotonic() + timeout
        lines = []
        while True:
            line = self._line(deadline)
            if line == "ok":
                return lines
            if line.startswith("err"):
                raise ProbeError("%s: %s" % (text, line[4:]))
            lines.append(line)

    def one(self, *args, **kwargs):
        lines = self.call(*args, **kwargs)
        return lines[0] if lines else ""

    # Windows
    def windows(self):
        result = []
        for line in self.call("windows"):
            f = line.split("\t")
            result.append(Window(int(f[0], 16), int(f[1]), int(f[2]), f[3], f[4], f[5] == "1", int(f[6], 16),
                                 _rect(f[7])))
        return result

    def find(self, cls=None, title=None):
        return int(self.one("find", cls or "-", title or "-"), 16)

    def visible(self, hwnd):
        return self.one("visible", "%x" % hwnd) == "1"

    def is_window(self, hwnd):
        return self.one("iswindow", "%x" % hwnd) == "1"

    def post(self, hwnd, msg, wparam=0, lparam=0):
        self.call("post", "%x" % hwnd, msg, wparam, lparam)

    def send(self, hwnd, msg, wparam=0, lparam=0, timeout_ms=10000):
        return int(self.one("send", "%x" % hwnd, msg, wparam, lparam, timeout_ms))

    def menu(self):
        return int(self.one("menu"), 16)

    def keys(self, hwnd, *vks):
        self.call("keys", "%x" % hwnd, *vks)

    def tray(self):
        result = []
        for line in self.call("tray"):
            rect, _, tip = line.partition("\t")
            result.append(TrayIcon(_rect(rect), tip))
        return result

    def taskbar_up(self):
        self.call("taskbar-up")

    # Registry and system parameters
    def reg_get(self, key, name):
        """(type, bytes) of a value under HKCU, or None when it is missing."""
        line = self.one("regget", key, name)
        if line == "missing":
            return None
        value_type, _, data = line.partition("\t")
        return int(value_type), bytes.fromhex(data)

    def reg_set(self, key, name, value):
        if value is None:
            self.call("regdel", key, name)
        else:
            self.call("regset", key, name, value[0], value[1].hex())

    def reg_string(self, key, name):
        value = self.reg_get(key, name)
        if value is None:
            return None
        return value[1].decode("utf-16-le").split("\0")[0]

    def spi(self, what, text, flags):
        self.call("spi", what, text, flags)

    # Hot key, processes
    def hotkey(self, action, modifiers=None, vk=None):
        """Ctrl+F12, or the key given as RegisterHotKey takes it."""
        return self.one("hotkey", action, *([modifiers, vk] if vk else []))

    def launch(self, exe, *args):
        return int(self.one("launch", exe, *args))

    def wait_exit(self, pid, timeout_ms):
        code = self.one("wait", pid, timeout_ms, timeout=timeout_ms / 1000.0 + 30)
        return None if code == "running" else int(code)

    def idle(self, pid, timeout_ms):
        return self.one("idle", pid, timeout_ms, timeout=timeout_ms / 1000.0 + 30) == "idle"

    def kill(self, pid):
        self.call("kill", pid)


class DesktopFixture:
    """desktop-fixture.exe: the shell's desktop windows with their list view,
    in one of the LAYOUTS."""

    def __init__(self, probe, exe, hidden=False, layout="classic"):
        self.probe = probe
        self.layout = layout
        args = ["--for", "600", "--layout", layout] + (["--hidden"] if hidden else [])
        self.pid = probe.launch(exe, *args)
        self.progman = 0
        self._find_windows(0)

    def _find_windows(self, old_progman):
        """Waits for a Progman of the fixture other than old_progman, then
        finds the list view ("FolderView") wherever the layout keeps it."""
        self.progman = wait_until(lambda: self._own("Progman", "Program Manager", old_progman), TIMEOUT,
                                  what="the fixture's Progman window")
        self.listview = wait_until(self._find_listview, TIMEOUT, what="the fixture's list view")

    def _own(self, cls, title, other_than=0):
        for w in self.probe.windows():
            if w.pid == self.pid and w.cls == cls and w.title == title and w.hwnd != other_than:
                return w.hwnd
        return 0

    def _find_listview(self):
        hosts = [w.hwnd for w in self.probe.windows() if w.pid == self.pid and w.cls in ("Progman", "WorkerW")]
        for host in hosts:
            defview = self._child(host, "SHELLDLL_DefView")
            if defview:
                self.defview = defview
                return self._child(defview, "SysListView32")
        return 0

    def _child(self, parent, cls):
        for line in self.probe.call("children", "%x" % parent):
            f = line.split("\t")
            if f[3] == cls:
                return int(f[0], 16)
        return 0

    def visible(self):
        """The desktop and its icons are on screen."""
        return self.probe.visible(self.progman) and self.probe.visible(self.listview)

    def hidden(self):
        """Neither the desktop window nor its icons are on screen."""
        return not self.probe.visible(self.progman) and not self.probe.visible(self.listview)

    def text_colour(self):
        return int(self.probe.one("lvcolour", "%x" % self.listview, 1).split("\t")[0], 16)

    def restart(self):
        """Restarts as Explorer does: new desktop windows, then "TaskbarCreated"."""
        old = self.progman
        self.probe.post(old, int(self.probe.one("regmsg", "BrivaneDesktopFixtureRestart")))
        self._find_windows(old)

    def close(self):
        if self.probe.wait_exit(self.pid, 0) is not None:
            return
        if self.probe.is_window(self.progman):
            self.probe.post(self.progman, WM_CLOSE)
        if self.probe.wait_exit(self.pid, 10000) is None:
            self.probe.kill(self.pid)


class Brivane:
    """A running copy of brivane.exe, started by the probe."""

    def __init__(self, probe, exe, wait_ready=True, pid=None):
        """Starts a copy, or with pid takes one that the probe started."""
        self.probe = probe
        self.exe = exe
        self.pid = pid if pid is not None else probe.launch(exe)
        self.main_window = 0
        self.app_window = 0
        if wait_ready:
            self.wait_ready()

    def wait_ready(self, timeout=30):
        wait_until(lambda: self.probe.idle(self.pid, 1000) or self.exited(), timeout, what="brivane.exe to go idle")
        if self.exited():
            raise AssertionError("brivane.exe ended at start-up with exit code %s" % self.exit_code(0))
        wait_until(self.find_windows, timeout, what="brivane.exe's windows")
        wait_until(self.icon, timeout, what="brivane.exe's tray icon")

    def find_windows(self):
        mine = [w for w in self.probe.windows() if w.pid == self.pid]
        apps = [w for w in mine if w.cls == "TApplication" and w.title == "Brivane"]
        if not apps:
            return False
        self.app_window = apps[0].hwnd
        forms = [w for w in mine if w.cls == "TForm" and w.owner == self.app_window]
        if not forms:
            return False
        self.main_window = forms[0].hwnd
        return True

    def own_windows(self):
        return [w for w in self.probe.windows() if w.pid == self.pid]

    def exited(self):
        return self.probe.wait_exit(self.pid, 0) is not None

    def exit_code(self, timeout_ms=20000):
        return self.probe.wait_exit(self.pid, timeout_ms)

    def icon(self):
        """The program's tray icon: the one whose tip is one of its two hints."""
        icons = [i for i in self.probe.tray() if i.tip in (HIDE_TIP, SHOW_TIP)]
        return icons[0] if len(icons) == 1 else None

    def tip(self):
        icon = self.icon()
        return icon.tip if icon else None

    def wait_tip(self, tip, timeout=TIMEOUT):
        wait_until(lambda: self.tip() == tip, timeout, what=lambda: "the tray tip %r (it is %r)" % (tip, self.tip()))

    def click_icon(self, session, button=1):
        """A real click through the X server on the icon in the taskbar.
        Successive clicks alternate between two points of the icon further
        apart than the double-click rectangle (SM_CXDOUBLECLK), so that two
        clicks never make a double click however close in time."""
        self.probe.taskbar_up()
        icon = wait_until(self.icon, TIMEOUT, what="the tray icon")
        left, top, right, bottom = icon.rect
        x, y = (left + right) // 2, (top + bottom) // 2
        offset = int(self.probe.one("metric", SM_CXDOUBLECLK)) // 2 + 1
        if 2 * offset >= right - left:
            raise AssertionError("the icon is too narrow to keep two clicks apart")
        session.click_side = -session.click_side
        session.click(x + session.click_side * offset, y, button)

    def still_running(self):
        """Whether the program still runs once it has handled everything sent
        or posted to it before: two round trips through its message queue
        (a quit posted meanwhile ends the loop before the second)."""
        try:
            for _ in range(2):
                self.probe.send(self.main_window, WM_NULL)
        except ProbeError:
            return False
        return not self.exited()

    def open_menu(self, session):
        """Opens the tray menu with a real right click; returns its window."""
        self.click_icon(session, 3)
        return wait_until(self.own_menu, TIMEOUT, what="the tray menu")

    def own_menu(self):
        hwnd = self.probe.menu()
        if not hwnd:
            return 0
        for w in self.probe.windows():
            if w.hwnd == hwnd and w.pid == self.pid:
                return hwnd
        return 0

    def choose(self, menu, *vks):
        """Drives the open menu with posted keys and waits until it closes."""
        self.probe.keys(menu, *vks)
        wait_until(lambda: not self.probe.visible(menu), TIMEOUT, what="the menu to close")

    def utility_windows(self):
        return [w.hwnd for w in self.own_windows() if w.cls == "TPUtilWindow"]

    def post_right_button(self):
        """Opens the tray menu as the shell would, by the callback message
        with a right-button press, posted to the program's hidden utility
        windows: the tray icon's one opens the menu, the timers' ones let the
        message pass. Returns the menu's window."""
        for hwnd in self.utility_windows():
            self.probe.post(hwnd, TRAY_CALLBACK, 1, WM_RBUTTONDOWN)
        return wait_until(self.own_menu, TIMEOUT, what="the tray menu")

    def exit_through_menu(self, session=None):
        """"Exit", the last item, chosen in the tray menu (opened by a real
        right click with a session, else by posted messages); the exit code."""
        menu = self.open_menu(session) if session else self.post_right_button()
        self.probe.keys(menu, VK_UP, VK_RETURN)
        return self.exit_code()

    def stop(self):
        """Clean-up: the desktop shown again and the program ended, by its own
        Exit where possible."""
        if self.exited():
            return
        try:
            if self.main_window:
                self.probe.send(self.main_window, WM_ENDSESSION, 1, 0)
            menu = self.own_menu()
            if menu:
                self.choose(menu, VK_ESCAPE)
            if self.exit_through_menu() is not None:
                return
        except (AssertionError, ProbeError):
            pass
        self.probe.kill(self.pid)


class E2ETestCase(unittest.TestCase):
    """One probe, one desktop fixture and a wallpaper and pattern in the
    user's settings for every test; all put back afterwards."""

    session = None
    probe = None
    brivane_path = brivane_exe = fixture_exe = fixture_path = probe_exe = None
    fixture_hidden = False

    @classmethod
    def setUpClass(cls):
        cls.session = Session()
        cls.probe = Probe(cls.session, cls.probe_exe)
        cls.wallpaper_path = cls.session.write_wallpaper()

    @classmethod
    def tearDownClass(cls):
        cls.probe.close()

    def setUp(self):
        self.started = []
        self.saved = {(key, name): self.probe.reg_get(key, name)
                      for key in (DESKTOP_KEY, VOLATILE_DESKTOP_KEY) for name in ("Wallpaper", "Pattern")}
        self.addCleanup(self.restore_settings)
        # The user's settings, written and put in force as a settings dialog
        # would: Wine then shows the wallpaper on its desktop.
        self.probe.spi("wallpaper", self.wallpaper_path, 3)
        self.probe.spi("pattern", PATTERN, 3)
        self.stored = self.stored_settings()
        self.assertEqual(self.probe.reg_string(DESKTOP_KEY, "Wallpaper"), self.wallpaper_path)
        self.assertEqual(self.probe.reg_string(DESKTOP_KEY, "Pattern"), PATTERN)
        self.fixture = DesktopFixture(self.probe, self.fixture_exe, hidden=self.fixture_hidden)
        self.addCleanup(self.fixture.close)

    def restore_settings(self):
        self.probe.spi("wallpaper", "", 3)
        self.probe.spi("pattern", "", 3)
        for (key, name), value in self.saved.items():
            self.probe.reg_set(key, name, value)

    def use_layout(self, layout, hidden=False):
        """Replaces the test's desktop fixture by one with that layout."""
        self.fixture.close()
        self.fixture = DesktopFixture(self.probe, self.fixture_exe, hidden=hidden, layout=layout)
        self.addCleanup(self.fixture.close)

    def start_brivane(self, wait_ready=True, exe=None):
        # Stopped at the end of the test even when it never gets ready: a
        # copy left running would hold the mutex, and every later copy would
        # end at once.
        app = Brivane(self.probe, exe or self.brivane_exe, wait_ready=False)
        self.started.append(app)
        self.addCleanup(app.stop)
        if wait_ready:
            app.wait_ready()
        return app

    def stored_settings(self):
        """The user's stored wallpaper and pattern, as raw registry data."""
        return {name: self.probe.reg_get(DESKTOP_KEY, name) for name in ("Wallpaper", "Pattern")}

    def in_force(self):
        """The wallpaper and pattern in force for the running logon: Wine's
        logon-only value when one is set, else the stored one."""
        result = {}
        for name in ("Wallpaper", "Pattern"):
            value = self.probe.reg_string(VOLATILE_DESKTOP_KEY, name)
            result[name] = value if value is not None else self.probe.reg_string(DESKTOP_KEY, name)
        return result

    def wallpaper_seen_by_a_new_process(self):
        """SPI_GETDESKWALLPAPER in a process started now (a running process
        keeps the value it read first)."""
        out = subprocess.run([self.session.wine_exec, self.probe_exe, "wallpaper"], env=self.session.env,
                             capture_output=True, timeout=60, check=True).stdout.decode("utf-8", "replace")
        lines = out.split("\n")
        self.assertEqual(lines[1], "ok")
        return lines[0]

    def wallpaper_on_screen(self):
        """True when the middle of the screen shows the test wallpaper."""
        pixels = self.session.screen_pixels(500, 400, 4, 4)
        return all(p == WALLPAPER_RGB for p in pixels)

    def assert_hidden(self, app):
        """The desktop hidden with wallpaper and pattern cleared for the logon,
        the stored settings untouched, the tray offering to show it."""
        wait_until(self.fixture.hidden, TIMEOUT, what="the desktop window to be hidden")
        app.wait_tip(SHOW_TIP)
        self.assertEqual(self.in_force(), {"Wallpaper": "", "Pattern": ""})
        self.assertEqual(self.stored_settings(), self.stored)
        # What Wine's desktop shows once the desktop window is gone: no
        # wallpaper. Wine's desktop learns of the change from a message that
        # it may handle after it has repainted the uncovered screen with the
        # old wallpaper (Windows repaints within the call), and under load a
        # window that stays up over it (the WorkerW layout's) may keep those
        # pixels; a repaint of the desktop and its windows asked for now
        # shows what is in force.
        def no_wallpaper():
            if not self.wallpaper_on_screen():
                return True
            self.probe.call("redrawdesktop")
            return False
        wait_until(no_wallpaper, TIMEOUT, what="the wallpaper to leave the screen")

    def hot_key(self, app, *states):
        """Real Ctrl+F12 presses, each followed by the desktop's expected
        state, "hidden" or "shown"."""
        for state in states:
            self.session.key("ctrl+F12")
            (self.assert_hidden if state == "hidden" else self.assert_shown)(app)

    def assert_exit_disabled(self, app):
        """"Exit", the fifth item of the tray menu while the desktop is hidden
        (Show Desktop, Custom Icons, Settings…, About, Exit), does nothing when chosen. The
        menu closes once it has handled the keys (Return on an item that is
        disabled ends it too), so keys that never reach it fail here."""
        menu = app.open_menu(self.session)
        app.choose(menu, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN)
        self.assertTrue(app.still_running(), "Exit worked while the desktop was hidden")

    def assert_shown(self, app):
        """The desktop back, wallpaper and pattern in force again from the
        stored settings, which are byte for byte what they were."""
        wait_until(self.fixture.visible, TIMEOUT, what="the desktop window to be shown")
        app.wait_tip(HIDE_TIP)
        self.assertEqual(self.in_force(), {"Wallpaper": self.wallpaper_path, "Pattern": PATTERN})
        self.assertEqual(self.stored_settings(), self.stored)


def main(case_module_name="__main__"):
    """Entry point of a driver: the three programs from the command line. The
    driver fails unless it ran cases and all of them passed (a skipped case
    fails too, and an expected failure counts as a failure); the counts go to $BRIVANE_CASES as "passed failed skipped"."""
    if len(sys.argv) < 4:
        sys.exit("usage: %s <brivane.exe> <desktop-fixture.exe> <probe.exe> [unittest arguments]" % sys.argv[0])
    E2ETestCase.brivane_path = os.path.abspath(sys.argv[1])
    E2ETestCase.brivane_exe = Session.windows_path(sys.argv[1])
    E2ETestCase.fixture_exe = Session.windows_path(sys.argv[2])
    E2ETestCase.fixture_path = os.path.abspath(sys.argv[2])
    E2ETestCase.probe_exe = os.path.abspath(sys.argv[3])
    result = unittest.main(module=case_module_name, argv=[sys.argv[0]] + sys.argv[4:], verbosity=2,
                           exit=False).result
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses) + len(result.expectedFailures)
    skipped = len(result.skipped)
    passed = max(0, result.testsRun - failed - skipped)
    cases = os.environ.get("BRIVANE_CASES")
    if cases:
        os.makedirs(os.path.dirname(cases), exist_ok=True)
        with open(cases, "w") as f:
            f.write("%d %d %d\n" % (passed, failed, skipped))
    name = os.path.basename(sys.argv[0])
    print("%s: %d test cases passed, %d failed, %d skipped" % (name, passed, failed, skipped))
    if failed:
        sys.exit(1)
    if result.testsRun == 0:
        sys.exit("%s ran no test case" % name)
    if skipped:
        sys.exit("%s skipped %d test case(s): a case that cannot run here must fail" % (name, skipped))
