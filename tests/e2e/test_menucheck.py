"""menucheck against the real menu: what it predicts for every command of the
sample disc is what MENU.EXE does under Wine; its Windows build reads the
disc as the native one does; the disc image of scripts/disc.sh opens the
menu from a CD-ROM drive. A few quick checks of the native program's exit
status, JSON and language need no Wine.

The Wine checks run in a prefix of their own: text documents open through
the recorder there and the recorder stands in for Notepad, which must not
leak into the other tests' prefix.
"""

import json
import os
import shutil
import subprocess
import time

import pytest

import harness
from harness import BUILD, ROOT, WINDOWS, Menu, Wine
from recorders import RecorderLog, bring_forward, wait_windows, windows_path
from recorders import recorder  # noqa: F401 (fixture)

CHECKER = os.environ.get("MENUCHECK",
                         os.path.join(BUILD, "native", "tools", "menucheck", "menucheck"))
CHECKER_EXE = os.environ.get("MENUCHECK_EXE",
                             os.path.join(WINDOWS, "tools", "menucheck", "MENUCHECK.EXE"))
SAMPLE = os.path.join(ROOT, "sample")

# Fixed controls the walk clicks: tab and slot centres, the next arrow.
TAB_CENTRES = [(64 + 128 * t, 69) for t in range(5)]
SLOT_CENTRES = [(520, 124 + 40 * s) for s in range(5)]
NEXT_ARROW = (586, 330)


def checker():
    if not os.path.isfile(CHECKER):
        raise RuntimeError("%s is not built (scripts/build.sh native)" % CHECKER)
    return CHECKER


def check(folder, *args, env=None):
    """Runs the native checker; returns (exit status, output)."""
    result = subprocess.run([checker()] + list(args) + [folder], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, env=env, timeout=60)
    return result.returncode, result.stdout.decode("utf-8")


def predictions(folder):
    status, out = check(folder, "--json")
    report = json.loads(out)
    assert report["status"] == status
    return report


def stage_sample(folder, setup):
    """The sample as a disc: MENU.EXE and a stand-in installer beside it."""
    shutil.copytree(SAMPLE, folder)
    shutil.copy(harness.MENU_EXE, os.path.join(folder, "MENU.EXE"))
    os.makedirs(os.path.join(folder, "SETUP"), exist_ok=True)
    shutil.copy(setup, os.path.join(folder, "SETUP", "SETUP.EXE"))
    return folder


