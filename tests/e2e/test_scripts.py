"""The test runner's own bookkeeping: a miscount here would turn a failing
run green, so the counts and the closing line are held to fixed cases."""

import os
import subprocess

import pytest

from harness import ROOT

TEST_SH = os.path.join(ROOT, "scripts", "test.sh")


def bash(script, *args):
    """Runs script with scripts/test.sh sourced; returns (status, lines)."""
    # Sourced under another name, the runner only defines its functions.
    result = subprocess.run(["bash", "-c", 'source "$1"; shift; ' + script, "bash", TEST_SH]
                            + list(args),
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, timeout=60, cwd=ROOT)
    return result.returncode, result.stdout.decode().splitlines()


SUMMARY = "[==========] %s from 3 test suites ran. (5 ms total)"


@pytest.mark.parametrize("log, counts", [
    (SUMMARY % "81 tests" + "\n[  PASSED  ] 81 tests.\n", "81 0 0"),
    # The brief printer names failed tests but prints no failed count.
    ("[  FAILED  ] Model.Worked (1 ms)\n[  FAILED  ] Model.Huge (0 ms)\n"
     + SUMMARY % "61 tests" + "\n[  PASSED  ] 59 tests.\n", "59 2 0"),
    (SUMMARY % "10 tests" + "\n[  PASSED  ] 7 tests.\n[  SKIPPED ] 2 tests.\n", "7 1 2"),
    # Under Wine the lines end in CR LF; one test is "1 test".
    (SUMMARY % "1 test" + "\r\n[  PASSED  ] 1 test.\r\n", "1 0 0"),
    # A crash before the closing lines leaves nothing to count.
    ("[ RUN      ] Dib.Load\n", "0 0 0"),
], ids=["passed", "failed", "skipped", "crlf-single", "crash"])
def test_gtest_counts(tmp_path, log, counts):
    path = tmp_path / "unit.log"
    path.write_bytes(log.encode())
    status, lines = bash('gtest_counts "$1"', str(path))
    assert (status, lines) == (0, [counts])


@pytest.mark.parametrize("program, expected", [
    ('printf "%s\\n[  PASSED  ] 3 tests.\\n" "$S"', "fake: 3 passed, 0 failed, 0 skipped"),
    ('printf "%s\\n[  PASSED  ] 1 test.\\n" "$S"; exit 1', "fake: 1 passed, 2 failed, 0 skipped"),
    ('echo "[ RUN      ] A.b"; kill -SEGV $$', "fake: 0 passed, 1 failed, 0 skipped"),
    ("sleep 30", "fake: 0 passed, 1 failed, 0 skipped"),
    ('printf "%s\\n[  PASSED  ] 0 tests.\\n" "${S/3 tests/0 tests}"',
     "fake: 0 passed, 1 failed, 0 skipped"),
], ids=["passed", "failed", "crashed", "hung", "ran-nothing"])
def test_a_unit_test_binary_is_counted_by_what_it_did(tmp_path, program, expected):
    fake = tmp_path / "fake.sh"
    fake.write_text('S="%s"\n%s\n' % (SUMMARY % "3 tests", program))
    status, lines = bash('run_gtest fake "$1" 2 bash "$2"; echo "total $TOTAL_FAILED"',
                         str(tmp_path / "fake.log"), str(fake))
    assert status == 0
    assert lines[-2] == expected
    assert lines[-1] == "total %s" % expected.split(", ")[1].split()[0]


@pytest.mark.parametrize("layers, last, status", [
    ("record a 5 0 0; record b 2 0 0", "7 passed, 0 failed", 0),
    ("record a 5 0 1; record b 2 1 3", "7 passed, 1 failed, 4 skipped", 1),
    ("record a 0 0 0", "0 passed, 1 failed", 1),  # a layer that ran no tests
], ids=["green", "red", "empty"])
def test_closing_line_totals_every_layer(layers, last, status):
    code, lines = bash('layer_fake() { %s; }; LAYERS=(fake); MENU_SKIP_BUILD=1 main' % layers)
    assert (code != 0, lines[-1]) == (status != 0, last)


def test_an_unknown_layer_fails_the_run():
    code, lines = bash("MENU_SKIP_BUILD=1 main nosuchlayer")
    assert code != 0
    assert lines[-1] == "0 passed, 1 failed"


@pytest.mark.parametrize("runs_32bit, tree, notice", [
    ("return 0", "win32", False),
    ("return 1", "win64", True),
], ids=["32-bit", "no-32-bit"])
def test_the_wine_layers_run_the_32bit_tree_or_say_loudly_that_they_did_not(runs_32bit, tree,
                                                                             notice):
    code, lines = bash('runs_32bit() { %s; }; layer_fake() { choose_windows_tree; '
                       'echo "tree $(basename "$WINDOWS_TREE")"; record fake 1 0 0; }; '
                       'LAYERS=(fake); MENU_SKIP_BUILD=1 main' % runs_32bit)
    assert code == 0
    assert "tree " + tree in lines
    assert lines[-1] == "1 passed, 0 failed"
    # Said once when it happens and again next to the closing line.
    assert lines[-2].startswith("NOTICE: ") == notice
    assert sum(line.startswith("NOTICE: ") for line in lines) == (2 if notice else 0)


