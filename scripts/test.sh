#!/usr/bin/env bash
# Sets up the machine, builds with warnings as errors and runs every test.
#   scripts/test.sh             the ordinary build, in build/
#   scripts/test.sh --sanitize  the address and undefined-behaviour build, in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

dir=build
flags=(-DDERAVIZIZIVU_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-sanitize
  flags+=(-DDERAVIZIZIVU_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
ctest --test-dir "$dir" --output-on-failure -j 2 --timeout 300
