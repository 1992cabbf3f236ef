#!/usr/bin/env bash
# Installs every Debian package that the build, the program, the tests and the
# demo need. Safe to run again: apt-get skips what is already there.
#   scripts/setup.sh            the Linux build
#   scripts/setup.sh --windows  the Linux build and the Windows ones: the
#                               cross compilers, Wine (the 32-bit Wine where
#                               the host runs 32-bit code), and curl's sources
set -euo pipefail

windows=0
[ "${1:-}" = --windows ] && windows=1

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-private-dev qt6-base-dev-tools libqt6dbus6 dbus-daemon dbus dbus-bin
  libcurl4-openssl-dev curl
  fonts-wqy-microhei fontconfig
  libgtest-dev
  clang-14 libclang-rt-14-dev
  xvfb xdotool openbox x11-utils imagemagick
  nginx-light
  socat
  locales
)
if [ $windows = 1 ]; then
  # Both Windows targets' cross compilers; widl (mingw-w64-tools) and Wine's
  # IDL files (libwine-dev) make the COM header and type library; dpkg-dev
  # unpacks curl's source package, built for Windows from it; wixl builds the
  # installer package, osslsigncode and openssl sign it; time and bc measure
# the benchmark. The 64-bit Wine
  # here, the 32-bit one below where the host runs it.
  packages+=(
    binutils g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev
    wine wine64
    msitools wixl osslsigncode openssl
    dpkg-dev time bc
  )
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=0
update() { [ $updated = 1 ] || $SUDO apt-get update -qq; updated=1; }

install() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  update
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
install "${packages[@]}"

# The 32-bit Wine runs the product's build; a host that runs no 32-bit code
# cannot even finish installing it (its packages' triggers are such code).
if [ $windows = 1 ] && bash "$(dirname "$0")/windows-targets.sh" 2>/dev/null | grep -qx "windows-x86 build-windows yes"; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    updated=0
  fi
  install wine32:i386
fi

# curl's source package: the Windows build's transfer library is built from
# the same release Debian ships. A source entry of its own, only when apt
# knows no source of curl yet.
# (grep reads the whole list: one that stopped early would fail the pipe.)
if [ $windows = 1 ] && ! apt-cache showsrc curl 2>/dev/null | grep '^Package: curl$' >/dev/null; then
  list=/etc/apt/sources.list.d/deravizizivu-debian-src.sources
  if [ ! -e "$list" ]; then
    $SUDO tee "$list" >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  fi
  updated=0
  update
fi

# Narrow code pages the tests run under: 936 (GBK, and GB18030, which the
# system also counts as 936) and 1252 (ISO-8859-1).
have_locale() { locale -a 2>/dev/null | tr 'A-Z' 'a-z' | tr -d '-' | grep -qx "$1"; }
have_locale zh_cn.gbk || $SUDO localedef -i zh_CN -f GBK zh_CN.GBK
have_locale zh_cn.gb18030 || $SUDO localedef -i zh_CN -f GB18030 zh_CN.GB18030
have_locale en_us.iso88591 || $SUDO localedef -i en_US -f ISO-8859-1 en_US.ISO-8859-1
