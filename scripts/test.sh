#!/usr/bin/env bash
# Sets up the machine, builds with warnings as errors and runs every test.
#   scripts/test.sh             the ordinary build, in build/
#   scripts/test.sh --sanitize  the address and undefined-behaviour build, in build-sanitize/
#   scripts/test.sh --thread    the thread-sanitizer build of the threaded tests, in build-tsan/
set -euo pipefail
cd "$(dirname "$0")/.."
# A fresh machine's login may set no locale at all; the windows' Chinese texts
# and the window lookups by name need UTF-8.
[ -n "${LC_ALL:-}${LANG:-}" ] || export LANG=C.UTF-8
bash scripts/setup.sh

dir=build
flags=(-DDERAVIZIZIVU_WERROR=ON)
targets=(all)
select=()
case "${1:-}" in
  --sanitize)
    dir=build-sanitize
    flags+=(-DDERAVIZIZIVU_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ;;
  --thread)
    dir=build-tsan
    flags+=(-DDERAVIZIZIVU_TSAN=ON)
    targets=(window_tests framework_tests transfer_tests)
    select=(-L 'window_tests|framework_tests|transfer_tests')
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
    ;;
esac
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"
ctest --test-dir "$dir" --output-on-failure -j 2 --timeout 300 "${select[@]}"
