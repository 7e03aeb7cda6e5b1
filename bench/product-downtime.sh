#!/usr/bin/env bash
# How long the product is down during a quiet update with "runapp", under Wine: from the stand-in
# product's WM_QUIT to its restart by the updater. The floor is the same prefix copying the same 2 MB
# data file with cmd.exe. A benchmark, not a test: bench/product-downtime.sh [runs]
set -euo pipefail
repo=$(cd "$(dirname "$(realpath "$0")")/.." && pwd)
cd "$repo"
runs=${1:-7}

cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
build=$repo/build/windows
prefix=$repo/build/bench/wineprefix
scripts/wine-env.sh ensure "$prefix"
eval "$(scripts/wine-env.sh print "$prefix")"
trap 'scripts/wine-env.sh down "$prefix"' EXIT
# shellcheck source=scripts/lib/product-install.sh
. scripts/lib/product-install.sh

product="$prefix/drive_c/Program Files/Velora"
updater=$(winepath -w "$build/VeloraUpdate.exe")
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

downtimes=()
for _ in $(seq "$runs"); do
  set_up_product "$product"
  start_product "$product"
  wine "$updater" modest runapp
  for _ in $(seq 200); do [ "$(grep -c ' start cmd=' "$product/velora-standin.log")" -ge 2 ] && break; sleep 0.02; done
  quit=$(grep -m1 ' quit' "$product/velora-standin.log")
  restart=$(grep ' start cmd=' "$product/velora-standin.log" | tail -n 1)
  downtimes+=($(($(log_ms "$restart") - $(log_ms "$quit"))))
  wine taskkill /f /im velora.exe >/dev/null 2>&1 || true
done

copies=()
source_file=$(winepath -w "$product/vlfw.3bs")
for _ in $(seq "$runs"); do
  start=$(date +%s%3N)
  wine cmd /c copy /y "$source_file" "$source_file.copy" >/dev/null
  copies+=($(($(date +%s%3N) - start)))
done

downtime=$(printf '%s\n' "${downtimes[@]}" | median)
floor=$(printf '%s\n' "${copies[@]}" | median)
echo "product downtime (WM_QUIT to restart), median of $runs: ${downtime} ms   [${downtimes[*]}]"
echo "floor (cmd.exe copies the 2 MB data file), median of $runs: ${floor} ms   [${copies[*]}]"
awk -v d="$downtime" -v f="$floor" 'BEGIN { if (f > 0) printf "ratio: %.1f\n", d / f }'
