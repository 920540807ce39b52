"""The shipped 32-bit MENU.EXE on a machine whose kernel runs no 32-bit
program: run under CPU emulation (scripts/emulated.sh registers qemu for
it), it must show and do what the 64-bit twin shows and does, pixel for
pixel and step for step: the settled start screen, the screen after one
tab click, and the program that one button starts.

Every 32-bit process start costs about a minute under emulation, so the
menu is the only 32-bit program here: the probe, the recorder standing in
for the installer and Wine's own helpers are 64-bit.
"""

import os
import shutil
import sys
import time

import pytest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "e2e"))

import harness  # noqa: E402
from harness import Wine, Xvfb, make_disc  # noqa: E402
from recorders import RecorderLog  # noqa: E402
from test_walk import walk_files  # noqa: E402

SHIPPED = os.environ.get("MENU_SHIPPED_EXE", os.path.join(harness.BUILD, "win32", "MENU.EXE"))
TWIN = harness.MENU_EXE
SHOTS = os.path.join(harness.ARTIFACTS, "emulated")
# Under emulation the first window takes a minute or more to appear.
SLOW = 600

INSTALL_TAB = (64, 69)
# The sample's first install entry's own button (BtnPos 117,196 in the
# content area at 11,105, picture 124x32 halves).
FULL_BUTTON = (11 + 117 + 40, 105 + 196 + 16)


@pytest.fixture(scope="module")
def wine():
    prefix = os.environ.get("MENU_EMULATED_PREFIX")
    if not prefix:
        pytest.fail("MENU_EMULATED_PREFIX is not set: run this through scripts/emulated.sh")
    server = Xvfb(depth=24).start()
    wine = Wine(server, prefix=prefix)
    try:
        wine.boot(timeout=SLOW)
        yield wine
    finally:
        wine.shutdown()
        server.stop()


def walk(wine, exe, name, timeout):
    """exe started from a sample disc on Q:, walked, and ended again."""
    folder = os.path.join(harness.BUILD, "emulated-disc-" + name)
    shutil.rmtree(folder, ignore_errors=True)
    make_disc(folder, walk_files(), exe=exe)
    os.makedirs(SHOTS, exist_ok=True)
    wine.map_drive("Q", folder)
    log_path = os.path.join(wine.prefix, "drive_c", "recorder.log")
    if os.path.exists(log_path):
        os.remove(log_path)
    log = RecorderLog(wine, log_path)
    menu = harness.Menu(wine, wine.popen("Q:\\MENU.EXE"))
    try:
        return steps(menu, log, name, timeout)
    except AssertionError:
        wine.xvfb.screenshot().save(os.path.join(SHOTS, "%s-failed.png" % name))
        raise
    finally:
        if menu.proc.poll() is None:
            menu.close()
            if menu.exit_code(timeout=timeout) is None:
                menu.kill()
        wine.wait_gone(timeout=60)


def steps(menu, log, name, timeout):
    """Start, one tab, one button: the two screens and the start it made."""
    menu.wait_window(timeout=timeout)
    start = menu.wait_painted(timeout=timeout)
    menu.save("emulated/%s-1-start" % name)
    menu.click(*INSTALL_TAB, settle=1.0)
    page = wait_changed(menu, start, timeout)
    menu.save("emulated/%s-2-tab" % name)
    menu.click(*FULL_BUTTON, settle=1.0)
    started = log.wait_starts(1, timeout=timeout)[0]
    return start, page, (started["command"], started["directory"])


def wait_changed(menu, before, timeout):
    """The settled surface once it is no longer before."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        shot = menu.wait_painted(timeout=timeout)
        if shot.tobytes() != before.tobytes():
            return shot
        time.sleep(0.5)
    raise AssertionError("the tab click changed nothing within %ss" % timeout)


def test_the_shipped_program_shows_and_does_what_the_twin_does(wine):
    assert os.path.isfile(SHIPPED), "%s is not built" % SHIPPED
    with open(SHIPPED, "rb") as f:
        image = f.read()
    pe = int.from_bytes(image[0x3c:0x40], "little")
    assert image[pe + 4:pe + 6] == b"\x4c\x01", "the shipped program is not a 32-bit (i386) image"

    # The waits are on conditions: the twin too is given the long one, since
    # the kept prefix may still be busy under emulation when it starts.
    twin = walk(wine, TWIN, "twin", SLOW)
    shipped = walk(wine, SHIPPED, "shipped", SLOW)
    assert twin[2] == ("setup.exe /FULL", "Q:\\SETUP")
    assert shipped[2] == twin[2]
    for index, what in enumerate(("start screen", "screen after the tab click")):
        assert shipped[index].tobytes() == twin[index].tobytes(), \
            "the shipped program's %s differs from the twin's (see %s)" % (what, SHOTS)
