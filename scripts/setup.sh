#!/usr/bin/env bash
# Installs every Debian package that the build, the program, the tests and the
# demo need. Safe to run again: apt-get skips what is already there.
set -euo pipefail

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

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Narrow code pages the tests run under: 936 (GBK, and GB18030, which the
# system also counts as 936) and 1252 (ISO-8859-1).
have_locale() { locale -a 2>/dev/null | tr 'A-Z' 'a-z' | tr -d '-' | grep -qx "$1"; }
have_locale zh_cn.gbk || $SUDO localedef -i zh_CN -f GBK zh_CN.GBK
have_locale zh_cn.gb18030 || $SUDO localedef -i zh_CN -f GB18030 zh_CN.GB18030
have_locale en_us.iso88591 || $SUDO localedef -i en_US -f ISO-8859-1 en_US.ISO-8859-1
