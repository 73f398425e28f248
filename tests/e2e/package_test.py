"""The packages from scripts/package: the portable zip, manifests (against
winget's published schemas) and signatures (plugins included; the same bytes
when signed twice), the release mode's refusal, and the installer's silent
install, upgrades and uninstall in the session's prefix, built afresh into
temporary folders. With --reproducible: two clean builds of brivane.exe, each
packaged, compared byte for byte."""

import glob
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

import jsonschema
import yaml

import harness
from harness import wait_until

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Brivane"
REG_SZ, REG_DWORD = 1, 4
KNOWN_DLLS = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "shell32.dll", "user32.dll"}
# The winget manifests by file name, and the schema (1.6.0) each is written to.
WINGET = {"": "version", ".installer": "installer", ".locale.en-US": "defaultLocale"}


def read(path):
    with open(path, "rb") as f:
        return f.read()


def package(build_tree, out, env=None, *options, check=True):
    return subprocess.run([os.path.join(ROOT, "scripts", "package"), *options, "--build", build_tree, "--no-build",
                           "--out", out], check=check, stdin=subprocess.DEVNULL, timeout=300, env=env,
                          capture_output=not check, text=True)


def files(folder):
    return {os.path.relpath(f, folder): read(f) for f in glob.glob(folder + "/**", recursive=True) if os.path.isfile(f)}


def reproducible():
    results = []
    for _ in range(2):
        with tempfile.TemporaryDirectory(prefix="brivane-clean-") as tree:
            subprocess.run(["cmake", "-S", ROOT, "-B", tree, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                            "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(ROOT, "cmake", "mingw-w64.cmake"),
                            "-DBRIVANE_TESTS=OFF", "-DBRIVANE_COMPILER_CACHE=OFF", "-DBRIVANE_WERROR=ON"],
                           check=True, stdout=subprocess.DEVNULL)
            subprocess.run(["cmake", "--build", tree, "--target", "brivane"], check=True, stdout=subprocess.DEVNULL)
            package(tree, os.path.join(tree, "dist"))
            results.append(dict(files(os.path.join(tree, "dist")), exe=read(os.path.join(tree, "app", "brivane.exe"))))
    assert len(results[0]) == 8, sorted(results[0])
    assert results[0] == results[1], [n for n in results[0] if results[0][n] != results[1].get(n)]
    print("the same bytes in both builds: " + ", ".join(sorted(results[0])))


