#!/usr/bin/env bash
# Sets up the machine, builds the program and runs it on a sample command line.
# Without a display it runs under a virtual one and saves screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target DeRavizizivu tarnwick_standin
exec bash scripts/demo.sh build/app/DeRavizizivu build/standin/tarnwick_standin