def lib(script, env=None):
    """Runs script with scripts/lib.sh sourced; returns (status, lines)."""
    environment = dict(os.environ, **(env or {}))
    environment.pop("MENU_WIN32_MODE", None)
    result = subprocess.run(["bash", "-c", 'source "$1"; shift; ' + script, "bash",
                             os.path.join(ROOT, "scripts", "lib.sh")],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, timeout=60, cwd=ROOT, env=environment)
    return result.returncode, result.stdout.decode().splitlines()


# What the probe found, whether qemu could be had, what was forced: the mode,
# the loader every Wine call goes through, and the tree the layers run.
@pytest.mark.parametrize("probe, emulable, forced, mode, loader, tree", [
    ("native", "1", "", "native", "wine", "win32"),
    # A kernel that runs 32-bit programs, but no wine32 to run Windows ones.
    ("native", "no-wine32", "", "none", "/usr/lib/wine/wine64", "win64"),
    ("none", "0", "", "none", "/usr/lib/wine/wine64", "win64"),
    ("none", "0", "none", "none", "/usr/lib/wine/wine64", "win64"),
    ("none", "1", "", "emulated", "/usr/lib/wine/wine64", "win64"),
    # Already emulated (qemu registered by someone): still not native.
    ("emulated", "1", "", "emulated", "/usr/lib/wine/wine64", "win64"),
    # Each path forced on any machine; none even where wine32 would run.
    ("native", "1", "none", "none", "/usr/lib/wine/wine64", "win64"),
    ("native", "1", "emulated", "emulated", "/usr/lib/wine/wine64", "win64"),
    ("none", "0", "native", "native", "wine", "win32"),
], ids=["native", "no-wine32", "no-emulator", "forced-none", "emulable", "registered", "force-none",
        "force-emulated", "force-native"])
def test_how_32bit_programs_run_is_decided_once_and_asked_by_all(probe, emulable, forced, mode,
                                                                loader, tree):
    code, lines = lib('win32_probe() { echo %s; }; can_emulate_win32() { [ %s = 1 ]; }; '
                      'have_wine32() { [ %s != no-wine32 ]; }; '
                      'win32_decide; win32_probe() { echo changed; }; '
                      'echo "$MENU_WIN32_MODE $(wine_loader) $(basename "$(windows_tree)")"; '
                      'wine_env /tmp/nowhere; echo "${WINELOADER:-unset}"'
                      % (probe, emulable, emulable), env={"MENU_WIN32": forced})
    assert code == 0, lines
    assert lines[-2] == "%s %s %s" % (mode, loader, tree)
    assert lines[-1] == ("unset" if loader == "wine" else loader)


def test_an_unknown_forced_mode_is_refused():
    code, lines = lib("win32_decide", env={"MENU_WIN32": "maybe"})
    assert code != 0
    assert "MENU_WIN32 must be native, emulated or none" in lines[-1]


def test_the_probe_runs_a_real_32bit_program():
    code, lines = lib("win32_probe")
    assert code == 0
    assert lines[-1] in ("native", "emulated", "none")
    # It answers what running one says, not what is installed.
    elf = subprocess.run(["bash", "-c", 'source scripts/lib.sh; declare -f win32_probe'],
                         stdout=subprocess.PIPE, cwd=ROOT).stdout.decode()
    assert "wine32" not in elf and "dpkg" not in elf


