#!/usr/bin/env bash
# Runs the program against a local package server (nginx on 127.0.0.1), which
# also answers as the download service (reached as the HTTP proxy). With a
# display the window is yours to use. Without one it runs under Xvfb with a
# window manager and plays a user (asks to leave and stays, meets a failure
# and retries, installs the dictionary for lookup and capture), saving a PNG
# of each window in out/. The stand-in dictionary application, on a private
# session bus, prints the registration.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/app/DeRavizizivu}")
standin=$(realpath "${2:-build/standin/tarnwick_standin}")
out=$PWD/out
port=${DEMO_PORT:-8731}
rm -rf "$out/www" "$out/nginx" "$out/dicts" "$out/tmp" "$out/bus" "$out"/*.png "$out/calls.txt"
mkdir -p "$out/dicts" "$out/tmp" "$out/bus"
source scripts/package_server.sh
source scripts/private_bus.sh
# 8 MiB served at 1 MiB/s, so the progress can be watched.
start_package_server "$out" "$port" 8 1m
cleanup() {
  kill "${app:-}" "${dictapp:-}" "${private_bus_pid:-}" "${package_server_pid:-}" "${wm:-}" "${xvfb:-}" 2>/dev/null || true
}
trap cleanup EXIT
# The dictionary application, played by the stand-in on a bus of the demo's
# own: it prints every registration it receives.
start_private_bus "$out/bus"
"$standin" --serve app --record "$out/calls.txt" | sed -u 's/^/dictionary application: /' &
dictapp=$!

export http_proxy=http://127.0.0.1:$port no_proxy= TMPDIR=$out/tmp
args=(-http://127.0.0.1:$port/missing.zip "-$out/dicts/dict.zip" -12#345 -简明英汉词典 -1)

if [ -n "${DISPLAY:-}" ]; then
  "$program" "${args[@]}"
  exit 0
fi

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
sleep 1
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1
"$program" "${args[@]}" 2>/dev/null &
app=$!

window() { timeout 15 xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
shot() {  # saves the window captioned $1, at its own size, as out/$2.png
  local id
  id=$(window "$1") || { echo "no window \"$1\"" >&2; exit 1; }
  sleep 0.3
  import -window "$id" "$out/$2.png"
}
press() {
  xdotool windowfocus --sync "$(window "$1")"
  xdotool key "$2"
}

# Near halfway (the shot takes a moment) the fill's edge runs through the percentage.
for _ in $(seq 200); do [ "$(stat -c %s "$out/tmp/dict.zip" 2>/dev/null || echo 0)" -ge $((46 * 8 * 1024 * 1024 / 100)) ] && break; sleep 0.05; done
shot 词典下载 downloading
press 词典下载 Escape
shot 确认退出 confirm
press 确认退出 Escape             # 取消: the download goes on
kill "$package_server_pid"        # the server goes away mid-transfer
shot 错误 error
start_package_server "$out" "$port" 8 4m
press 错误 Return                 # 重试
for _ in $(seq 150); do [ -f "$out/dicts/dict.zip" ] && break; sleep 0.1; done
sleep 0.5
shot 词典下载 finished
press 词典下载 Escape
press 安装 Tab                    # to "查词"
xdotool key space Tab space       # both boxes ticked
shot 安装 install
press 安装 Return                 # 确定: the registration goes to the application
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if cmp -s "$out/www/packages/dict.zip" "$out/dicts/dict.zip"; then
  echo "package placed at $out/dicts/dict.zip"
else
  echo "the package was not placed" >&2
fi
echo "registration: $(cat "$out/calls.txt" 2>/dev/null || echo none)"
echo "windows: $out/downloading.png $out/confirm.png $out/error.png $out/finished.png $out/install.png"
