#!/usr/bin/env bash
# The shipped 32-bit MENU.EXE on a kernel that runs no 32-bit program: qemu
# (Debian's qemu-user-static) is registered with binfmt_misc for i386 ELF
# programs for this check's duration, so that Wine's 32-bit loader runs
# under emulation; tests/emulated then compares the program with its
# 64-bit twin. The entry is removed afterwards, whatever happened.
#
# The prefix is kept between runs outside the build tree
# (MENU_EMULATED_PREFIX, default ~/.cache/picturemenu/wine-emulated):
# making one under emulation takes minutes.
# Exit status: pytest's; 3 when emulation cannot be set up here.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

BINFMT=/proc/sys/fs/binfmt_misc
ENTRY=menu-i386
# i386 ELF executables and shared objects, as qemu's own set-up names them.
MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
QEMU=/usr/bin/qemu-i386-static
PREFIX=${MENU_EMULATED_PREFIX:-$HOME/.cache/picturemenu/wine-emulated}
STAMP=$PREFIX/.menu-emulated-ready
REGISTERED=

cannot() {
  echo "emulated: $*"
  exit 3
}

unregister() {
  if [ -n "$REGISTERED" ] && [ -e "$BINFMT/$ENTRY" ]; then
    echo -1 >"$BINFMT/$ENTRY" || echo "emulated: could not remove $BINFMT/$ENTRY" >&2
  fi
  REGISTERED=
}

register() {
  [ -x "$QEMU" ] || cannot "$QEMU is not installed (qemu-user-static)"
  [ -x /usr/lib/wine/wine ] || cannot "Wine's 32-bit loader is not installed (wine32)"
  [ "$(id -u)" -eq 0 ] || cannot "registering an interpreter with binfmt_misc needs root"
  if [ ! -e "$BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null || cannot "binfmt_misc cannot be mounted on $BINFMT"
  fi
  # One left behind by an interrupted run is replaced.
  [ ! -e "$BINFMT/$ENTRY" ] || echo -1 >"$BINFMT/$ENTRY"
  # F: qemu is opened now, so it is found inside any root; P: argv[0] kept.
  printf '%s' ":$ENTRY:M::$MAGIC:$MASK:$QEMU:FP" >"$BINFMT/register" 2>/dev/null ||
    cannot "binfmt_misc refused the qemu entry"
  REGISTERED=1
  [ "$(win32_probe)" != none ] || { unregister; cannot "a 32-bit program still does not run with qemu registered"; }
}

cleanup() {
  stop_wine
  unregister
}

register
trap cleanup EXIT

# A prefix is usable when it was made through to the end with the 32-bit
# loader working: a prefix without syswow64 cannot load 32-bit programs.
wine_env "$PREFIX"
export WINELOADER=/usr/lib/wine/wine64
WINE=$WINELOADER
if [ ! -f "$STAMP" ] || [ ! -f "$PREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "emulated: making the prefix $PREFIX under emulation (takes minutes)"
  stop_wine
  rm -rf "$PREFIX"
  mkdir -p "$PREFIX"
  started=$SECONDS
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
  # wineboot returns while the 32-bit half is still being registered: wait
  # for every process of the prefix to end, never cut it short.
  wineserver -w >/dev/null 2>&1 || true
  [ -f "$PREFIX/drive_c/windows/syswow64/kernel32.dll" ] ||
    { echo "emulated: the prefix was made without its 32-bit half"; exit 1; }
  date -u +%FT%TZ >"$STAMP"
  echo "emulated: prefix made in $((SECONDS - started)) s"
fi

export MENU_EMULATED_PREFIX=$PREFIX
status=0
(cd "$ROOT" && timeout --kill-after=30 "${MENU_EMULATED_TIMEOUT:-1200}" "$(debian_python)" -m pytest \
   -q -rfE --tb=short -p no:cacheprovider tests/emulated "$@" </dev/null) || status=$?
exit $status
