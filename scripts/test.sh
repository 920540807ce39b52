#!/usr/bin/env bash
# Builds everything and runs every test layer in order:
#   native   unit tests of the portable core, natively
#   wine     the same unit tests built for Windows, under Wine
#   e2e      the real MENU.EXE under Wine on Xvfb (tests/e2e, pytest)
#   emulated where the kernel runs no 32-bit program: the shipped 32-bit
#            MENU.EXE under CPU emulation against its 64-bit twin
#            (scripts/emulated.sh, tests/emulated)
#   sanitize the native unit tests again under AddressSanitizer and
#            UndefinedBehaviorSanitizer (build/sanitize, clang)
#   fuzz     a short run of each libFuzzer target (scripts/fuzz.sh --smoke)
#   bench    the benchmark once in its short form (scripts/bench.sh --smoke),
#            which must run through and print its figures
# Each layer prints its counts; the last line is the total over all layers.
# Usage: test.sh [layer ...]   (MENU_SKIP_BUILD=1 skips deps and build)
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

LAYERS=(native wine e2e emulated sanitize fuzz bench)

TOTAL_PASSED=0
TOTAL_FAILED=0
TOTAL_SKIPPED=0
# Said again just before the summary, so that a fallback is never missed.
NOTICES=()

# record LAYER PASSED FAILED SKIPPED
record() {
  local layer=$1 passed=$2 failed=$3 skipped=$4
  # A layer that ran nothing has not shown anything: count it as a failure.
  if [ $((passed + failed + skipped)) -eq 0 ]; then
    echo "$layer: ran no tests"
    failed=1
  fi
  echo "$layer: $passed passed, $failed failed, $skipped skipped"
  TOTAL_PASSED=$((TOTAL_PASSED + passed))
  TOTAL_FAILED=$((TOTAL_FAILED + failed))
  TOTAL_SKIPPED=$((TOTAL_SKIPPED + skipped))
}

# gtest_counts LOG: "passed failed skipped" from GoogleTest's closing lines
# (the brief printer lists no failed count: it is what ran less the rest).
gtest_counts() {
  local log=$1 ran passed skipped
  ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\{0,1\} from .* ran\..*/\1/p' "$log" | tail -n 1)
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
  skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
  echo "${passed:-0} $((${ran:-0} - ${passed:-0} - ${skipped:-0})) ${skipped:-0}"
}

# run_gtest LAYER LOG SECONDS COMMAND...: runs a GoogleTest binary for at most
# SECONDS, shows its failures and closing lines, records its counts. A crash,
# a hang or a missing summary counts as one failure.
run_gtest() {
  local layer=$1 log=$2 limit=$3 status=0 passed failed skipped
  shift 3
  timeout --kill-after=10 "$limit" "$@" --gtest_brief=1 --gtest_color=no \
    </dev/null >"$log" 2>&1 || status=$?
  # The brief printer shows only failures and the closing lines.
  grep -v '^Running main() from' "$log" | tail -n 60 || true
  read -r passed failed skipped < <(gtest_counts "$log")
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "$layer: stopped after $limit s (log: $log)"
  fi
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
    echo "$layer: exited with status $status (log: $log)"
    failed=1
  fi
  record "$layer" "$passed" "$failed" "$skipped"
}

layer_native() {
  local exe=$BUILD/native/tests/unit_tests
  if [ ! -x "$exe" ]; then
    echo "native: $exe is not built"
    record native 0 1 0
    return
  fi
  run_gtest native "$BUILD/native-unit.log" 300 "$exe"
}

# The Windows tree the Wine layers run, with a loud notice when it cannot be
# the 32-bit one that ships.
WINDOWS_TREE=
choose_windows_tree() {
  [ -z "$WINDOWS_TREE" ] || return 0
  win32_decide
  WINDOWS_TREE=$(windows_tree)
  if [ "$WINDOWS_TREE" != "$BUILD/win32" ]; then
    NOTICES+=("NOTICE: 32-bit programs do not run natively here (MENU_WIN32=$MENU_WIN32_MODE): the wine and e2e layers ran the 64-bit twin from $WINDOWS_TREE (MENU.EXE, MENUCHECK.EXE, MENUEDIT.EXE, the unit tests and the test helpers), not the 32-bit programs that ship")
    echo "${NOTICES[-1]}"
  fi
}

