#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz/ and runs each
# of them, one after the other:
#   scripts/fuzz.sh --smoke            a few seconds each on a copy of its seed
#                                      corpus; fails on any finding
#   scripts/fuzz.sh --long [seconds]   10,000,000 runs each, or the seconds given
#                                      (1800 by default) if they end first, on a
#                                      corpus kept in build-fuzz/corpus/
# Names of targets after the mode run those alone. Findings are written to
# build-fuzz/findings/. Each target ends with its executions and time.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
  --smoke)
    limits=(-max_total_time=5)
    shift
    ;;
  --long)
    shift
    seconds=1800
    if [[ "${1:-}" =~ ^[0-9]+$ ]]; then seconds=$1; shift; fi
    limits=(-runs=10000000 -max_total_time="$seconds")
    ;;
  *)
    echo "usage: $0 --smoke | --long [seconds] [target...]" >&2
    exit 2
    ;;
esac

bash scripts/setup.sh

cc=$(command -v clang || command -v clang-14)
cxx=$(command -v clang++ || command -v clang++-14)
CC=$cc CXX=$cxx cmake -S . -B build-fuzz -DDERAVIZIZIVU_FUZZ=ON -DDERAVIZIZIVU_WERROR=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done
fi

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p build-fuzz/findings
failed=()
for target in "${targets[@]}"; do
  if [ "$mode" = --smoke ]; then
    corpus=$scratch/$target
  else
    corpus=build-fuzz/corpus/$target
  fi
  mkdir -p "$corpus"
  cp -n fuzz/corpus/"$target"/* "$corpus"/
  log=$scratch/$target.log
  echo "== $target"
  status=0
  build-fuzz/fuzz/"$target" "${limits[@]}" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/findings/"$target"- "$corpus" >"$log" 2>&1 || status=$?
  grep -E '^(Done [0-9]+ runs|stat::peak_rss_mb)' "$log" || true
  if [ $status -ne 0 ]; then
    grep -E 'does not hold|ERROR|SUMMARY|deadly signal|Test unit written' "$log" || tail -n 30 "$log"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]} (inputs in build-fuzz/findings/)"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets, no findings"
