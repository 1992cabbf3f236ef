#!/usr/bin/env bash
# The Windows build's transfer library: libcurl and curl.exe cross-built for
# one Windows target from Debian's source package of curl, the release Debian
# ships with its fixes. Schannel is the only TLS, HTTP and HTTPS the only
# protocols, and no library of its own beyond Windows' system ones.
#
#   scripts/build-curl-windows.sh <build folder> <tool chain file>
#
# installs into <build folder>/curl (lib/libcurl.a, include/curl, bin/curl.exe,
# lib/cmake/CURL). A second run that finds it built does nothing. Configuring
# a Windows build runs it (CMakeLists.txt), so each build folder has the curl
# of its own target.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 <build folder> <tool chain file>" >&2; exit 2; }
mkdir -p "$1"
build=$(cd "$1" && pwd)
toolchain=$(realpath "$2")
prefix=$build/curl
stamp=$prefix/built-from
# Raised when the way it is built changes, so that a build folder's curl
# follows.
recipe="recipe 2"

if grep -qs " $recipe\$" "$stamp" && [ -f "$prefix/lib/libcurl.a" ]; then
  echo "curl for Windows: $(cat "$stamp"), built already in $prefix" >&2
  exit 0
fi

# The source package, unpacked afresh (with Debian's patches) into the build
# folder; a run broken off earlier leaves nothing that counts.
work=$build/curl-source
rm -rf "$work" "$prefix"
mkdir -p "$work"
(cd "$work" && apt-get source -qq curl >/dev/null)
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'curl-*' | head -1)
[ -n "$src" ] || { echo "apt-get source curl unpacked nothing" >&2; exit 1; }
version=$(cd "$src" && dpkg-parsechangelog -S Version)

# curl's own CMake build with the project's tool chain file, so libcurl and
# curl.exe are made exactly as the program is (static run time included).
# No CA bundle path of the build machine: Schannel uses Windows' store; no
# path of the build folder either (a source file's name is written in the
# library), so the same sources give the same bytes anywhere.
cmake -S "$src" -B "$work/build" -G "Unix Makefiles" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_FLAGS="-ffile-prefix-map=$src/=" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=ON -DBUILD_TESTING=OFF \
  -DENABLE_MANUAL=OFF \
  -DHTTP_ONLY=ON \
  -DCURL_ENABLE_SSL=ON -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF \
  -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
  -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
  -DUSE_NGHTTP2=OFF -DUSE_NGTCP2=OFF -DUSE_QUICHE=OFF -DUSE_MSH3=OFF \
  -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF -DCURL_USE_LIBPSL=OFF \
  -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DCURL_USE_GSSAPI=OFF \
  -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DUSE_WIN32_LDAP=OFF \
  -DENABLE_UNIX_SOCKETS=OFF \
  >"$work/configure.log" 2>&1 || { tail -20 "$work/configure.log" >&2; exit 1; }
# curl's own warnings stay in its log.
cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 || { tail -20 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >"$work/install.log"
echo "$version $recipe" > "$stamp"
echo "curl for Windows: $version, built in $prefix" >&2
