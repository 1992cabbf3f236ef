#!/usr/bin/env bash
# Sets up the machine and builds the Debian package in build-package/:
# the program, its English resource library beside it, the bus interfaces
# and the example activation files, all below /usr.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB)