class Packages(harness.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.dist = tempfile.mkdtemp(prefix="brivane-dist-")
        package(cls.session.build_tree, cls.dist)
        # Signed with a certificate of the test's own.
        cls.signed = os.path.join(cls.dist, "signed")
        key, cls.certificate, p12 = (os.path.join(cls.dist, n) for n in ("key.pem", "cert.pem", "cert.p12"))
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out",
                        cls.certificate, "-days", "2", "-subj", "/CN=Brivane test", "-addext",
                        "extendedKeyUsage=codeSigning"], check=True, capture_output=True)
        subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cls.certificate, "-out", p12,
                        "-passout", "pass:test"], check=True)
        cls.signing = dict(os.environ, BRIVANE_SIGN_P12=p12, BRIVANE_SIGN_PASSWORD="test")
        for out in (cls.signed, cls.signed + "-again"):
            package(cls.session.build_tree, out, cls.signing)
        cache = read(os.path.join(cls.session.build_tree, "CMakeCache.txt")).decode()
        cls.version = [line.split("=", 1)[1] for line in cache.splitlines()
                       if line.startswith("CMAKE_PROJECT_VERSION:")][0]
        cls.setup = os.path.join(cls.dist, "Brivane-%s-setup.exe" % cls.version)
        cls.portable = os.path.join(cls.dist, "Brivane-%s-portable.zip" % cls.version)
        cls.signed_setup = os.path.join(cls.signed, os.path.basename(cls.setup))
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

    def make_older(self):
        with open(self.installed("brivane.exe"), "ab") as f:
            f.write(b"older")

    def assert_signed(self, path):
        subprocess.run(["osslsigncode", "verify", "-CAfile", self.certificate, "-in", path], check=True,
                       stdout=subprocess.DEVNULL)

    def assert_plugins_signed(self, exe, plugins):
        """The NSIS plugins that exe unpacks (to $PLUGINSDIR) are these, signed."""
        with tempfile.TemporaryDirectory() as unpacked:
            subprocess.run(["7z", "x", "-o" + unpacked, exe], check=True, stdout=subprocess.DEVNULL)
            found = glob.glob(os.path.join(unpacked, "$PLUGINSDIR", "*.dll"))
            self.assertEqual(sorted(map(os.path.basename, found)), plugins)
            for path in found:
                self.assert_signed(path)

    def uninstall(self, expected=0):
        """The QuietUninstallString, run as winget runs it: its exit code is
        the uninstaller's, 0 only once brivane.exe is gone, else with the
        files kept. The copy that it leaves in %TEMP% to delete uninstall.exe
        and the folder is waited for, then deleted."""
        exe, args = re.fullmatch(r'"([^"]+)" (.+)', self.probe.reg_string(UNINSTALL_KEY, "QuietUninstallString")).groups()
        pid, code = self.run_windows(exe, args)
        self.assertEqual((code, os.path.exists(self.installed("brivane.exe"))), (expected, expected != 0))
        self.assertNotEqual(self.probe.one("waitchildren", pid, 120000, timeout=150), "running")
        self.assertEqual(os.path.exists(self.installed("uninstall.exe")), expected != 0)
        for copy in glob.glob(os.path.join(self.session.user_folder("Temp")[0], "*", "Brivane-uninstall.exe")):
            shutil.rmtree(os.path.dirname(copy), ignore_errors=True)

    def end_started_again(self, setup_pid, exe):
        """The Brivane that setup started again at its end runs: ended."""
        self.assertEqual(self.probe.one("waitchildren", setup_pid, 0), "running")
        wait_until(lambda: self.run_windows(exe, "/status")[1] == 0, what="the Brivane started again to answer")
        self.assertEqual(self.run_windows(exe, "/exit")[1], 0)

    def uninstall_leftovers(self):
        if os.path.exists(self.installed("uninstall.exe")):
            self.uninstall()
        shutil.rmtree(self.install_dir, ignore_errors=True)

    def test_portable_zip_and_checksums(self):
        with zipfile.ZipFile(self.portable) as z:
            self.assertEqual(sorted(z.namelist()), ["README.txt", "brivane.exe"])
            self.assertEqual(z.read("brivane.exe"), self.built_exe)
            readme = z.read("README.txt").decode("utf-8")
        for text in ("Brivane %s" % self.version, "/toggle", "/hotkey", "/autohide", r"HKCU\Software\Brivane"):
            self.assertIn(text, readme)
        sums = read(os.path.join(self.dist, "SHA256SUMS")).decode().splitlines()
        hashes = {os.path.basename(p): hashlib.sha256(read(p)).hexdigest() for p in (self.setup, self.portable)}
        self.assertEqual(sums, ["%s  %s" % (h, name) for name, h in hashes.items()])
        self.assertEqual(sorted(os.listdir(self.dist)), sorted(list(hashes) + [
            "SHA256SUMS", "scoop", "winget", "signed", "signed-again", "key.pem", "cert.pem", "cert.p12"]))

        self.assertEqual(sorted(os.listdir(os.path.join(self.dist, "winget"))),
                         sorted("Olmar.Brivane%s.yaml" % kind for kind in WINGET))
        manifests = {}
        for kind, schema_name in WINGET.items():
            with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "winget-1.6.0",
                                   "manifest.%s.1.6.0.json" % schema_name), encoding="utf-8") as f:
                schema = json.load(f)
            manifest = manifests[kind] = yaml.safe_load(read(os.path.join(self.dist, "winget", "Olmar.Brivane%s.yaml" % kind)))
            jsonschema.validators.validator_for(schema, jsonschema.Draft202012Validator)(schema).validate(manifest)
            self.assertEqual((manifest["PackageIdentifier"], manifest["PackageVersion"]), ("Olmar.Brivane", self.version))
        setup_url = "https://www.example.com/download/%s/%s" % (self.version, os.path.basename(self.setup))
        manifest = manifests[".installer"]
        self.assertEqual((manifest["InstallerType"], manifest["Scope"], manifest["InstallerSwitches"]["Silent"],
                          manifest["ProductCode"], manifest["ElevationRequirement"], manifest["Installers"]),
                         ("nullsoft", "user", "/S", UNINSTALL_KEY.rsplit("\\", 1)[1], "elevationProhibited", [{
                             "Architecture": "x64", "InstallerUrl": setup_url,
                             "InstallerSha256": hashes[os.path.basename(self.setup)].upper()}]))
        with open(os.path.join(self.dist, "scoop", "brivane.json"), encoding="utf-8") as f:
            scoop = json.load(f)
        self.assertEqual((scoop["version"], scoop["bin"], scoop["shortcuts"], scoop["architecture"]["64bit"]["hash"]),
                         (self.version, "brivane.exe", [["brivane.exe", "Brivane"]], hashes[os.path.basename(self.portable)]))
        self.assertEqual(scoop["autoupdate"]["architecture"]["64bit"]["url"],
                         scoop["architecture"]["64bit"]["url"].replace(self.version, "$version"))
        self.assertIn("-ArgumentList '/exit'", "\n".join(scoop["pre_uninstall"]))
        self.assertIn("portable", scoop["checkver"]["regex"])

        # A release is refused with the placeholder address, before anything is built or written.
        release = os.path.join(self.dist, "release")
        refused = package(self.session.build_tree, release, dict(
            self.signing, BRIVANE_SIGN_TIMESTAMP_URL="http://tsa.olmar.dev", BRIVANE_HOME_URL="https://olmar.dev/",
            BRIVANE_RELEASE_URL="https://www.example.com/download"), "--release", check=False)
        self.assertEqual((refused.returncode, refused.stderr, os.path.exists(release)), (1, "package: not a release: no "
                         "real download address (BRIVANE_RELEASE_URL: https://www.example.com/download)\n", False))

        # The signed packages: signed twice without a time-stamp, the same
        # bytes; the setup, the plugins it unpacks and the brivane.exe in its
        # zip signed (the uninstaller is checked once installed, below).
        self.assertEqual(files(self.signed), files(self.signed + "-again"))
        self.assert_signed(self.signed_setup)
        self.assert_plugins_signed(self.signed_setup, ["System.dll", "nsDialogs.dll", "nsExec.dll"])
        with zipfile.ZipFile(os.path.join(self.signed, os.path.basename(self.portable))) as z:
            z.extract("brivane.exe", self.signed)
        self.assert_signed(os.path.join(self.signed, "brivane.exe"))

    def test_install_upgrade_and_uninstall(self):
        self.assertFalse(os.path.exists(self.install_dir), "Brivane is installed already")
        self.probe.call("shellwindow", "%x" % self.fixture.progman)
        self.assertEqual(self.probe.one("regkey", UNINSTALL_KEY), "0")
        saved_run = self.probe.reg_get(RUN_KEY, "Brivane")
        self.addCleanup(self.probe.reg_set, RUN_KEY, "Brivane", saved_run)
        default_dir = self.install_dir
        appdata, windows_appdata = self.session.user_folder("AppData")
        home, windows_home = os.path.dirname(appdata), windows_appdata.rsplit("\\", 1)[0]
        # A folder chosen with /D=, which holds a file of the user's.
        self.install_dir, self.windows_install_dir = home + "/Brivane here", windows_home + r"\Brivane here"
        os.makedirs(self.install_dir)
        with open(self.installed("notes.bin"), "wb") as f:
            f.write(bytes(4 << 20))
        self.addCleanup(shutil.rmtree, self.install_dir, True)
        self.addCleanup(self.uninstall_leftovers)
        windows_exe = self.windows_install_dir + r"\brivane.exe"
        setup = harness.Session.windows_path(self.setup)

        # A first, signed installation there, silent, without the option.
        self.assertEqual(self.run_windows(harness.Session.windows_path(self.signed_setup), "/S", "/NOAUTOSTART",
                                          "/D=" + self.windows_install_dir)[1], 0)
        self.assertEqual(sorted(os.listdir(self.install_dir)), ["brivane.exe", "notes.bin", "uninstall.exe"])
        self.assertTrue(os.path.isfile(self.shortcut))
        for name in ("brivane.exe", "uninstall.exe"):
            self.assert_signed(self.installed(name))
        self.assert_plugins_signed(self.installed("uninstall.exe"), ["System.dll", "nsExec.dll"])
        strings = {
            "DisplayName": "Brivane",
            "DisplayVersion": self.version,
            "Publisher": "Olmar",
            "DisplayIcon": windows_exe,
            "InstallLocation": self.windows_install_dir,
            "UninstallString": '"%s\\uninstall.exe"' % self.windows_install_dir,
            "QuietUninstallString": '"%s\\uninstall.exe" /S _?=%s' % (self.windows_install_dir, self.windows_install_dir),
        }
        for name, value in strings.items():
            with self.subTest(value=name):
                self.assertEqual(self.probe.reg_get(UNINSTALL_KEY, name)[0], REG_SZ)
                self.assertEqual(self.probe.reg_string(UNINSTALL_KEY, name).lower(), value.lower())
        size_type, size = self.probe.reg_get(UNINSTALL_KEY, "EstimatedSize")
        self.assertEqual(size_type, REG_DWORD)
        files = os.path.getsize(self.installed("brivane.exe")) + os.path.getsize(self.installed("uninstall.exe"))
        self.assertAlmostEqual(int.from_bytes(size, "little"), files / 1024, delta=2,
                               msg="EstimatedSize is not the size in KB")
        self.assertIsNone(self.probe.reg_get(RUN_KEY, "Brivane"))

        # brivane.exe imports only KnownDLLs. The portable copy, in a folder
        # of its own, never loads the uxtheme.dll planted beside it (which
        # Wine, told to prefer it, would load by name once windows are made).
        imports = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", self.brivane_path], check=True,
                                 capture_output=True, text=True).stdout
        self.assertLessEqual(set(re.findall(r"DLL Name: (\S+)", imports.lower())), KNOWN_DLLS)
        portable = home + "/Portable"
        with zipfile.ZipFile(self.portable) as z:
            z.extractall(portable)
        self.addCleanup(shutil.rmtree, portable, True)
        shutil.copy(os.environ["BRIVANE_PLANTED_DLL"], os.path.join(portable, "uxtheme.dll"))
        overrides = self.session.env["WINEDLLOVERRIDES"]
        self.probe.call("env", "WINEDLLOVERRIDES", overrides + ";uxtheme=n,b")
        app = self.start_installed(windows_home + r"\Portable\brivane.exe")
        self.probe.call("env", "WINEDLLOVERRIDES", overrides)
        self.assertEqual(self.probe.one("mutex", "BrivanePlantedDllLoaded"), "0")
        self.assertEqual(self.run_windows(app.exe, "/hide")[1], 0)
        self.assert_hidden(app)
        # An upgrade without /D= goes to the installed folder, ends the
        # portable copy with the desktop shown, keeps the start off, and
        # starts the portable copy again.
        pid, code = self.run_windows(setup, "/S")
        self.assertEqual((code, app.exit_code()), (0, 0))
        self.assert_desktop_back()
        self.assertEqual(read(self.installed("brivane.exe")), self.built_exe)
        self.assertFalse(os.path.exists(default_dir))
        self.assertIsNone(self.probe.reg_get(RUN_KEY, "Brivane"))
        self.end_started_again(pid, app.exe)

        # An "older version" (the same program with bytes appended) runs from
        # the installation with the desktop hidden; the upgrade with
        # /AUTOSTART ends it with the desktop shown, replaces it, and starts
        # the new copy.
        self.make_older()
        app = self.start_installed(windows_exe)
        self.assertEqual(self.run_windows(windows_exe, "/hide")[1], 0)
        self.assert_hidden(app)
        pid, code = self.run_windows(setup, "/S", "/AUTOSTART")
        self.assertEqual((code, app.exit_code()), (0, 0))
        self.assert_desktop_back()
        self.assertEqual(read(self.installed("brivane.exe")), self.built_exe)
        self.assertEqual(self.probe.reg_string(RUN_KEY, "Brivane").lower(), '"%s"' % windows_exe.lower())
        self.end_started_again(pid, windows_exe)

        # Turned off by the program's own command. Upgrades over a copy that does not answer, over a
        # file in use and over a file that can't be written fail with their exit codes and change
        # nothing; the next, with /NOSTART, keeps it off and does not start the copy it ended.
        self.assertEqual(self.run_windows(windows_exe, "/autostart", "off")[1], 0)
        self.make_older()
        self.probe.reg_set(UNINSTALL_KEY, "DisplayVersion", (REG_SZ, "0.9\0".encode("utf-16-le")))
        def state():
            return (sorted(os.listdir(self.install_dir)), read(self.installed("brivane.exe")),
                    read(self.installed("uninstall.exe")), self.probe.reg_get(UNINSTALL_KEY, "DisplayVersion"),
                    self.probe.reg_get(RUN_KEY, "Brivane"), os.path.exists(self.shortcut))
        before = state()
        app = self.start_installed(windows_exe)
        self.probe.call("suspend", app.pid)
        self.assertEqual((self.run_windows(setup, "/S")[1], state()), (3, before))
        self.probe.call("resume", app.pid)
        self.assertEqual((self.run_windows(windows_exe, "/exit")[1], app.exit_code()), (0, 0))
        for held in (windows_exe, windows_exe + ".new"):
            open(self.installed(held.rsplit("\\", 1)[1]), "ab").close()
            before = state()
            self.probe.call("hold", held)
            self.addCleanup(self.probe.call, "release", held)
            self.assertEqual((self.run_windows(setup, "/S")[1], state()), (4, before))
            self.probe.call("release", held)
        os.remove(self.installed("brivane.exe.new"))
        app = self.start_installed(windows_exe)
        pid, code = self.run_windows(setup, "/S", "/NOSTART")
        self.assertEqual((code, app.exit_code(), self.probe.one("waitchildren", pid, 0)), (0, 0, "0"))
        self.assertEqual(self.run_windows(windows_exe, "/status")[1], 2)
        self.assertEqual(read(self.installed("brivane.exe")), self.built_exe)
        self.assertEqual(self.probe.reg_string(UNINSTALL_KEY, "DisplayVersion"), self.version)
        self.assertIsNone(self.probe.reg_get(RUN_KEY, "Brivane"))

        # The installed Brivane starts; uninstalled with the desktop hidden,
        # it shows the desktop, ends, and leaves only the user's desktop
        # settings, file, and a Run value that starts another copy.
        app = self.start_installed(windows_exe)
        self.assertEqual(self.run_windows(windows_exe, "/hide")[1], 0)
        self.assert_hidden(app)
        self.probe.call("suspend", app.pid)
        self.uninstall(expected=3)
        self.probe.call("resume", app.pid)
        saved_colour = self.probe.reg_get(harness.DESKTOP_KEY, "TessikIconColour")
        self.addCleanup(self.probe.reg_set, harness.DESKTOP_KEY, "TessikIconColour", saved_colour)
        colour = (REG_DWORD, bytes((0x12, 0x34, 0x56, 0)))
        self.probe.reg_set(harness.DESKTOP_KEY, "TessikIconColour", colour)
        other = (REG_SZ, '"C:\\Portable\\brivane.exe"\0'.encode("utf-16-le"))
        self.probe.reg_set(RUN_KEY, "Brivane", other)
        self.uninstall()
        self.assertEqual(app.exit_code(), 0)
        self.assert_desktop_back()
        self.assertEqual(self.probe.reg_get(harness.DESKTOP_KEY, "TessikIconColour"), colour)
        self.assertEqual(os.listdir(self.install_dir), ["notes.bin"])
        self.assertFalse(os.path.exists(self.shortcut))
        self.assertEqual(self.probe.one("regkey", UNINSTALL_KEY), "0")
        self.assertEqual(self.probe.reg_get(RUN_KEY, "Brivane"), other)

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
    if sys.argv[1:] == ["--reproducible"]:
        reproducible()
    else:
        harness.main()
