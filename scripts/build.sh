#!/usr/bin/env bash
# Configures and builds the three trees under build/:
#   build/native   portable core, unit tests and tools (Linux)
#   build/win32    MENU.EXE for the disc (i686), and the unit tests, test
#                  helpers and tools that run beside it under Wine
#   build/win64    the 64-bit twin: the program and the test helpers, so that
#                  the sources are seen to compile for 64 bits (and the
#                  end-to-end tests have something to run on a machine that
#                  cannot run 32-bit programs)
# Every tree is attempted even when an earlier one fails, so that one broken
# target does not hide the state of the others; the exit status is non-zero
# when any failed. Usage: build.sh [native|win32|win64 ...]
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
JOBS=${MENU_JOBS:-2}

# Debug natively: the unit tests want assertions and readable failures.
# The Windows trees build as the disc program ships.
configure_args() {
  case $1 in
    native) echo "-DCMAKE_BUILD_TYPE=Debug" ;;
    win32)  echo "-DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE=$ROOT/cmake/mingw-i686.cmake" ;;
    # The twin's unit tests are built only where they stand in for the
    # 32-bit ones, on a machine that cannot run those.
    win64)  echo "-DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE=$ROOT/cmake/mingw-x86_64.cmake -DMENU_WERROR=ON" \
              "$(runs_32bit && echo -DMENU_UNIT_TESTS=OFF || echo -DMENU_UNIT_TESTS=ON)" ;;
    *) return 1 ;;
  esac
}

build_tree() {
  local name=$1 dir=$BUILD/$1 args
  args=$(configure_args "$name") || { echo "build: unknown tree $name" >&2; return 1; }
  echo "== build $name"
  # shellcheck disable=SC2086  # args is a list of words
  if ! cmake -S "$ROOT" -B "$dir" $args >"$dir.configure.log" 2>&1; then
    tail -n 30 "$dir.configure.log"
    echo "build: configuring $name failed (log: $dir.configure.log)"
    return 1
  fi
  # -k: build every target that can be built, report the rest.
  if ! cmake --build "$dir" -- -k -j"$JOBS" >"$dir.build.log" 2>&1; then
    grep -E 'error:|undefined reference|No rule to make' "$dir.build.log" | sort -u | head -n 30 || true
    echo "build: $name failed (log: $dir.build.log)"
    return 1
  fi
  grep -E 'warning:' "$dir.build.log" | sort -u | head -n 20 || true
}

mkdir -p "$BUILD"
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native win32 win64)
status=0
for tree in "${trees[@]}"; do
  build_tree "$tree" || status=1
done
for exe in "$BUILD/win32/MENU.EXE" "$BUILD/win64/MENU.EXE"; do
  [ -f "$exe" ] && echo "built $exe"
done
exit $status
