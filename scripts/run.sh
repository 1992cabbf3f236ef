#!/usr/bin/env bash
# Sets up the machine, builds the program and runs it on a sample command line.
# Without a display it runs under a virtual one and saves screenshots.
#   scripts/run.sh            the Linux build, pictures in out/
#   scripts/run.sh --windows  the 32-bit Windows build under Wine (the 64-bit one on a
#                             host that runs no 32-bit code), pictures in out/windows/
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --windows ]; then
  bash scripts/setup.sh --windows
  read -r preset dir _ < <(bash scripts/windows-targets.sh | awk '$3 == "yes"' | head -1)
  echo "playing the $preset build ($dir/)"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" --target DeRavizizivu english_resources vantel
  exec bash scripts/demo.sh "$dir/app/DeRavizizivu.exe" "$dir/standin/vantel.exe"
fi
bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target DeRavizizivu tarnwick_standin
exec bash scripts/demo.sh build/app/DeRavizizivu build/standin/tarnwick_standin
