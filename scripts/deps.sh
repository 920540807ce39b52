#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (bookworm, amd64).
# Quick when everything is present: apt is only touched for what is missing.
#
# The disc's MENU.EXE is a 32-bit program, and the tests run it as it
# ships: Debian's wine32 (from the i386 architecture, added here) runs
# 32-bit Windows programs in the same 64-bit prefix as wine64 runs 64-bit
# ones. A kernel that cannot execute 32-bit programs gets everything else,
# with qemu-user-static for a short emulated run of the shipped program;
# there the wine32 and qemu packages are wanted but not needed.
#
# Package indexes are sometimes caught mid-sync: a failed `apt-get update` is
# tried again, then the script goes on with the indexes it has. When the
# resolver refuses because one architecture's candidates come from a suite
# whose other half is missing, the install is tried again with the release
# pinned. Whatever could not be installed is named on one line; without the
# packages the build needs the script stops there.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Needed: without these nothing is built or tested.
PACKAGES=(
  cmake g++ make
  mingw-w64 binutils-mingw-w64-i686
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64
  xvfb xdotool imagemagick x11-utils xauth
  locales fontconfig fonts-ipafont-gothic
  googletest
  python3 python3-pytest python3-pil
  clang libclang-rt-14-dev
  xorriso
)
# Wanted: the layers that use them say so when they are missing.
WANTED=(chromium osslsigncode openssl)
# The 32-bit half of Wine (its loader and DLLs); and, where the kernel does
# not run 32-bit programs, the CPU emulator that runs that loader.
WANTED_32=(wine32:i386)
[ "$(win32_probe)" = native ] || WANTED_32+=(qemu-user-static)
LOCALE=ja_JP.UTF-8
RETRIES=${MENU_APT_RETRIES:-3}
PAUSE=${MENU_APT_PAUSE:-20}

installed() {
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" = installed ]
}

# missing_of PKG...: those of PKG... that are not installed.
missing_of() {
  local pkg
  for pkg in "$@"; do
    installed "$pkg" || echo "$pkg"
  done
}

have_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'
}

mapfile -t missing < <(missing_of "${PACKAGES[@]}")
mapfile -t missing_wanted < <(missing_of "${WANTED[@]}" "${WANTED_32[@]}")

if [ ${#missing[@]} -eq 0 ] && [ ${#missing_wanted[@]} -eq 0 ] && have_locale; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "deps: missing ${missing[*]:-} ${missing_wanted[*]:-} ${LOCALE}; run this script as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive

# update_indexes: apt-get update, tried again while any index fails; then
# each index that still failed is named and the install goes on without it.
update_indexes() {
  local try log status
  log=$(mktemp)
  for try in $(seq "$RETRIES"); do
    status=0
    apt-get update -q >"$log" 2>&1 || status=$?
    if [ "$status" -eq 0 ] && ! grep -q '^[WE]: Failed to fetch' "$log"; then
      rm -f "$log"
      return 0
    fi
    if [ "$try" -lt "$RETRIES" ]; then
      echo "deps: apt-get update failed (status $status, try $try of $RETRIES); again in $PAUSE s"
      sleep "$PAUSE"
    fi
  done
  grep -E '^[WE]: (Failed to fetch|Some index files failed)' "$log" | sed 's/^/deps: /' || true
  echo "deps: going on with the package indexes that were fetched"
  rm -f "$log"
}

# install_all PKG...: one transaction; when the resolver refuses, once more
# with the release pinned, so that both architectures come from one suite.
install_all() {
  local codename
  if apt-get install -y -q --no-install-recommends "$@"; then
    return 0
  fi
  codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || return 1
  echo "deps: the install was refused; trying again with the release pinned (-t $codename)"
  apt-get install -y -q --no-install-recommends -t "$codename" "$@"
}

if [ ${#missing_wanted[@]} -gt 0 ] && printf '%s\n' "${missing_wanted[@]}" | grep -q ':i386$' &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "deps: adding the i386 architecture (for wine32)"
  dpkg --add-architecture i386
fi
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_wanted[@]} -gt 0 ]; then
  update_indexes
  echo "deps: installing ${missing[*]:-} ${missing_wanted[*]:-}"
  if ! install_all "${missing[@]}" "${missing_wanted[@]}"; then
    # What is wanted may be what cannot be had: the needed alone, then each
    # wanted package by itself, so that one cannot keep out the others.
    if [ ${#missing[@]} -gt 0 ]; then
      echo "deps: installing what the build needs on its own"
      install_all "${missing[@]}" || true
    fi
    for pkg in "${missing_wanted[@]}"; do
      installed "$pkg" || install_all "$pkg" || true
    done
  fi
fi

mapfile -t still < <(missing_of "${PACKAGES[@]}")
mapfile -t still_wanted < <(missing_of "${WANTED[@]}" "${WANTED_32[@]}")
if [ ${#still_wanted[@]} -gt 0 ]; then
  echo "deps: could not install (wanted, going on without): ${still_wanted[*]}" >&2
fi
if [ ${#still[@]} -gt 0 ]; then
  echo "deps: could not install (needed, stopping): ${still[*]}" >&2
  exit 1
fi

if ! have_locale; then
  echo "deps: generating locale $LOCALE"
  if ! grep -q "^${LOCALE} UTF-8" /etc/locale.gen 2>/dev/null; then
    echo "${LOCALE} UTF-8" >> /etc/locale.gen
  fi
  locale-gen
fi
