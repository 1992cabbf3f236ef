#!/usr/bin/env bash
# Runs the program against a local package server (nginx on 127.0.0.1), which
# also answers as the download service (reached as the HTTP proxy). With a
# display the window is yours to use; without one it runs under Xvfb and
# leaves screenshots in out/.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/app/DeRavizizivu}")
out=$PWD/out
port=${DEMO_PORT:-8731}
rm -rf "$out/www" "$out/nginx" "$out/dicts"
mkdir -p "$out/dicts"
source scripts/package_server.sh
# 8 MiB served at 2 MiB/s, so the progress can be watched.
start_package_server "$out" "$port" 8 2m
server=$package_server_pid
cleanup() { kill "${app:-}" "$server" "${xvfb:-}" 2>/dev/null || true; }
trap cleanup EXIT

export http_proxy=http://127.0.0.1:$port no_proxy=
args=(-http://127.0.0.1:$port/missing.zip "-$out/dicts/dict.zip" -12#345 -简明英汉词典 -1)

if [ -n "${DISPLAY:-}" ]; then
  "$program" "${args[@]}"
  exit 0
fi

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
DISPLAY=$display "$program" "${args[@]}" &
app=$!
sleep 2
DISPLAY=$display import -window root "$out/downloading.png"
for _ in $(seq 100); do [ -f "$out/dicts/dict.zip" ] && break; sleep 0.1; done
sleep 0.5
DISPLAY=$display import -window root "$out/screenshot.png"
if cmp -s "$out/www/packages/dict.zip" "$out/dicts/dict.zip"; then
  echo "package placed at $out/dicts/dict.zip"
else
  echo "the package was not placed" >&2
fi
echo "screenshots: $out/downloading.png (during the download), $out/screenshot.png (done)"
