#!/usr/bin/env bash
# Builds what is missing or stale, then measures the menu and prints a
# report: the size of the 32-bit MENU.EXE and its imports, start-up against
# a minimal window program, tab presses, and the model's loading natively
# and under Wine. Not a test: nothing here passes or fails on a figure.
# Environment: MENU_BUILD_ROOT (default build/), MENU_BENCH_RUNS (default 7).
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# The program's trees as the tests use them; a tree that fails to build
# still leaves the benchmark whatever it needs, if that was built.
"$ROOT/scripts/build.sh" win32 win64 || echo "bench: build reported errors; measuring what was built"

# The native model figure wants an optimised build, not the tests' Debug one.
native=$BUILD/bench-native
if ! { cmake -S "$ROOT" -B "$native" -DCMAKE_BUILD_TYPE=Release -DMENU_TESTS=OFF \
         >"$native.configure.log" 2>&1 &&
       cmake --build "$native" --target modelbench -- -j"${MENU_JOBS:-2}" \
         >"$native.build.log" 2>&1; }; then
  echo "bench: native modelbench failed to build (logs: $native.*.log)"
fi

MENU_BENCH_NATIVE=$native/tools/bench/modelbench "$(debian_python)" "$ROOT/tools/bench/bench.py"