def write_disc(folder, menu, files=()):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "MENU.DAT"), "wb") as f:
        f.write(menu)
    with open(os.path.join(folder, "autorun.inf"), "wb") as f:
        f.write(b"[autorun]\r\nopen=MENU.EXE\r\n")
    for name in ("MENU.EXE",) + tuple(files):
        path = os.path.join(folder, *name.split("\\"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(b"MZ")
    return folder


HEAD = b"[MENU]\r\nPage1=P\r\n[P]\r\nTitle=Page\r\nMenu1=E\r\n[E]\r\nTitle=Entry\r\n"


# --- The native program -------------------------------------------------------

@pytest.mark.parametrize("name, menu, files, status", [
    ("clean", HEAD + b"Command1=Go,README.TXT\r\n", ["README.TXT"], 0),
    ("a key never read", HEAD + b"Command1=Go,README.TXT\r\nTitel=x\r\n", ["README.TXT"], 1),
    ("a document not on the disc", HEAD + b"Command1=Go,README.TXT\r\n", [], 2),
])
def test_exit_status_is_the_worst_finding(tmp_path, name, menu, files, status):
    folder = write_disc(str(tmp_path / "disc"), menu, files)
    assert check(folder)[0] == status
    assert predictions(folder)["status"] == status


def test_a_folder_that_is_not_there_cannot_be_checked(tmp_path):
    assert check(str(tmp_path / "none"))[0] == 3


def test_json_stays_utf8_whatever_the_bytes(tmp_path):
    # A byte that is no character, a lone lead byte at the end, a UTF-8
    # byte in the key name: all must come out as valid JSON.
    menu = (b"[MENU]\r\nPage1=P\r\n[P]\r\nTitle=A\x80B\x82\r\nMenu1=E\r\n"
            b"[E]\r\nTitle=\xff\xfe\r\nK\xc3\xa9y=1\r\n")
    folder = write_disc(str(tmp_path / "disc"), menu)
    report = predictions(folder)
    # The lone lead byte takes the line's CR along, as the menu's reader
    # reads it; neither is a character.
    assert report["pages"][0]["title"] == "A\ufffdB\ufffd\ufffd"
    codes = {f["code"] for f in report["findings"]}
    assert {"bad-shift-jis", "unknown-key"} <= codes


@pytest.mark.parametrize("args, env, japanese", [
    (["--lang=ja"], {"LC_ALL": "C"}, True),
    ([], {"LANG": "ja_JP.UTF-8"}, True),
    ([], {"LC_ALL": "C", "LANG": "ja_JP.UTF-8"}, False),
    (["--lang=en"], {"LANG": "ja_JP.UTF-8"}, False),
])
def test_messages_in_the_language_asked_for(tmp_path, args, env, japanese):
    folder = write_disc(str(tmp_path / "disc"), HEAD + b"Command1=Go,README.TXT\r\n",
                        ["README.TXT"])
    base = {k: v for k, v in os.environ.items() if k not in ("LC_ALL", "LC_MESSAGES", "LANG")}
    _, out = check(folder, *args, env=dict(base, **env))
    assert ("エラー 0 件" in out) == japanese
    assert ("0 error(s)" in out) == (not japanese)


# --- Under Wine -----------------------------------------------------------------

@pytest.fixture(scope="module")
def recording_wine(xvfb, recorder):  # noqa: F811 (fixture)
    """A prefix of its own where .txt documents and Notepad both start the
    recorder, and drive R: is a CD-ROM drive."""
    wine = Wine(xvfb)
    try:
        wine.boot()
        opener = os.path.join(wine.prefix, "drive_c", "mcheck", "opener.exe")
        os.makedirs(os.path.dirname(opener))
        shutil.copy(recorder, opener)
        for key, name, value in (("HKCR\\.txt", None, "txtfile"),
                                 ("HKCR\\txtfile\\shell\\open\\command", None,
                                  '"C:\\mcheck\\opener.exe" "%1"'),
                                 ("HKLM\\Software\\Wine\\Drives", "r:", "cdrom")):
            subprocess.run([harness.WINE, "reg", "add", key] + (["/v", name] if name else ["/ve"]) +
                           ["/d", value, "/f"],
                           env=wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=True, timeout=60)
        # Drive types are read when the server starts.
        for args in (["-k"], ["-w"], ["-p"]):
            subprocess.run([harness.WINESERVER] + args, env=wine.env, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Notepad's builtin is kept from loading in favour of the file; a
        # 32-bit program looking in system32 is shown syswow64.
        # A prefix of a machine without 32-bit support has no syswow64.
        for folder in ("system32", "syswow64", ""):
            windows = os.path.join(wine.prefix, "drive_c", "windows", folder)
            if os.path.isdir(windows):
                shutil.copy(recorder, os.path.join(windows, "notepad.exe"))
        wine.env["WINEDLLOVERRIDES"] += ";notepad.exe=n"
        yield wine
    finally:
        wine.shutdown()


@pytest.fixture
def wine_log(recording_wine, tmp_path):
    log = RecorderLog(recording_wine, str(tmp_path / "recorder.log"))
    recording_wine.env["RECORDER_LOG"] = windows_path(log.path)
    yield log
    log.end_all()


def start_menu(wine, drive="Q"):
    menu = Menu(wine, wine.popen(drive + ":\\MENU.EXE"))
    menu.wait_window()
    menu.wait_painted()
    return menu


def close_menu(wine, menu):
    if menu.proc.poll() is None:
        menu.close()
        if menu.exit_code(timeout=10) is None:
            menu.kill()


def close_recorders(wine):
    for _ in range(20):
        code, _ = wine.probe("close", "RecorderWindow", "-")
        if code != 0:
            return
        time.sleep(0.3)


def commands_of(report):
    """(page, entry, command) of each distinct command line, the last use
    of each, so that entries of the second group are walked to as well."""
    chosen = {}
    for p, page in enumerate(report["pages"]):
        for entry in page["entries"]:
            for command in entry["commands"]:
                if command["launch"]["mode"] != "nothing":
                    chosen[command["commandLine"]] = (p, entry, command)
    return list(chosen.values())


def click_command(menu, page, entry, command):
    menu.click(*TAB_CENTRES[page])
    for _ in range(entry["group"] - 1):
        menu.click(*NEXT_ARROW)
    menu.click(*SLOT_CENTRES[entry["slot"] - 1])
    menu.click(command["x"] + command["width"] // 2, command["y"] + command["height"] // 2)


def same_path(a, b):
    return a.lower() == b.lower()


def test_predictions_are_what_the_menu_does(recording_wine, wine_log, recorder,  # noqa: F811
                                            tmp_path):
    disc = stage_sample(str(tmp_path / "disc"), recorder)
    report = predictions(disc)
    assert report["status"] == 0, report["findings"]
    recording_wine.map_drive("Q", disc)
    menu = start_menu(recording_wine)
    try:
        commands = commands_of(report)
        assert len(commands) == 9
        for n, (page, entry, command) in enumerate(commands, 1):
            launch = command["launch"]
            what = "%s %s" % (entry["section"], command["commandLine"])
            click_command(menu, page, entry, command)
            started = wine_log.wait_starts(n)[-1]
            assert same_path(started["directory"], launch["startDirectory"]), what
            if launch["mode"] == "program":
                assert started["command"] == launch["commandText"], what
                if launch["onDisc"]:
                    assert same_path(started["module"], launch["target"]), what
                else:
                    assert launch["systemProgram"], what
                    assert started["module"].lower().endswith("\\" + launch["fileName"]), what
            else:
                # The opener is given the document the shell found.
                assert launch["onDisc"], what
                assert started["command"].lower().endswith(
                    '"%s"' % launch["target"].lower()), what
            wait_windows(recording_wine, 1)
            close_recorders(recording_wine)
            bring_forward(recording_wine)
    finally:
        close_menu(recording_wine, menu)


def test_windows_build_reads_the_disc_as_the_native_one(recording_wine, recorder,  # noqa: F811
                                                       tmp_path):
    if not os.path.isfile(CHECKER_EXE):
        raise RuntimeError("%s is not built (scripts/build.sh %s)"
                           % (CHECKER_EXE, os.path.basename(WINDOWS)))
    disc = stage_sample(str(tmp_path / "disc"), recorder)
    recording_wine.map_drive("Q", disc)
    result = subprocess.run([harness.WINE, CHECKER_EXE, "--json", "Q:\\"], env=recording_wine.env,
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=120)
    windows = json.loads(result.stdout.decode("utf-8"))
    native = predictions(disc)
    assert result.returncode == native["status"] == 0
    # Same pages, entries, buttons, clicks and pictures; only the folder differs.
    assert windows["pages"] == native["pages"]
    assert windows["pictures"] == native["pictures"]
    assert [(f["code"], f["where"]) for f in windows["findings"]] == \
        [(f["code"], f["where"]) for f in native["findings"]]


def test_disc_image_opens_the_menu_from_a_cdrom_drive(recording_wine, wine_log,
                                                      recorder, tmp_path):  # noqa: F811
    """Wine maps drive letters to folders, not to image files, and mounting
    needs privileges: the image is unpacked with xorriso (its Joliet names,
    as Windows reads them) into a read-only folder mapped as a CD-ROM."""
    image = str(tmp_path / "sample.iso")
    env = dict(os.environ, MENU_SKIP_BUILD="1", MENU_BUILD_ROOT=BUILD, MENUCHECK=checker(),
               MENU_DISC_EXE=harness.MENU_EXE, MENU_DISC_SETUP=recorder)
    made = subprocess.run(["bash", os.path.join(ROOT, "scripts", "disc.sh"), SAMPLE, image],
                          env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          timeout=300)
    assert made.returncode == 0, made.stdout.decode("utf-8", "replace")
    root = str(tmp_path / "cdrom")
    subprocess.run(["xorriso", "-osirrox", "on", "-joliet", "on", "-indev", image,
                    "-extract", "/", root], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True, timeout=120)
    names = sorted(os.listdir(root))
    assert names == ["BTN", "DOCS", "INDEX.HTM", "LOGO.BMP", "MENU.DAT", "MENU.EXE", "PIC",
                     "SETUP", "autorun.inf"]
    with open(os.path.join(root, "autorun.inf"), "rb") as f:
        assert b"open=MENU.EXE" in f.read()
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            os.chmod(os.path.join(folder, name), 0o555 if name in dirs else 0o444)
    recording_wine.map_drive("R", root)
    menu = start_menu(recording_wine, "R")
    try:
        # INSTALL, its first entry: the installer button of the sample.
        report = predictions(root)
        page, entry, command = 0, report["pages"][0]["entries"][0], \
            report["pages"][0]["entries"][0]["commands"][0]
        click_command(menu, page, entry, command)
        started = wine_log.wait_starts(1)[-1]
        assert started["command"] == "setup.exe /FULL"
        assert same_path(started["directory"], "R:\\SETUP")
        assert same_path(started["module"], "R:\\SETUP\\SETUP.EXE")
        close_recorders(recording_wine)
    finally:
        close_menu(recording_wine, menu)
        for folder, dirs, _ in os.walk(root):
            for name in dirs:
                os.chmod(os.path.join(folder, name), 0o755)
        os.chmod(root, 0o755)