# pytest_counts XML STATUS: "passed failed skipped" of a pytest run from its
# JUnit file; nothing when there is none.
pytest_counts() {
  local xml=$1 status=$2 counts passed failed skipped
  counts=$("$(debian_python)" - "$xml" <<'EOF2'
import sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
suites = [root] if root.tag == "testsuite" else list(root.iter("testsuite"))
total = failed = skipped = 0
for s in suites:
    total += int(s.get("tests", 0))
    failed += int(s.get("failures", 0)) + int(s.get("errors", 0))
    skipped += int(s.get("skipped", 0))
print(max(0, total - failed - skipped), failed, skipped)
EOF2
  ) || return 1
  read -r passed failed skipped <<<"$counts"
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
    failed=1
  fi
  echo "$passed $failed $skipped"
}

layer_wine() {
  choose_windows_tree
  local exe=$WINDOWS_TREE/tests/unit_tests.exe prefix
  if [ ! -f "$exe" ]; then
    echo "wine: $exe is not built"
    record wine 0 1 0
    return
  fi
  prefix=$(mktemp -d /tmp/menu-unit-wine.XXXXXX)
  (
    wine_env "$prefix"
    # Some Win32 calls under test want a display behind them.
    start_xvfb 24
    export DISPLAY=$XVFB_DISPLAY
    trap 'stop_wine; stop_xvfb' EXIT
    boot_prefix
    run_gtest wine "$BUILD/wine-unit.log" 600 "$WINE" "$exe"
    echo "$TOTAL_PASSED $TOTAL_FAILED $TOTAL_SKIPPED" >"$prefix.counts"
  ) || echo "wine: the layer did not finish"
  if [ -f "$prefix.counts" ]; then
    read -r TOTAL_PASSED TOTAL_FAILED TOTAL_SKIPPED <"$prefix.counts"
  else
    record wine 0 1 0
  fi
  rm -rf "$prefix" "$prefix.counts"
}

layer_e2e() {
  local xml=$BUILD/e2e-results.xml status=0 counts passed failed skipped python
  python=$(debian_python)
  rm -f "$xml"
  choose_windows_tree
  export MENU_WIN_BUILD=$WINDOWS_TREE
  echo "e2e: running $WINDOWS_TREE/MENU.EXE"
  # The resource checks read both builds of the program from these.
  [ ! -f "$BUILD/win32/MENU.EXE" ] || export MENU_EXE32=$BUILD/win32/MENU.EXE
  [ ! -f "$BUILD/win64/MENU.EXE" ] || export MENU_EXE64=$BUILD/win64/MENU.EXE
  (cd "$ROOT" && timeout --kill-after=30 1800 "$python" -m pytest -q -rfE --tb=short \
      tests/e2e --junitxml="$xml" -o junit_family=xunit1 </dev/null) || status=$?
  if [ "$status" -eq 5 ]; then
    record e2e 0 0 0
    return
  fi
  if ! counts=$(pytest_counts "$xml" "$status"); then
    echo "e2e: no results (pytest exit status $status)"
    record e2e 0 1 0
    return
  fi
  read -r passed failed skipped <<<"$counts"
  record e2e "$passed" "$failed" "$skipped"
}

# emulated_check XML: scripts/emulated.sh on the shipped program and the twin.
emulated_check() {
  MENU_WIN_BUILD=$BUILD/win64 MENU_SHIPPED_EXE=$BUILD/win32/MENU.EXE \
    timeout --kill-after=30 1500 bash "$ROOT/scripts/emulated.sh" --junitxml="$1" \
      -o junit_family=xunit1 </dev/null
}

# The shipped 32-bit program, run where the layers before could only run
# the twin: under qemu when that can be had, else said to be not run.
layer_emulated() {
  local xml=$BUILD/emulated-results.xml status=0 counts passed failed skipped log=$BUILD/emulated.log
  win32_decide
  case $MENU_WIN32_MODE in
    native)
      echo "emulated: not needed, the layers ran the shipped 32-bit programs natively"
      return ;;
    none)
      NOTICES+=("NOTICE: the shipped 32-bit MENU.EXE was not run at all (MENU_WIN32=none: no CPU emulation)")
      echo "${NOTICES[-1]}"
      return ;;
  esac
  rm -f "$xml"
  emulated_check "$xml" >"$log" 2>&1 || status=$?
  cat "$log"
  if [ "$status" -eq 3 ]; then
    NOTICES+=("NOTICE: the shipped 32-bit MENU.EXE was not run at all: CPU emulation cannot be had here ($(grep '^emulated: ' "$log" | tail -n 1 | sed 's/^emulated: //'))")
    echo "${NOTICES[-1]}"
    return
  fi
  if ! counts=$(pytest_counts "$xml" "$status"); then
    echo "emulated: no results (status $status, log: $log)"
    record emulated 0 1 0
    return
  fi
  read -r passed failed skipped <<<"$counts"
  record emulated "$passed" "$failed" "$skipped"
  if [ "$failed" -eq 0 ]; then
    NOTICES+=("NOTICE: the shipped 32-bit MENU.EXE ran under CPU emulation (qemu) and showed and did what the twin did: start screen, one tab, one button")
    echo "${NOTICES[-1]}"
  fi
}

