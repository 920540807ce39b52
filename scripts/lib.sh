# Shared by the scripts: paths, a private X server, a Wine prefix.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${MENU_BUILD_ROOT:-$ROOT/build}
# Debian's python3 carries pytest and PIL (scripts/deps.sh); a python3 that
# comes first on PATH (pyenv and the like) may not.
debian_python() {
  if [ -x /usr/bin/python3 ]; then echo /usr/bin/python3; else echo python3; fi
}

XVFB_PID=
XVFB_DISPLAY=

# Whether Wine runs 32-bit programs here: its 32-bit loader (wine32) is
# installed and the kernel executes it.
runs_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The Windows tree whose programs the tests and the show run: the 32-bit
# one, which is what the disc carries, unless 32-bit programs cannot run.
windows_tree() {
  if runs_32bit; then echo "$BUILD/win32"; else echo "$BUILD/win64"; fi
}

# start_xvfb DEPTH: a private Xvfb (1024x768) on the first free display of
# :90-:99; sets XVFB_DISPLAY and XVFB_PID.
start_xvfb() {
  local depth=${1:-24} n _
  for n in 90 91 92 93 94 95 96 97 98 99; do
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
      continue
    fi
    Xvfb ":$n" -screen 0 "1024x768x$depth" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        XVFB_DISPLAY=":$n"
        return 0
      fi
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    # Lost a race for this display or it never came up: try the next.
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  done
  echo "no free X display in :90-:99" >&2
  return 1
}

stop_xvfb() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}

# wine_env PREFIX: the environment every Wine run of the project uses.
wine_env() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export LC_ALL=ja_JP.UTF-8
  unset LANG LANGUAGE
  # No Mono or Gecko prompts, no desktop menu entries for the user.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# boot_prefix: a persistent wineserver first (keeps later starts quick),
# then the prefix made or brought up to date.
boot_prefix() {
  mkdir -p "$WINEPREFIX"
  # Fails harmlessly when a server for this prefix is still running.
  wineserver -p 2>/dev/null || true
  wineboot -i </dev/null >/dev/null 2>&1
}

# boot_kept_prefix PROGRAM: boots a prefix kept between runs, and makes it
# anew when PROGRAM (a helper that only prints) no longer runs in it: a
# prefix made before wine32 was installed cannot load 32-bit programs
# ("could not load kernel32.dll") and cannot be mended.
boot_kept_prefix() {
  local program=$1
  if ! boot_prefix || ! wine "$program" screen </dev/null >/dev/null 2>&1; then
    echo "prefix $WINEPREFIX cannot run $(basename "$program"); making it anew"
    stop_wine
    rm -rf "$WINEPREFIX"
    boot_prefix
  fi
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
