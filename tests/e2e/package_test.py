"""The packages from scripts/package: the portable zip, and the installer's
silent install, upgrade over a running copy and silent uninstall, in the
session's prefix. The packages are built afresh into a temporary folder."""

import glob
import hashlib
import os
import shutil
import subprocess
import tempfile
import zipfile

import harness
from harness import wait_until

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Brivane"
REG_SZ, REG_DWORD = 1, 4


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Packages(harness.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.dist = tempfile.mkdtemp(prefix="brivane-dist-")
        subprocess.run([os.path.join(ROOT, "scripts", "package"), "--build", cls.session.build_tree, "--no-build",
                        "--out", cls.dist], check=True, stdin=subprocess.DEVNULL, timeout=300)
        cache = read(os.path.join(cls.session.build_tree, "CMakeCache.txt")).decode()
        cls.version = [line.split("=", 1)[1] for line in cache.splitlines()
                       if line.startswith("CMAKE_PROJECT_VERSION:")][0]
        cls.setup = os.path.join(cls.dist, "Brivane-%s-setup.exe" % cls.version)
        cls.portable = os.path.join(cls.dist, "Brivane-%s-portable.zip" % cls.version)
        cls.built_exe = read(os.path.join(cls.session.build_tree, "app", "brivane.exe"))
        appdata, windows_appdata = cls.session.user_folder("AppData")
        cls.install_dir = os.path.join(appdata, "Local", "Programs", "Brivane")
        cls.windows_install_dir = windows_appdata + r"\Local\Programs\Brivane"
        cls.shortcut = os.path.join(appdata, "Roaming", "Microsoft", "Windows", "Start Menu", "Programs", "Brivane.lnk")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dist, ignore_errors=True)
        super().tearDownClass()

    def run_windows(self, exe, *args, timeout_ms=120000):
        pid = self.probe.launch(exe, *args)
        code = self.probe.wait_exit(pid, timeout_ms)
        self.assertIsNotNone(code, "%s did not end" % exe)
        return pid, code

    def installed(self, name):
        return os.path.join(self.install_dir, name)

    def uninstall(self):
        """The silent uninstaller, waited for with the copy of itself that it
        runs from %TEMP%. Windows deletes that copy at the next restart; the
        test deletes it at once."""
        temp = self.session.user_folder("Temp")[0]
        before = set(glob.glob(os.path.join(temp, "~nsu*.tmp")))
        pid, code = self.run_windows(self.windows_install_dir + r"\uninstall.exe", "/S")
        self.assertEqual(code, 0)
        self.assertNotEqual(self.probe.one("waitchildren", pid, 120000, timeout=150), "running")
        for folder in set(glob.glob(os.path.join(temp, "~nsu*.tmp"))) - before:
            shutil.rmtree(folder, ignore_errors=True)

    def uninstall_leftovers(self):
        if os.path.exists(self.installed("uninstall.exe")):
            self.uninstall()
        shutil.rmtree(self.install_dir, ignore_errors=True)

    def test_portable_zip_and_checksums(self):
        with zipfile.ZipFile(self.portable) as z:
            self.assertEqual(sorted(z.namelist()), ["README.txt", "brivane.exe"])
            self.assertEqual(z.read("brivane.exe"), self.built_exe)
            readme = z.read("README.txt").decode("utf-8")
        self.assertIn("Brivane %s" % self.version, readme)
        self.assertIn("/toggle", readme)
        sums = read(os.path.join(self.dist, "SHA256SUMS")).decode().splitlines()
        expected = ["%s  %s" % (hashlib.sha256(read(p)).hexdigest(), os.path.basename(p))
                    for p in (self.setup, self.portable)]
        self.assertEqual(sums, expected)
        self.assertEqual(sorted(os.listdir(self.dist)), sorted(os.path.basename(p) for p in
                                                                 (self.setup, self.portable)) + ["SHA256SUMS"])

    def test_install_upgrade_and_uninstall(self):
        self.assertFalse(os.path.exists(self.install_dir), "Brivane is installed already")
        self.assertEqual(self.probe.one("regkey", UNINSTALL_KEY), "0")
        self.addCleanup(self.uninstall_leftovers)
        saved_run = self.probe.reg_get(RUN_KEY, "Brivane")
        self.addCleanup(self.probe.reg_set, RUN_KEY, "Brivane", saved_run)
        windows_exe = self.windows_install_dir + r"\brivane.exe"
        setup = harness.Session.windows_path(self.setup)

        # Silent install without the option.
        self.assertEqual(self.run_windows(setup, "/S", "/NOAUTOSTART")[1], 0)
        self.assertEqual(sorted(os.listdir(self.install_dir)), ["brivane.exe", "uninstall.exe"])
        with zipfile.ZipFile(self.portable) as z:
            self.assertEqual(read(self.installed("brivane.exe")), z.read("brivane.exe"))
        self.assertTrue(os.path.isfile(self.shortcut))
        strings = {
            "DisplayName": "Brivane",
            "DisplayVersion": self.version,
            "Publisher": "Olmar",
            "DisplayIcon": windows_exe,
            "InstallLocation": self.windows_install_dir,
            "UninstallString": '"%s\\uninstall.exe"' % self.windows_install_dir,
            "QuietUninstallString": '"%s\\uninstall.exe" /S' % self.windows_install_dir,
        }
        for name, value in strings.items():
            with self.subTest(value=name):
                self.assertEqual(self.probe.reg_get(UNINSTALL_KEY, name)[0], REG_SZ)
                self.assertEqual(self.probe.reg_string(UNINSTALL_KEY, name).lower(), value.lower())
        size_type, size = self.probe.reg_get(UNINSTALL_KEY, "EstimatedSize")
        self.assertEqual(size_type, REG_DWORD)
        files = len(self.built_exe) + os.path.getsize(self.installed("uninstall.exe"))
        self.assertAlmostEqual(int.from_bytes(size, "little"), files / 1024, delta=2,
                               msg="EstimatedSize is not the size in KB")
        self.assertIsNone(self.probe.reg_get(RUN_KEY, "Brivane"))

        # An "older version" (the same program with bytes appended) runs from
        # the installation with the desktop hidden; the upgrade ends it with
        # the desktop shown and replaces it, this time with the option.
        with open(self.installed("brivane.exe"), "ab") as f:
            f.write(b"older")
        app = self.start_installed(windows_exe)
        self.assertEqual(self.run_windows(windows_exe, "/hide")[1], 0)
        self.assert_hidden(app)
        self.assertEqual(self.run_windows(setup, "/S")[1], 0)
        self.assertEqual(app.exit_code(), 0)
        self.assert_desktop_back()
        self.assertEqual(read(self.installed("brivane.exe")), self.built_exe)
        self.assertEqual(self.probe.reg_get(RUN_KEY, "Brivane")[0], REG_SZ)
        self.assertEqual(self.probe.reg_string(RUN_KEY, "Brivane").lower(), '"%s"' % windows_exe.lower())

        # The installed Brivane starts; uninstalled with the desktop hidden,
        # it shows the desktop, ends, and leaves nothing behind but the
        # user's own desktop settings.
        app = self.start_installed(windows_exe)
        self.assertEqual(self.run_windows(windows_exe, "/hide")[1], 0)
        self.assert_hidden(app)
        saved_colour = self.probe.reg_get(harness.DESKTOP_KEY, "TessikIconColour")
        self.addCleanup(self.probe.reg_set, harness.DESKTOP_KEY, "TessikIconColour", saved_colour)
        colour = (REG_DWORD, bytes((0x12, 0x34, 0x56, 0)))
        self.probe.reg_set(harness.DESKTOP_KEY, "TessikIconColour", colour)
        self.uninstall()
        self.assertEqual(app.exit_code(), 0)
        self.assert_desktop_back()
        self.assertEqual(self.probe.reg_get(harness.DESKTOP_KEY, "TessikIconColour"), colour)
        self.assertFalse(os.path.exists(self.install_dir))
        self.assertFalse(os.path.exists(self.shortcut))
        self.assertEqual(self.probe.one("regkey", UNINSTALL_KEY), "0")
        self.assertIsNone(self.probe.reg_get(RUN_KEY, "Brivane"))
        self.assertEqual(glob.glob(os.path.join(os.path.dirname(self.install_dir), "[Bb]rivane*")), [])

    def start_installed(self, windows_exe):
        app = harness.Brivane(self.probe, windows_exe, wait_ready=False)
        self.started.append(app)
        self.addCleanup(app.stop)
        app.wait_ready()
        return app

    def assert_desktop_back(self):
        wait_until(self.fixture.visible, harness.TIMEOUT, what="the desktop window to be shown")
        self.assertEqual(self.in_force(), {"Wallpaper": self.wallpaper_path, "Pattern": harness.PATTERN})
        self.assertEqual(self.stored_settings(), self.stored)


if __name__ == "__main__":
    harness.main()