layer_sanitize() {
  local dir=$BUILD/sanitize exe=$BUILD/sanitize/tests/unit_tests
  if [ -z "${MENU_SKIP_BUILD:-}" ]; then
    echo "== build sanitize"
    if ! cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DMENU_SANITIZE=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >"$dir.configure.log" 2>&1 ||
       ! cmake --build "$dir" --target unit_tests -- -j"${MENU_JOBS:-2}" >"$dir.build.log" 2>&1; then
      grep -hE 'error:|undefined reference' "$dir.configure.log" "$dir.build.log" 2>/dev/null |
        sort -u | head -n 20 || true
      echo "sanitize: building failed (logs: $dir.configure.log, $dir.build.log)"
      record sanitize 0 1 0
      return
    fi
  fi
  if [ ! -x "$exe" ]; then
    echo "sanitize: $exe is not built"
    record sanitize 0 1 0
    return
  fi
  # Any report ends the run with an error; leaks are reports too.
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_gtest sanitize "$BUILD/sanitize-unit.log" 600 "$exe"
}

layer_fuzz() {
  local log=$BUILD/fuzz-smoke.log passed failed
  mkdir -p "$BUILD"
  bash "$ROOT/scripts/fuzz.sh" --smoke >"$log" 2>&1 || true
  grep -v '^== build' "$log" || true
  passed=$(grep -c '^fuzz_[a-z]*: ok' "$log" || true)
  failed=$(grep -cE '^fuzz_[a-z]*: (FAILED|not built)|^fuzz: (configuring|building) failed' "$log" || true)
  record fuzz "$passed" "$failed" 0
}

layer_bench() {
  local log=$BUILD/bench-smoke.log status=0
  mkdir -p "$BUILD"
  MENU_SKIP_BUILD=1 timeout --kill-after=10 600 bash "$ROOT/scripts/bench.sh" --smoke \
    </dev/null >"$log" 2>&1 || status=$?
  cat "$log"
  # Figures, not goals: it passes when it measured start-up and a press.
  if [ "$status" -eq 0 ] && grep -q '^ratio menu / minimal window: [0-9.]*' "$log" &&
     grep -q '^sample disc .*tab 1' "$log"; then
    record bench 1 0 0
  else
    echo "bench: the benchmark did not run through (status $status, log: $log)"
    record bench 0 1 0
  fi
}

main() {
  local layers=("$@") layer summary
  [ ${#layers[@]} -gt 0 ] || layers=("${LAYERS[@]}")

  if [ -z "${MENU_SKIP_BUILD:-}" ]; then
    bash "$ROOT/scripts/deps.sh"
  fi
  # Once, after the set-up (which may have brought qemu): every script,
  # test and helper below reads MENU_WIN32_MODE.
  win32_decide
  echo "32-bit Windows programs: $MENU_WIN32_MODE"
  if [ -z "${MENU_SKIP_BUILD:-}" ]; then
    if ! bash "$ROOT/scripts/build.sh"; then
      echo "build: failed; running the layers whose programs exist"
      record build 0 1 0
    fi
  fi

  for layer in "${layers[@]}"; do
    echo "== $layer"
    if declare -F "layer_$layer" >/dev/null; then
      "layer_$layer"
    else
      echo "$layer: no such layer (${LAYERS[*]})"
      record "$layer" 0 1 0
    fi
  done

  local notice
  for notice in "${NOTICES[@]}"; do
    echo "$notice"
  done
  summary="$TOTAL_PASSED passed, $TOTAL_FAILED failed"
  [ "$TOTAL_SKIPPED" -eq 0 ] || summary="$summary, $TOTAL_SKIPPED skipped"
  echo "$summary"
  [ "$TOTAL_FAILED" -eq 0 ]
}

# Sourced (by the harness's own tests), it only defines the functions.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  main "$@"
fi
