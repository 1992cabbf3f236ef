#!/usr/bin/env bash
# Sets up the machine, builds with warnings as errors and runs every test.
#   scripts/test.sh             the ordinary build, in build/
#   scripts/test.sh --sanitize  the address and undefined-behaviour build, in build-sanitize/
#   scripts/test.sh --thread    the thread-sanitizer build of the threaded tests, in build-tsan/
#   scripts/test.sh --windows   the 32-bit Windows build, in build-windows/, its tests under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
# A fresh machine's login may set no locale at all; the windows' Chinese texts
# and the window lookups by name need UTF-8.
[ -n "${LC_ALL:-}${LANG:-}" ] || export LANG=C.UTF-8

if [ "${1:-}" = --windows ]; then
  dir=build-windows
  bash scripts/setup.sh --windows
  bash scripts/build-curl-windows.sh "$dir"
  # Every header stands alone beside the system's own.
  bash scripts/check-windows-headers.sh >/dev/null || bash scripts/check-windows-headers.sh | grep -v '^ok'
  cmake -S . -B "$dir" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DDERAVIZIZIVU_WERROR=ON >/dev/null
  cmake --build "$dir" -j "$(nproc)"
  # A Wine prefix of the run's own, made afresh.
  source scripts/wine-env.sh "$dir" --fresh
  source scripts/package_server.sh
  package_server_pid=
  stop() {
    [ -z "$package_server_pid" ] || kill "$package_server_pid" 2>/dev/null || true
    wine_env_stop
  }
  trap stop EXIT
  # The ground first: Wine runs the cross-built curl.exe, which fetches a
  # package over loopback byte for byte.
  served=$PWD/$dir/served
  rm -rf "$served" && mkdir -p "$served"
  port=$((20000 + RANDOM % 20000))
  start_package_server "$served" "$port" 1 0
  wine "$dir/curl/bin/curl.exe" -sSf --noproxy '*' -o "$served/fetched.zip" \
    "http://127.0.0.1:$port/packages/dict.zip"
  cmp "$served/www/packages/dict.zip" "$served/fetched.zip"
  ctest --test-dir "$dir" --output-on-failure -j 2 --timeout 300 --no-tests=ignore
  exit
fi

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
