#!/usr/bin/env bash
# Runs the program against a local package server (nginx on 127.0.0.1), which
# also answers as the download service (reached as the HTTP proxy). With a
# display the window is yours to use (DEMO_LANGUAGE=en: in English). Without
# one it runs under Xvfb with a window manager and plays a user (asks to leave
# and stays, meets a failure and retries, installs the dictionary for lookup
# and capture) once in Chinese and once in English, saving a PNG of each
# window and of the message for a missing dictionary key in out/ (the English
# ones as out/en-*.png). The stand-in dictionary application, on a private
# session bus (on Windows a COM server, vantel.exe), prints the registrations.
# The Windows build (a program ending in .exe) is played the same way under
# Wine, its pictures in out/windows/, the English run with the code page 1252.
set -euo pipefail
cd "$(dirname "$0")/.."
# A fresh machine's login may set no locale at all; the windows' Chinese texts
# and the window lookups by name need UTF-8.
[ -n "${LC_ALL:-}${LANG:-}" ] || export LANG=C.UTF-8
program=$(realpath "${1:-build/app/DeRavizizivu}")
standin=${2:+$(realpath "$2")}
source scripts/ground.sh
# The Windows build's pictures go beside the Linux ones, in a folder of their own.
out=$PWD/out
ground_windows && out=$PWD/out/windows
port=${DEMO_PORT:-8731}
rm -rf "$out/www" "$out/nginx" "$out/dicts" "$out/tmp" "$out/bus" "$out/settings" "$out"/*.png "$out/calls.txt"
mkdir -p "$out/dicts" "$out/tmp" "$out/bus"
source scripts/package_server.sh
source scripts/private_bus.sh
# 8 MiB served at 1 MiB/s, so the progress can be watched.
start_package_server "$out" "$port" 8 1m
ground_pids=()
cleanup() {
  ground_dictapp_stop
  kill "${app:-}" "${dictapp:-}" "${private_bus_pid:-}" "${package_server_pid:-}" 2>/dev/null || true
  ground_stop
}
trap cleanup EXIT
# The dictionary application, played by the stand-in on a bus of the demo's
# own (on Windows in the ground's prefix, so once that is set up): it prints
# every registration it receives.
start_dictapp() {
  [ -n "$standin" ] || return 0
  ground_dictapp_offer "$standin" "$out/calls.txt" "$out/bus"
  (ground_dictapp_run "$standin" "$out/calls.txt" | sed -u 's/^/dictionary application: /') &
  dictapp=$!
}

export http_proxy=http://127.0.0.1:$port no_proxy= TMPDIR=$out/tmp
args=(-http://127.0.0.1:$port/missing.zip "-$out/dicts/dict.zip" -12#345 -简明英汉词典 -1)

# The dictionary application's language settings, in folders of the demo's
# own: no file and no registry key for Chinese, a configuration file saying
# 1252 for English. On Windows the English run also has the code page 1252.
export XDG_CONFIG_HOME=$out/settings/config XDG_CONFIG_DIRS=$out/settings/machine
speak() {
  if [ "$1" = en ]; then
    ground_lang=en_US.ISO-8859-1
    ground_language '[language]\ncodepage=1252' -
  else
    ground_lang=zh_CN.GBK
    ground_language - -
  fi
}

if [ -n "${DISPLAY:-}" ] && ! ground_windows; then
  speak "${DEMO_LANGUAGE:-zh}"
  start_dictapp
  (ground_run "${args[@]}")
  exit 0
fi

ground_setup "$out" || { echo "no display" >&2; exit 1; }
ground_temp "$out/tmp"
start_dictapp
window() { timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
shot() {  # saves the window captioned $1, at its own size, as $out/$2.png
  local id
  id=$(window "$1") || { echo "no window \"$1\"" >&2; exit 1; }
  sleep 0.3
  import -window "$id" "$out/$2.png"
}
press() {
  ground_focus "$(window "$1")"
  xdotool key "$2"
}

# One user's way through the program in language $1, its windows captioned
# $2 (download), $3 (confirmation), $4 (error), $5 (install); the PNGs'
# names start with $6.
play() {
  local download=$2 confirm=$3 error=$4 install=$5 png=$6
  speak "$1"
  ground_run -a -b - -e -1 2>/dev/null &  # no dictionary key: the message
  app=$!
  shot "$(basename "$program" .exe)" "${png}message"
  press "$(basename "$program" .exe)" Return
  wait "$app" || true
  ground_run "${args[@]}" 2>/dev/null &
  app=$!
  # Near halfway (the shot takes a moment) the fill's edge runs through the percentage.
  for _ in $(seq 200); do [ "$(stat -c %s "$out/tmp/dict.zip" 2>/dev/null || echo 0)" -ge $((46 * 8 * 1024 * 1024 / 100)) ] && break; sleep 0.05; done
  shot "$download" "${png}downloading"
  press "$download" Escape
  shot "$confirm" "${png}confirm"
  press "$confirm" Escape           # cancel: the download goes on
  kill "$package_server_pid"        # the server goes away mid-transfer
  shot "$error" "${png}error"
  start_package_server "$out" "$port" 8 4m
  press "$error" Return             # retry
  for _ in $(seq 150); do [ -f "$out/dicts/dict.zip" ] && break; sleep 0.1; done
  sleep 0.5
  shot "$download" "${png}finished"
  press "$download" Escape
  press "$install" Tab              # to the lookup box
  xdotool key space Tab space       # both boxes ticked
  shot "$install" "${png}install"
  press "$install" Return           # OK: the registration goes to the application
  for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  if cmp -s "$out/www/packages/dict.zip" "$out/dicts/dict.zip"; then
    echo "package placed at $out/dicts/dict.zip"
  else
    echo "the package was not placed" >&2
  fi
}

play zh 词典下载 确认退出 错误 安装 ""
# Again in English, from the start: a slow server and no package in place.
kill "$package_server_pid"
rm -f "$out/dicts/dict.zip" "$out/tmp/dict.zip"
start_package_server "$out" "$port" 8 1m
play en "Dictionary Download" "Confirm Exit" Error Install en-
if [ -n "$standin" ]; then
  echo "registrations: $(tr '\n' ' ' <"$out/calls.txt" 2>/dev/null || echo none)"
  # What the stand-in application printed, as a picture beside the windows'.
  convert -background white -fill black -pointsize 14 \
    label:"$(sed 's/^/dictionary application: /' "$out/calls.txt" 2>/dev/null)" "$out/registration.png" || true
fi
echo "windows: $(ls "$out"/*.png | tr '\n' ' ')"
