#!/usr/bin/env bash
# Runs the program on a sample command line. With a display the window is
# yours to use; without one it runs under Xvfb for a few seconds and leaves
# a screenshot in out/.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/app/DeRavizizivu}
mkdir -p out
args=(-http://127.0.0.1:9/dict.zip "-$PWD/out/dict.zip" -12#345 -简明英汉词典 -1)

if [ -n "${DISPLAY:-}" ]; then
  exec "$program" "${args[@]}"
fi

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display "$program" "${args[@]}" &
app=$!
sleep "${DEMO_SECONDS:-3}"
DISPLAY=$display import -window root out/screenshot.png
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
echo "screenshot: $PWD/out/screenshot.png"
