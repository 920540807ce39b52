"""Session fixtures of the end-to-end tests: X servers, Wine prefixes, and a
per-test menu session that makes disc folders, starts programs and cleans up.
"""

import os
import re
import subprocess

import pytest

import harness
from harness import Menu, Wine, Xvfb, helper, make_disc

_screens = []  # X servers up now, for screenshots of failures


def _xvfb(depth):
    server = Xvfb(depth=depth).start()
    _screens.append(server)
    try:
        yield server
    finally:
        _screens.remove(server)
        server.stop()


def _check_japanese_font(wine):
    families = subprocess.run(["fc-list", ":lang=ja", "family"], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=60).stdout
    if not families.strip():
        raise RuntimeError("fontconfig knows no Japanese font (install fonts-ipafont-gothic)")
    # The caption font as the menu asks for it must come out as a Shift-JIS face.
    code, font = wine.probe("font")
    if code != 0 or font.get("charset") != "128" or not font.get("face.hex"):
        raise RuntimeError("Wine resolves no Shift-JIS face for the menu font: %r" % font)


def _wine(server):
    wine = Wine(server)
    try:
        wine.boot()
        _check_japanese_font(wine)
        yield wine
    finally:
        wine.shutdown()


@pytest.fixture(scope="session")
def xvfb():
    """Xvfb at 24 bits, 1024x768."""
    yield from _xvfb(24)


@pytest.fixture(scope="session")
def xvfb8():
    """Xvfb at 8 bits (256 colours), 1024x768."""
    yield from _xvfb(8)


@pytest.fixture(scope="session")
def wine(xvfb):
    yield from _wine(xvfb)


@pytest.fixture(scope="session")
def wine8(xvfb8):
    yield from _wine(xvfb8)


class MenuSession:
    """What one test starts under one Wine prefix; all of it ends with the test."""

    def __init__(self, wine, folder):
        self.wine = wine
        self.folder = folder
        self.menus = []
        self.others = []

    def disc(self, files=None, drive="Q"):
        """A disc folder with MENU.EXE and files, mapped to drive."""
        path = make_disc(os.path.join(self.folder, "disc-" + drive.lower()), files)
        self.wine.map_drive(drive, path)
        return path

    def start(self, drive="Q", show=None, folder=""):
        """Starts X:\\MENU.EXE, or X:\\folder\\MENU.EXE; show ("minimized",
        ...) starts it through the probe with that show mode, whose exit code
        is then the menu's."""
        program = drive + ":\\" + (folder + "\\" if folder else "") + "MENU.EXE"
        if show:
            proc = self.wine.popen(helper("probe"), "run", show, program)
        else:
            proc = self.wine.popen(program)
        menu = Menu(self.wine, proc)
        self.menus.append(menu)
        return menu

    def spawn(self, name, *args):
        """Starts a helper program (decoy, ...) for the length of the test."""
        proc = self.wine.popen(helper(name), *args)
        self.others.append(proc)
        return proc

    def end(self):
        for menu in self.menus:
            if menu.proc.poll() is None:
                menu.close()
                if menu.exit_code(timeout=10) is None:
                    menu.kill()
        for proc in self.others:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        self.wine.wait_gone(timeout=10)


def _session(wine, tmp_path):
    session = MenuSession(wine, str(tmp_path))
    try:
        yield session
    finally:
        session.end()


@pytest.fixture
def menus(wine, tmp_path):
    """Disc folders and started menus on the 24-bit display."""
    yield from _session(wine, tmp_path)


@pytest.fixture
def menus8(wine8, tmp_path):
    """Disc folders and started menus on the 8-bit display."""
    yield from _session(wine8, tmp_path)


@pytest.fixture
def win_ini(menus):
    """The prefix's win.ini, given back as it was after the test."""
    path = os.path.join(menus.wine.prefix, "drive_c", "windows", "win.ini")
    with open(path, "rb") as f:
        original = f.read()
    yield path
    with open(path, "wb") as f:
        f.write(original)


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    if not report.failed or report.when not in ("setup", "call") or not _screens:
        return
    os.makedirs(harness.ARTIFACTS, exist_ok=True)
    name = re.sub(r"[^A-Za-z0-9_.-]+", "_", item.name).strip("_")
    for server in list(_screens):
        suffix = "" if server.depth == 24 else "-%dbit" % server.depth
        path = os.path.join(harness.ARTIFACTS, name + suffix + ".png")
        try:
            server.screenshot().save(path)
            report.sections.append(("screenshot", path))
        except Exception as error:  # the failure itself matters more
            report.sections.append(("screenshot", "not saved: %s" % error))
