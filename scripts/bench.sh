#!/usr/bin/env bash
# Sets up, builds and runs the benchmarks:
#   scripts/bench.sh [package MiB, default 1024] [pairs, default 7]
# The download benchmark gets both packages from one nginx on 127.0.0.1, the
# program and the curl tool in alternating pairs, writing into memory (tmpfs)
# and then onto the disk; the start benchmark runs on
# the offscreen platform and, where Xvfb is installed, on a virtual display.
#   scripts/bench.sh --windows [package MiB] [pairs]
# The Windows build's download benchmark runs the program under Wine against
# curl.exe of the same libcurl (bench/wine_download_bench.sh): the 32-bit
# build, or the 64-bit one on a host that runs no 32-bit code.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --windows ]; then
  bash scripts/setup.sh --windows
  read -r preset dir _ < <(bash scripts/windows-targets.sh | awk '$3 == "yes"' | head -1)
  echo "measuring the $preset build ($dir/)"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" --target DeRavizizivu
  source scripts/wine-env.sh "$dir"
  trap wine_env_stop EXIT
  bash bench/wine_download_bench.sh "$dir" "${2:-1024}" "${3:-7}"
  exit
fi
mib=${1:-1024}
pairs=${2:-7}
bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target download_bench paint_bench start_bench start_program start_bare

work=$(mktemp -d)
trap 'kill "${package_server_pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
source scripts/package_server.sh
port=$((20000 + RANDOM % 20000))
start_package_server "$work" "$port" "$mib" 0
head -c $((1024 * 1024)) /dev/urandom > "$work/www/packages/small.zip"
base=http://127.0.0.1:$port/packages

# Into memory (tmpfs): the transfer path alone. Then into a folder on the
# build's disk, where the kernel's writeback of a gibibyte joins in.
if [ -d /dev/shm ]; then
  build/bench/download_bench "$base/dict.zip" "$mib" "$base/small.zip" "$pairs" /dev/shm
fi
build/bench/download_bench "$base/dict.zip" "$mib" "$base/small.zip" "$pairs" "$PWD/build"
QT_QPA_PLATFORM=offscreen build/bench/paint_bench
echo "offscreen platform:"
QT_QPA_PLATFORM=offscreen build/bench/start_bench build/bench/start_program build/bench/start_bare
if command -v xvfb-run >/dev/null; then
  echo "virtual display (xcb):"
  QT_QPA_PLATFORM=xcb xvfb-run -a build/bench/start_bench build/bench/start_program build/bench/start_bare
fi
