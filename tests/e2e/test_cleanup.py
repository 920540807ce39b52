"""Work done at exit: the started programs' windows asked to close, and the
win.ini list of directories to remove emptied and rewritten."""

import os
import time

import pytest

from recorders import (BUTTON_CENTRES, EXIT_CENTRE, RECORDER_CLASS, TAB_CENTRES,
                       bring_forward, dialog, menu_dat, wait_windows, windows_path)
from recorders import recorder, recorder_log, tst_documents  # noqa: F401 (fixtures)

SECTION = "XervoCD-ROM"


def test_only_enabled_windows_of_started_programs_are_closed(menus, recorder, recorder_log,
                                                             tst_documents):
    commands = ["$CURDRV:\\APPS\\OPEN.EXE opened",
                "$CURDRV:\\APPS\\MODAL.EXE modal /modal",  # its window disabled
                "DOCS\\NOTE.TST"]                          # opened through the shell
    menus.disc({"MENU.DAT": menu_dat([("One", [("E", commands)])]),
                "APPS/OPEN.EXE": recorder, "APPS/MODAL.EXE": recorder,
                "DOCS/NOTE.TST": b"note\r\n"})
    menu = menus.start()
    menu.wait_window()
    menu.wait_painted()
    menu.click(*TAB_CENTRES[0])
    for n, button in enumerate(BUTTON_CENTRES[3], 1):
        menu.click(*button)
        recorder_log.wait_starts(n)
        wait_windows(menus.wine, n)
        bring_forward(menus.wine)
    assert dialog(menus.wine, "wait", "-", b"modal".hex(), 10000)[0] == 0, "no modal box"
    opened, modal, document = [s["pid"] for s in recorder_log.starts()]
    assert menus.wine.window_info(RECORDER_CLASS, "modal")["enabled"] == "0"
    # A program the menu did not start.
    menus.spawn("recorder", "outsider")
    outsider = recorder_log.wait_starts(4)[3]["pid"]
    wait_windows(menus.wine, 4)
    bring_forward(menus.wine)

    menu.click(*EXIT_CENTRE)
    assert menu.exit_code() == 0
    assert recorder_log.wait_event(opened, "closed")
    assert recorder_log.wait_event(document, "closed")
    # The messages were posted in one pass; give any stray one time to land.
    time.sleep(1)
    for pid in (modal, outsider):
        assert "closed" not in recorder_log.events(pid)
    for title in ("modal", "outsider"):
        assert menus.wine.count_windows(RECORDER_CLASS, title) == 1, title
    assert menus.wine.wait_gone(RECORDER_CLASS, "opened"), recorder_log.records()


# --- win.ini -------------------------------------------------------------------

def read_profile(path):
    """{section (lower case): {key (lower case): value}} of an ini file."""
    sections = {}
    current = None
    with open(path, "rb") as f:
        text = f.read().decode("cp932")
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1].lower(), {})
        elif current is not None and "=" in line:
            key, _, value = line.partition("=")
            current[key.strip().lower()] = value.strip()
    return sections


@pytest.fixture
def drive_r(menus, tmp_path):
    """Drive R: mapped to a folder of the test's own, with files and a
    subfolder, standing in for a drive root."""
    folder = tmp_path / "drive-r"
    (folder / "sub").mkdir(parents=True)
    for name in ("keep.txt", "sub/keep.dat"):
        (folder / name).write_bytes(b"keep\r\n")
    menus.wine.map_drive("R", str(folder))
    yield folder
    os.remove(os.path.join(menus.wine.prefix, "dosdevices", "r:"))


def make_dirs(root):
    """Directories by role: P1, P2 hold only files, Q1, Q2 a file and a
    subfolder, X does not exist."""
    paths = {}
    for name in ("P1", "P2", "Q1", "Q2"):
        folder = root / name
        folder.mkdir()
        (folder / "a.txt").write_bytes(b"a\r\n")
        (folder / "B.DAT").write_bytes(b"b\r\n")
        if name.startswith("Q"):
            (folder / "sub").mkdir()
            (folder / "sub" / "inner.txt").write_bytes(b"inner\r\n")
        paths[name] = folder
    paths["X"] = root / "X"
    return paths


# (keys before, keys after, directories removed); None: no section at all.
# Names stand for the directories of make_dirs, "" for an empty value.
DELDIR_CASES = {
    "no section": (None, None, []),
    "one removed": ({1: "P1"}, None, ["P1"]),
    "removed then kept": ({1: "P1", 2: "Q1"}, {1: "Q1", 2: ""}, ["P1"]),
    "both kept": ({1: "Q1", 2: "Q2"}, {1: "Q1", 2: "Q2", 3: ""}, []),
    "kept one copied down": ({1: "P1", 2: "P2", 3: "Q1"}, {1: "Q1", 2: "", 3: "Q1"},
                             ["P1", "P2"]),
    "missing one drops out": ({1: "X", 2: "Q1"}, {1: "Q1", 2: ""}, []),
    "empty first value ends the list": ({1: "", 2: "P1"}, None, []),
    "gap ends the list": ({1: "P1", 3: "P2"}, None, ["P1"]),
    # A drive root or a bare drive is never emptied and stays listed.
    "drive roots": ({1: "R:\\", 2: "P1", 3: "R:"}, {1: "R:\\", 2: "R:", 3: ""}, ["P1"]),
}


def read_names(keys):
    """The values read: keys 1, 2, ... up to the first missing or empty one."""
    names = []
    while keys and keys.get(len(names) + 1):
        names.append(keys[len(names) + 1])
    return names


@pytest.mark.parametrize("before, after, removed", DELDIR_CASES.values(),
                         ids=list(DELDIR_CASES))
def test_deldir_list_at_exit(menus, win_ini, drive_r, tmp_path, before, after, removed):
    dirs = make_dirs(tmp_path)
    drive_files = sorted(p.relative_to(drive_r) for p in drive_r.rglob("*"))

    def value(name):
        return windows_path(str(dirs[name])) if name in dirs else name

    with open(win_ini, "ab") as f:
        f.write(b"\r\n[other]\r\nkeep=1\r\n")
        if before is not None:
            f.write(("[%s]\r\n" % SECTION).encode("ascii"))
            for n, name in before.items():
                f.write(("DelDir%d=%s\r\n" % (n, value(name))).encode("ascii"))
    profile_before = read_profile(win_ini)

    menus.disc()
    menu = menus.start()
    menu.wait_window()
    assert menu.close()
    assert menu.exit_code() == 0

    profile = read_profile(win_ini)
    expected = None if after is None else \
        {"deldir%d" % n: value(name) for n, name in after.items()}
    assert profile.get(SECTION.lower()) == expected
    # Nothing else in the file changes.
    profile.pop(SECTION.lower(), None)
    profile_before.pop(SECTION.lower(), None)
    assert profile == profile_before

    for name in ("P1", "P2", "Q1", "Q2"):
        folder = dirs[name]
        if name in removed:
            assert not folder.exists(), name
            continue
        assert folder.is_dir(), name
        # Subfolders are never entered; a directory that was read loses
        # its files, one beyond the end of the list keeps them.
        assert (folder / "sub" / "inner.txt").exists() == name.startswith("Q"), name
        kept_files = sorted(p.name for p in folder.iterdir() if p.is_file())
        assert kept_files == ([] if name in read_names(before) else ["B.DAT", "a.txt"]), name
    assert sorted(p.relative_to(drive_r) for p in drive_r.rglob("*")) == drive_files
