#!/usr/bin/env bash
# Builds what is missing or stale, then measures the menu and prints a
# report: the size of the 32-bit MENU.EXE and its imports, start-up against
# a minimal window program, tab presses, and the model's loading natively
# and under Wine. Not a test: nothing here passes or fails on a figure.
# Usage: bench.sh [--smoke]   (--smoke: one start-up and one press each,
# to show that the benchmark works; the test command runs it so).
# Environment: MENU_BUILD_ROOT (default build/), MENU_BENCH_RUNS (default 7),
# MENU_SKIP_BUILD=1 to measure what is built.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

win32_decide
TREE=$(windows_tree)
if [ "$TREE" != "$BUILD/win32" ]; then
  echo "bench: this machine cannot run 32-bit programs; timing the 64-bit twin instead"
fi
export MENU_WIN_BUILD=$TREE

if [ -z "${MENU_SKIP_BUILD:-}" ]; then
  # The size is always the 32-bit program's; the times are the tree's.
  trees=(win32)
  [ "$TREE" = "$BUILD/win32" ] || trees+=(win64)
  "$ROOT/scripts/build.sh" "${trees[@]}" || echo "bench: build reported errors; measuring what was built"
fi

native=$BUILD/bench-native
if [ "${1:-}" != --smoke ] && [ -z "${MENU_SKIP_BUILD:-}" ]; then
  # The native model figure wants an optimised build, not the tests' Debug one.
  if ! { cmake -S "$ROOT" -B "$native" -DCMAKE_BUILD_TYPE=Release -DMENU_TESTS=OFF \
           >"$native.configure.log" 2>&1 &&
         cmake --build "$native" --target modelbench -- -j"${MENU_JOBS:-2}" \
           >"$native.build.log" 2>&1; }; then
    echo "bench: native modelbench failed to build (logs: $native.*.log)"
  fi
fi

MENU_BENCH_NATIVE=$native/tools/bench/modelbench "$(debian_python)" "$ROOT/tools/bench/bench.py" "$@"
