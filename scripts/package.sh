#!/usr/bin/env bash
# Sets up the machine and builds the installable package:
#   scripts/package.sh            the Debian package in build-package/: the
#                                 program, its English resource library beside
#                                 it, the bus interfaces and the example
#                                 activation files, all below /usr
#   scripts/package.sh --windows  the Windows installer package (MSI) in
#                                 build-windows/package/windows/: the program and
#                                 its English resource library, under Program Files
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --windows ]; then
  bash scripts/setup.sh --windows
  bash scripts/build-curl-windows.sh build-windows
  cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
  cmake --build build-windows -j "$(nproc)" --target msi
  ls build-windows/package/windows/*.msi
  exit
fi
bash scripts/setup.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB)
