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

# How 32-bit programs run here, decided by running one: a 93-byte i386 ELF
# program that only exits. "native" when the kernel executes it itself,
# "emulated" when only a binfmt_misc interpreter (qemu) does, "none" when
# it does not run at all. Whether wine32 is installed says nothing of this.
win32_probe() {
  local elf status=0
  elf=$(mktemp /tmp/menu-i386.XXXXXX)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x28\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$elf"
  chmod +x "$elf"
  "$elf" 2>/dev/null || status=$?
  rm -f "$elf"
  if [ "$status" -ne 0 ]; then
    echo none
  elif grep -qsl 'qemu-i386' /proc/sys/fs/binfmt_misc/* 2>/dev/null; then
    echo emulated
  else
    echo native
  fi
}

# Wine's 32-bit loader and DLLs (wine32) are installed.
have_wine32() {
  [ -x /usr/lib/wine/wine ]
}

# Whether the shipped 32-bit program can be run under CPU emulation for
# a short check: qemu and the 32-bit Wine loader installed, and root to
# register qemu with binfmt_misc for the check's duration.
can_emulate_win32() {
  [ -x /usr/bin/qemu-i386-static ] && have_wine32 &&
    [ "$(id -u)" -eq 0 ] && grep -qw binfmt_misc /proc/filesystems 2>/dev/null
}

# win32_decide: decides once how 32-bit Windows programs run here and
# exports it as MENU_WIN32_MODE for every script, test and helper after:
#   native    the 32-bit programs run under Wine; everything tests them
#   emulated  the layers run the 64-bit twin, and the shipped 32-bit
#             MENU.EXE gets a short check under qemu
#   none      the twin alone; the shipped program is not run
# MENU_WIN32=native|emulated|none forces one.
win32_decide() {
  [ -z "${MENU_WIN32_MODE:-}" ] || return 0
  case ${MENU_WIN32:-} in
    native|emulated|none) MENU_WIN32_MODE=$MENU_WIN32 ;;
    "")
      # A kernel that runs them natively still needs wine32 for Windows ones.
      case $(win32_probe) in
        native) if have_wine32; then MENU_WIN32_MODE=native; else MENU_WIN32_MODE=none; fi ;;
        *) if can_emulate_win32; then MENU_WIN32_MODE=emulated; else MENU_WIN32_MODE=none; fi ;;
      esac ;;
    *) echo "MENU_WIN32 must be native, emulated or none, not '$MENU_WIN32'" >&2; return 1 ;;
  esac
  export MENU_WIN32_MODE
}

win32_mode() {
  win32_decide >/dev/null && echo "$MENU_WIN32_MODE"
}

# Whether the Wine layers run 32-bit programs natively.
runs_32bit() {
  [ "$(win32_mode)" = native ]
}

# The Windows tree whose programs the tests and the show run: the 32-bit
# one, which is what the disc carries, unless 32-bit programs cannot run.
windows_tree() {
  if runs_32bit; then echo "$BUILD/win32"; else echo "$BUILD/win64"; fi
}

# The Wine loader: Debian's `wine` starts the 32-bit loader whenever wine32
# is installed, which a kernel without 32-bit support refuses, so on such a
# machine every program goes through the 64-bit loader.
wine_loader() {
  if runs_32bit; then echo wine; else echo /usr/lib/wine/wine64; fi
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

# wine_env PREFIX: the environment every Wine run of the project uses, and
# WINE, the loader to start programs with.
wine_env() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export LC_ALL=ja_JP.UTF-8
  unset LANG LANGUAGE
  # No Mono or Gecko prompts, no desktop menu entries for the user.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  WINE=$(wine_loader)
  if [ "$WINE" != wine ]; then export WINELOADER=$WINE; else unset WINELOADER; fi
}

# boot_prefix: a persistent wineserver first (keeps later starts quick),
# then the prefix made or brought up to date.
boot_prefix() {
  mkdir -p "$WINEPREFIX"
  # Fails harmlessly when a server for this prefix is still running.
  wineserver -p 2>/dev/null || true
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1
}

# boot_kept_prefix PROGRAM: boots a prefix kept between runs, and makes it
# anew when PROGRAM (a helper that only prints) no longer runs in it: a
# prefix made before wine32 was installed cannot load 32-bit programs
# ("could not load kernel32.dll") and cannot be mended.
boot_kept_prefix() {
  local program=$1
  if ! boot_prefix || ! "$WINE" "$program" screen </dev/null >/dev/null 2>&1; then
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
