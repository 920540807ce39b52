#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (bookworm, amd64).
# Quick when everything is present: apt is only touched for what is missing.
#
# The disc's MENU.EXE is a 32-bit program, and the tests run it as it
# ships: Debian's wine32 (from the i386 architecture, added here) runs
# 32-bit Windows programs in the same 64-bit prefix as wine64 runs 64-bit
# ones. A machine whose kernel cannot run 32-bit programs gets everything
# else; the test command then says so and falls back to the 64-bit twin.
set -euo pipefail

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
# The 32-bit half of Wine: its loader and DLLs.
PACKAGES_I386=(wine32:i386)
LOCALE=ja_JP.UTF-8

installed() {
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" = installed ]
}

missing=()
for pkg in "${PACKAGES[@]}"; do
  installed "$pkg" || missing+=("$pkg")
done
missing_i386=()
for pkg in "${PACKAGES_I386[@]}"; do
  installed "$pkg" || missing_i386+=("$pkg")
done

have_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'
}

if [ ${#missing[@]} -eq 0 ] && [ ${#missing_i386[@]} -eq 0 ] && have_locale; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "deps: missing ${missing[*]:-} ${missing_i386[*]:-} ${LOCALE}; run this script as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if [ ${#missing_i386[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "deps: adding the i386 architecture (for wine32)"
  dpkg --add-architecture i386
fi
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_i386[@]} -gt 0 ]; then
  apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#missing_i386[@]} -gt 0 ]; then
  echo "deps: installing ${missing_i386[*]}"
  if ! apt-get install -y -q --no-install-recommends "${missing_i386[@]}"; then
    echo "deps: could not install ${missing_i386[*]}; 32-bit programs will not run under Wine" >&2
  fi
fi

if ! have_locale; then
  echo "deps: generating locale $LOCALE"
  if ! grep -q "^${LOCALE} UTF-8" /etc/locale.gen 2>/dev/null; then
    echo "${LOCALE} UTF-8" >> /etc/locale.gen
  fi
  locale-gen
fi
