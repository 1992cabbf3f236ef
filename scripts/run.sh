#!/usr/bin/env bash
# Sets up the machine, builds the program and runs it on a sample command line.
# Without a display it runs under a virtual one and saves screenshots.
#   scripts/run.sh            the Linux build, pictures in out/
#   scripts/run.sh --windows  the 32-bit Windows build under Wine, pictures in out/windows/
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --windows ]; then
  bash scripts/setup.sh --windows
  bash scripts/build-curl-windows.sh build-windows
  cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
  cmake --build build-windows -j "$(nproc)" --target DeRavizizivu english_resources vantel
  exec bash scripts/demo.sh build-windows/app/DeRavizizivu.exe build-windows/standin/vantel.exe
fi
bash scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target DeRavizizivu tarnwick_standin
exec bash scripts/demo.sh build/app/DeRavizizivu build/standin/tarnwick_standin
