#!/usr/bin/env bash
# Sets up the machine and builds the installable package:
#   scripts/package.sh            the Debian package in build-package/: the
#                                 program, its English resource library beside
#                                 it, the bus interfaces and the example
#                                 activation files, all below /usr
#   scripts/package.sh --windows  the Windows installer package (MSI) in
#                                 build-windows/package/windows/: the program and
#                                 its English resource library, under Program Files
#                                 (the 64-bit build's in build-windows-x64/ on a
#                                 host that runs no 32-bit code)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --windows ]; then
  bash scripts/setup.sh --windows
  read -r preset dir _ < <(bash scripts/windows-targets.sh | awk '$3 == "yes"' | head -1)
  echo "packaging the $preset build ($dir/)"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" --target msi
  ls "$dir"/package/windows/*.msi
  exit
fi
bash scripts/setup.sh
cmake --preset package >/dev/null
cmake --build --preset package -j "$(nproc)"
(cd build-package && cpack -G DEB)
