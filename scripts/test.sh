#!/usr/bin/env bash
# Sets up the machine, builds with warnings as errors and runs every test.
#   scripts/test.sh             the ordinary build, in build/
#   scripts/test.sh --sanitize  the address and undefined-behaviour build, in build-sanitize/
#   scripts/test.sh --thread    the thread-sanitizer build of the threaded tests, in build-tsan/
#   scripts/test.sh --windows   both Windows builds (32-bit in build-windows/, 64-bit in
#                               build-windows-x64/), the tests of each the host can run under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
# A fresh machine's login may set no locale at all; the windows' Chinese texts
# and the window lookups by name need UTF-8.
[ -n "${LC_ALL:-}${LANG:-}" ] || export LANG=C.UTF-8

# One Windows build's tests under Wine, in a prefix of the run's own made
# afresh: first the ground (Wine runs the cross-built curl.exe, which fetches
# a package over loopback byte for byte), then the suites.
windows_suites() (
  local preset=$1 dir=$2
  source scripts/wine-env.sh "$dir" --fresh
  source scripts/package_server.sh
  package_server_pid=
  trap '[ -z "$package_server_pid" ] || kill "$package_server_pid" 2>/dev/null; wine_env_stop' EXIT
  local served=$PWD/$dir/served port=$((20000 + RANDOM % 20000))
  rm -rf "$served" && mkdir -p "$served"
  start_package_server "$served" "$port" 1 0
  "$WINE" "$dir/curl/bin/curl.exe" -sSf --noproxy '*' -o "$served/fetched.zip" \
    "http://127.0.0.1:$port/packages/dict.zip"
  cmp "$served/www/packages/dict.zip" "$served/fetched.zip"
  ctest --preset "$preset"
)

if [ "${1:-}" = --windows ]; then
  bash scripts/setup.sh --windows
  # Both builds, with warnings as errors, whatever the host runs; each
  # build's headers stand alone beside the system's own. The 64-bit build's
  # install tests also call the 32-bit stand-in where the host runs it.
  targets=$(bash scripts/windows-targets.sh)
  x86_standin=
  grep -qx 'windows-x86 build-windows yes' <<<"$targets" && x86_standin=$PWD/build-windows/standin/vantel.exe
  while read -r preset dir runs <&3; do
    cmake --preset "$preset" --no-warn-unused-cli -DDERAVIZIZIVU_STANDIN_X86="$x86_standin" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
    bash scripts/check-windows-headers.sh --build "$dir" >/dev/null ||
      bash scripts/check-windows-headers.sh --build "$dir" | grep -v '^ok'
  done 3<<<"$targets"
  while read -r preset dir runs <&3; do
    if [ "$runs" = yes ]; then
      windows_suites "$preset" "$dir"
    else
      echo "$preset: built in $dir, its tests not run: this host runs no 32-bit programs"
    fi
  done 3<<<"$targets"
  exit
fi

bash scripts/setup.sh

preset=linux
case "${1:-}" in
  --sanitize) preset=sanitize ;;
  --thread) preset=tsan ;;
esac
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset"
