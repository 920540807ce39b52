#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (bookworm, amd64).
# Quick when everything is present: apt is only touched for what is missing.
set -euo pipefail

# Debian's wine with wine64 only: the i386 architecture is never added, since
# this kernel cannot run 32-bit programs anyway.
PACKAGES=(
  cmake g++ make
  mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix
  wine wine64
  xvfb xdotool imagemagick x11-utils xauth
  locales fontconfig fonts-ipafont-gothic
  googletest
  python3 python3-pytest python3-pil
  clang libclang-rt-14-dev
  xorriso
)
LOCALE=ja_JP.UTF-8

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  if [ "$status" != installed ]; then
    missing+=("$pkg")
  fi
done

have_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'
}

if [ ${#missing[@]} -eq 0 ] && have_locale; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "deps: missing ${missing[*]:-} ${LOCALE}; run this script as root" >&2
  exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! have_locale; then
  echo "deps: generating locale $LOCALE"
  if ! grep -q "^${LOCALE} UTF-8" /etc/locale.gen 2>/dev/null; then
    echo "${LOCALE} UTF-8" >> /etc/locale.gen
  fi
  locale-gen
fi
