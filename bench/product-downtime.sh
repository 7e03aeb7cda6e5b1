#!/usr/bin/env bash
# How long the product is down during a quiet update with "runapp", under Wine: from the stand-in
# product's WM_QUIT to its restart by the updater, for the shipped 2 MiB data file and for a 64 MiB one
# (an updater built with a larger data file, in build/bench-64m). Each floor is the same prefix copying a
# data file of the same size with cmd.exe, in the same run. A benchmark, not a test:
# bench/product-downtime.sh [runs]
set -euo pipefail
repo=$(cd "$(dirname "$(realpath "$0")")/.." && pwd)
cd "$repo"
runs=${1:-7}
big_size=$((64 * 1024 * 1024))

cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
build=$repo/build/windows
# The same sources with a 64 MiB data file; only the exe is built.
big_build=$repo/build/bench-64m
bash scripts/make-payload.sh "$big_build/payload/vlfw.3bs" "$big_size" 1
cmake --preset windows -B "$big_build" -DVELORA_PAYLOAD="$big_build/payload/vlfw.3bs" -DVELORA_WINE_TIERS= >/dev/null
cmake --build "$big_build" --target VeloraUpdate -j 2 >/dev/null

prefix=$repo/build/bench/wineprefix
scripts/wine-env.sh ensure "$prefix"
eval "$(scripts/wine-env.sh print "$prefix")"
trap 'scripts/wine-env.sh down "$prefix"' EXIT
# shellcheck source=scripts/lib/product-install.sh
. scripts/lib/product-install.sh

product="$prefix/drive_c/Program Files/Velora"
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# measure LABEL EXE SIZE: the downtimes of quiet "runapp" updates by EXE over an installed data file of
# SIZE bytes, then the floor, a plain copy of that file; prints one line each and the ratio.
measure() {
  local label=$1 updater size=$3
  updater=$(winepath -w "$2")
  local downtimes=() copies=()
  for _ in $(seq "$runs"); do
    set_up_product "$product" "$size"
    start_product "$product"
    wine "$updater" modest runapp
    for _ in $(seq 200); do [ "$(grep -c ' start cmd=' "$product/velora-standin.log")" -ge 2 ] && break; sleep 0.02; done
    local quit restart
    quit=$(grep -m1 ' quit' "$product/velora-standin.log")
    restart=$(grep ' start cmd=' "$product/velora-standin.log" | tail -n 1)
    downtimes+=($(($(log_ms "$restart") - $(log_ms "$quit"))))
    wine taskkill /f /im velora.exe >/dev/null 2>&1 || true
  done
  local source_file start
  source_file=$(winepath -w "$product/vlfw.3bs")
  for _ in $(seq "$runs"); do
    start=$(date +%s%3N)
    wine cmd /c copy /y "$source_file" "$source_file.copy" >/dev/null
    copies+=($(($(date +%s%3N) - start)))
  done
  local downtime floor
  downtime=$(printf '%s\n' "${downtimes[@]}" | median)
  floor=$(printf '%s\n' "${copies[@]}" | median)
  echo "$label: product downtime (WM_QUIT to restart), median of $runs: ${downtime} ms   [${downtimes[*]}]"
  echo "$label: floor (cmd.exe copies the data file), median of $runs: ${floor} ms   [${copies[*]}]"
  awk -v l="$label" -v d="$downtime" -v f="$floor" 'BEGIN { if (f > 0) printf "%s: ratio to the floor: %.2f\n", l, d / f }'
  last_downtime=$downtime
}

last_downtime=0
measure "2 MiB" "$build/VeloraUpdate.exe" 2146760
small_downtime=$last_downtime
measure "64 MiB" "$big_build/VeloraUpdate.exe" "$big_size"
awk -v small="$small_downtime" -v big="$last_downtime" \
  'BEGIN { if (small > 0) printf "64 MiB downtime / 2 MiB downtime: %.2f\n", big / small }'
