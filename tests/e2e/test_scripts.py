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