@pytest.mark.parametrize("mode, check, record, notice", [
    ("native", None, None, None),
    ("none", None, None, "NOTICE: the shipped 32-bit MENU.EXE was not run at all"),
    ("emulated", 'echo "emulated: binfmt_misc cannot be mounted"; return 3', None,
     "NOTICE: the shipped 32-bit MENU.EXE was not run at all: CPU emulation cannot be had"
     " here (binfmt_misc cannot be mounted)"),
    ("emulated", "write_xml 1 0", "emulated: 1 passed, 0 failed, 0 skipped",
     "NOTICE: the shipped 32-bit MENU.EXE ran under CPU emulation"),
    ("emulated", "write_xml 1 1; return 1", "emulated: 0 passed, 1 failed, 0 skipped", None),
    ("emulated", "return 1", "emulated: 0 passed, 1 failed, 0 skipped", None),
], ids=["native", "none", "no-emulation", "passed", "failed", "no-results"])
def test_the_shipped_program_is_checked_under_emulation_or_said_not_run(tmp_path, mode, check,
                                                                       record, notice):
    write_xml = ('write_xml() { echo "<testsuite tests=\\"$1\\" failures=\\"$2\\" errors=\\"0\\" '
                 'skipped=\\"0\\"/>" >"$1.xml"; mv "$1.xml" "$XML"; }; ')
    script = (write_xml + 'emulated_check() { XML=$1; %s; }; BUILD=%s; LAYERS=(emulated); '
              'MENU_SKIP_BUILD=1 MENU_WIN32_MODE=%s main' % (check or "return 99", tmp_path, mode))
    code, lines = bash(script)
    records = [line for line in lines if line.startswith("emulated: ") and " passed, " in line]
    assert records == ([record] if record else [])
    said = [line for line in lines if line.startswith("NOTICE: ") and "shipped" in line]
    # Said when it happens and again beside the closing line.
    assert len(said) == (2 if notice else 0), lines
    assert all(line.startswith(notice) for line in said)
    assert (code == 0) == (record is None or " 0 failed" in record)


FAKE_APT = r'''#!/bin/bash
echo "$*" >>"$FAKE/calls"
case $1 in
  update)
    echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  install)
    if [ -f "$FAKE/refuse" ] && [[ " $* " != *" -t "* ]]; then
      echo "E: Unable to correct problems, you have held broken packages."; exit 100
    fi
    # One transaction: a package that cannot be had installs nothing.
    for pkg in "$@"; do
      if grep -qx -- "$pkg" "$FAKE/unavailable"; then
        echo "E: Unable to locate package $pkg"; exit 100
      fi
    done
    for pkg in "$@"; do
      grep -vx -- "$pkg" "$FAKE/missing" >"$FAKE/m" || true
      mv -f "$FAKE/m" "$FAKE/missing"
    done ;;
esac
'''
FAKE_DPKG_QUERY = '#!/bin/bash\ngrep -qx "${@: -1}" "$FAKE/missing" || printf installed\n'
FAKE_DPKG = '#!/bin/bash\n[ "$1" != --print-foreign-architectures ] || echo i386\n'
FAKE_LOCALE = '#!/bin/bash\necho ja_JP.utf8\n'


# A package index that never downloads, a first install refused by the
# resolver, and packages that cannot be had at all.
@pytest.mark.parametrize("missing, refuse, unavailable, status, said", [
    (["cmake", "wine32:i386"], True, [], 0,
     ["deps: the install was refused; trying again with the release pinned (-t bookworm)"]),
    (["chromium", "wine32:i386"], False, ["wine32:i386"], 0,
     ["deps: could not install (wanted, going on without): wine32:i386"]),
    (["cmake", "wine32:i386"], False, ["cmake"], 1,
     ["deps: installing what the build needs on its own",
      "deps: could not install (needed, stopping): cmake"]),
], ids=["refused-then-pinned", "wanted-missing", "needed-missing"])
def test_setup_goes_on_past_a_broken_index_and_names_what_it_could_not_install(
        tmp_path, missing, refuse, unavailable, status, said):
    fake = tmp_path / "fake"
    bin_dir = tmp_path / "bin"
    fake.mkdir()
    bin_dir.mkdir()
    for name, text in (("apt-get", FAKE_APT), ("dpkg-query", FAKE_DPKG_QUERY),
                       ("dpkg", FAKE_DPKG), ("locale", FAKE_LOCALE)):
        (bin_dir / name).write_text(text)
        (bin_dir / name).chmod(0o755)
    (fake / "missing").write_text("".join(m + "\n" for m in missing))
    (fake / "unavailable").write_text("".join(u + "\n" for u in unavailable))
    if refuse:
        (fake / "refuse").write_text("")
    env = dict(os.environ, PATH="%s:%s" % (bin_dir, os.environ["PATH"]), FAKE=str(fake),
               MENU_APT_PAUSE="0", MENU_APT_RETRIES="3")
    result = subprocess.run(["bash", os.path.join(ROOT, "scripts", "deps.sh")], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, timeout=60)
    lines = result.stdout.decode().splitlines()
    assert result.returncode == status, lines
    calls = (fake / "calls").read_text().splitlines()
    # Tried again, then on with what was fetched, naming the index.
    assert [c.split()[0] for c in calls].count("update") == 3
    assert any("binary-i386/Packages.xz" in line and line.startswith("deps: E: Failed to fetch")
               for line in lines), lines
    assert "deps: going on with the package indexes that were fetched" in lines
    # Everything in one transaction first.
    first = [c for c in calls if c.startswith("install")][0].split()
    assert set(missing) <= set(first)
    for line in said:
        assert line in lines, lines
    if refuse:
        assert [c for c in calls if c.startswith("install")][1].split()[-len(missing) - 2:][:2] \
            == ["-t", "bookworm"]
