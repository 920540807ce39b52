"""The recorder helper standing in for the programs a menu starts: a log per
test, disc layouts that start it, a document type that opens through it, and
the menu's failure message box seen through the dialog helper.
"""

import os
import shutil
import subprocess
import time

import pytest

from harness import FRAME_CLASS, FRAME_TITLE, WINE, helper, parse_keys

ERROR_TITLE = b"\x83\x47\x83\x89\x81\x5b"  # エラー
CANNOT_START = (
    b"\x83\x41\x83\x76\x83\x8a\x83\x50\x81\x5b\x83\x56\x83\x87\x83\x93"  # アプリケーション
    b"\x82\xf0\x8b\x4e\x93\xae\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1"  # を起動できません
    b"\x81\x42"                                                          # 。
)
DIALOG_CLASS = "#32770"
RECORDER_CLASS = "RecorderWindow"
IDOK = 1

# Default places of one, two or three command buttons: the centres of
# the right-filled bottom row.
BUTTON_CENTRES = {1: [(327, 465)], 2: [(203, 465), (327, 465)],
                  3: [(79, 465), (203, 465), (327, 465)]}
TAB_CENTRES = [(64 + 128 * t, 69) for t in range(5)]
SLOT_CENTRES = [(520, 124 + 40 * s) for s in range(5)]
EXIT_CENTRE = (610, 457)


def windows_path(unix_path):
    """The path as a Wine program sees it through drive Z:."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def menu_dat(pages):
    """MENU.DAT bytes for [(page title, [(entry title, [command line])])];
    captions are ASCII, so the file needs no conversion."""
    lines = ["[MENU]"]
    lines += ["Page%d=P%d" % (p + 1, p + 1) for p in range(len(pages))]
    for p, (title, entries) in enumerate(pages):
        lines += ["", "[P%d]" % (p + 1), "Title=" + title]
        lines += ["Menu%d=P%dE%d" % (e + 1, p + 1, e + 1) for e in range(len(entries))]
        for e, (entry_title, commands) in enumerate(entries):
            lines += ["", "[P%dE%d]" % (p + 1, e + 1), "Title=" + entry_title]
            lines += ["Command%d=B%d,%s" % (c + 1, c + 1, line)
                      for c, line in enumerate(commands)]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def dialog(wine, *args, timeout=60):
    """Runs the dialog helper; returns (exit code, key=value dict)."""
    result = subprocess.run([WINE, helper("dialog")] + [str(a) for a in args],
                            env=wine.env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            timeout=timeout)
    return result.returncode, parse_keys(result.stdout.decode("ascii", "replace"))


def wait_windows(wine, count, cls=RECORDER_CLASS, timeout=30):
    """Until count top-level windows of cls exist."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if wine.count_windows(cls, "-") >= count:
            return
        time.sleep(0.2)
    raise AssertionError("fewer than %d %s windows after %ss" % (count, cls, timeout))


def bring_forward(wine):
    """Puts the menu in front again: a started program's window opens
    over it and would take the next click."""
    code, _ = wine.probe("activate", FRAME_CLASS, FRAME_TITLE)
    assert code == 0, "the menu could not be brought forward"
    time.sleep(0.3)


def wait_error_box(wine, timeout=30):
    """The menu's failure box: its owner's pid and its texts as bytes."""
    code, box = dialog(wine, "wait", DIALOG_CLASS, ERROR_TITLE.hex(),
                       int(timeout * 1000), timeout=timeout + 30)
    assert code == 0, "no message box titled エラー within %ss" % timeout
    texts = [bytes.fromhex(box["text.%d.hex" % i]) for i in range(int(box["texts"]))]
    return box, texts


def wait_error_box_gone(wine, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if dialog(wine, "show", DIALOG_CLASS, ERROR_TITLE.hex())[0] != 0:
            return True
        time.sleep(0.3)
    return False


class RecorderLog:
    """What the recorders of one test wrote: start lines and events by pid."""

    def __init__(self, wine, path):
        self.wine = wine
        self.path = path

    def records(self):
        if not os.path.exists(self.path):
            return []
        with open(self.path, "rb") as f:
            text = f.read().decode("cp932", "replace")
        return [line.split("\t") for line in text.split("\r\n") if line]

    def starts(self):
        """[{pid, command, directory, module}] in start order."""
        return [dict(pid=r[1], command=r[2], directory=r[3], module=r[4])
                for r in self.records() if r[0] == "start" and len(r) == 5]

    def events(self, pid):
        return [r[0] for r in self.records() if r[0] != "start" and r[1:] == [pid]]

    def wait_starts(self, count, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            starts = self.starts()
            if len(starts) >= count:
                return starts
            time.sleep(0.2)
        raise AssertionError("%d recorder starts after %ss, wanted %d: %r"
                             % (len(self.starts()), timeout, count, self.starts()))

    def wait_event(self, pid, event, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if event in self.events(pid):
                return True
            time.sleep(0.2)
        return False

    def end_all(self):
        """Ends every recorder this test started that is still running."""
        for start in self.starts():
            dialog(self.wine, "end", start["pid"])


@pytest.fixture
def recorder_log(menus, monkeypatch, tmp_path):
    """A log of the test's own; the menu and every program started from it,
    and helpers spawned by the session, inherit where it is."""
    log = RecorderLog(menus.wine, str(tmp_path / "recorder.log"))
    monkeypatch.setitem(menus.wine.env, "RECORDER_LOG", windows_path(log.path))
    yield log
    log.end_all()


def windowed_copy(program, path):
    """A copy of a console program marked as a windowed one. The helpers are
    built for the console, but the programs a menu starts are windowed, and
    a console window would open over the menu and take its clicks."""
    with open(program, "rb") as f:
        image = bytearray(f.read())
    header = int.from_bytes(image[0x3C:0x40], "little")
    assert image[header:header + 4] == b"PE\0\0", "%s is not a PE program" % program
    subsystem = header + 24 + 68  # the same place in 32- and 64-bit headers
    assert image[subsystem:subsystem + 2] in (b"\2\0", b"\3\0")
    image[subsystem:subsystem + 2] = b"\2\0"  # IMAGE_SUBSYSTEM_WINDOWS_GUI
    with open(path, "wb") as f:
        f.write(image)
    return path


@pytest.fixture(scope="session")
def recorder(tmp_path_factory):
    """The recorder as a windowed program, to be copied where a menu starts it."""
    folder = tmp_path_factory.mktemp("recorder")
    return windowed_copy(helper("recorder"), str(folder / "recorder.exe"))


@pytest.fixture(scope="session")
def tst_documents(wine, recorder):
    """Documents of type .tst open through the shell with a recorder:
    '"C:\\le2e-opener\\opener.exe" "<document>"'."""
    folder = os.path.join(wine.prefix, "drive_c", "le2e-opener")
    os.makedirs(folder, exist_ok=True)
    shutil.copy(recorder, os.path.join(folder, "opener.exe"))
    command = '"C:\\le2e-opener\\opener.exe" "%1"'
    for key, value in (("HKCR\\.tst", "tstfile"),
                       ("HKCR\\tstfile\\shell\\open\\command", command)):
        subprocess.run([WINE, "reg", "add", key, "/ve", "/d", value, "/f"], env=wine.env,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True, timeout=60)
    return "C:\\le2e-opener\\opener.exe"
