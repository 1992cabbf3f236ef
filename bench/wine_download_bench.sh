#!/usr/bin/env bash
# Download throughput of the Windows build under Wine against curl.exe built
# from the same libcurl, both from one nginx on 127.0.0.1, in alternating
# pairs, into one folder: wall seconds (medians), CPU seconds per GiB and
# peak memory of both, and the ratio (curl's time over the program's: above 1
# the program is faster). Both times include the start of a Wine process.
#
#   wine_download_bench.sh <build-windows folder> [package MiB, default 1024] [pairs, default 7]
set -euo pipefail
build=$(cd "$1" && pwd)
mib=${2:-1024}
pairs=${3:-7}
cd "$(dirname "$0")/.."
program=$build/app/DeRavizizivu.exe
curl_exe=$build/curl/bin/curl.exe

work=$(mktemp -d -p "$build")
source scripts/ground.sh
source scripts/package_server.sh
ground_pids=()
cleanup() {
  kill "${package_server_pid:-0}" 2>/dev/null || true
  ground_stop
  rm -rf "$work"
}
trap cleanup EXIT
ground_setup "$work"
ground_temp "$work"
port=$((20000 + RANDOM % 20000))
start_package_server "$work" "$port" "$mib" 0
url=http://127.0.0.1:$port/packages/dict.zip
mkdir -p "$work/dest"

# "<wall> <cpu> <peak KiB>" of one program run: timed until the package is in
# place (the program then waits for its "完成"), its CPU and memory read
# when it is ended there.
program_run() {
  rm -f "$work/dest/dict.zip"
  local start end stats=$work/program.time
  start=$(date +%s.%N)
  TMPDIR=${WINE_SERVER_TMPDIR:-/tmp} LANG=$ground_lang http_proxy=http://127.0.0.1:9 no_proxy=127.0.0.1 \
    /usr/bin/time -f '%U %S %M' -o "$stats" \
    "$WINE" "$program" "-$url" "-$(ground_path "$work/dest/dict.zip")" -12#345 -bench -0 >/dev/null 2>&1 &
  local timer=$!
  until [ -f "$work/dest/dict.zip" ]; do
    kill -0 "$timer" 2>/dev/null || { echo "the program ended without the package" >&2; exit 1; }
    sleep 0.01
  done
  end=$(date +%s.%N)
  pkill -P "$timer" || true
  wait "$timer" 2>/dev/null || true
  cmp -s "$work/www/packages/dict.zip" "$work/dest/dict.zip" || { echo "the program's package differs" >&2; exit 1; }
  read -r user sys peak < <(tail -n 1 "$stats")
  echo "$(echo "$end - $start" | bc) $(echo "$user + $sys" | bc) $peak"
}

curl_run() {
  rm -f "$work/dest/curl.zip"
  local start end stats=$work/curl.time
  start=$(date +%s.%N)
  TMPDIR=${WINE_SERVER_TMPDIR:-/tmp} /usr/bin/time -f '%U %S %M' -o "$stats" \
    "$WINE" "$curl_exe" -s -f --noproxy '*' -o "$(ground_path "$work/dest/curl.zip")" "$url" >/dev/null 2>&1
  end=$(date +%s.%N)
  cmp -s "$work/www/packages/dict.zip" "$work/dest/curl.zip" || { echo "curl's package differs" >&2; exit 1; }
  read -r user sys peak < <(tail -n 1 "$stats")
  echo "$(echo "$end - $start" | bc) $(echo "$user + $sys" | bc) $peak"
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

program_runs=() curl_runs=()
for ((i = 1; i <= pairs; i++)); do
  program_runs+=("$(program_run)")
  curl_runs+=("$(curl_run)")
done
column() { printf '%s\n' "${@:2}" | awk -v c="$1" '{print $c}' | median; }
pw=$(column 1 "${program_runs[@]}") pc=$(column 2 "${program_runs[@]}") pm=$(column 3 "${program_runs[@]}")
cw=$(column 1 "${curl_runs[@]}") cc=$(column 2 "${curl_runs[@]}") cm=$(column 3 "${curl_runs[@]}")
gib=$(echo "scale=6; $mib / 1024" | bc)
echo "Windows build under Wine, $mib MiB from nginx on loopback, medians of $pairs alternating pairs:"
printf '  %-14s %7.2f s  %7.2f CPU s/GiB  %7d KiB peak\n' DeRavizizivu "$pw" "$(echo "$pc / $gib" | bc -l)" "$pm"
printf '  %-14s %7.2f s  %7.2f CPU s/GiB  %7d KiB peak\n' curl.exe "$cw" "$(echo "$cc / $gib" | bc -l)" "$cm"
printf '  ratio (curl.exe time / program time): %.2f\n' "$(echo "$cw / $pw" | bc -l)"
