#!/usr/bin/env bash
# The main job: build the updater, set up a demo installation of Velora under Wine (the stand-in product
# running and holding its data file, our language files, an older data file, the registry entries),
# run the updater with its message boxes visible, and print what changed.
#   On a machine with a usable X display the boxes appear there and you answer them yourself.
#   Without one they appear on Xvfb, the box robot answers Yes to each, and a screenshot of every box is
#   saved under build/demo/boxes/.
set -euo pipefail
cd "$(dirname "$(realpath "$0")")/.."

scripts/install-deps.sh
# shellcheck source=scripts/lib/wine-flavour.sh
. scripts/lib/wine-flavour.sh
if [ "$wine_flavour" = x64 ]; then
  preset=windows-x64 arch=win64
  echo "The demo runs the x86-64 build of the updater under Wine's 64-bit loader: $wine_flavour_reason."
else
  preset=windows arch=win32
fi
# Both Wine tiers, as by default: the demo needs the box robot and the stand-in product of the e2e tier.
cmake --preset "$preset" -DVELORA_WINE_TIERS="win32;e2e" >/dev/null
cmake --build --preset "$preset"

build=$PWD/build/$preset
demo=$PWD/build/demo
prefix=$demo/wineprefix-$arch
mkdir -p "$demo"

interactive=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINE_ENV_DISPLAY=$DISPLAY
  interactive=1
fi
scripts/wine-env.sh ensure "$prefix" "$arch"
eval "$(scripts/wine-env.sh print "$prefix" "$arch")"
trap 'scripts/wine-env.sh down "$prefix"' EXIT

repo=$PWD
winpath() { winepath -w "$1" 2>/dev/null; }
# shellcheck source=scripts/lib/product-install.sh
. scripts/lib/product-install.sh

# The demo installation, with the product running and holding its data file.
product="$prefix/drive_c/Program Files/Velora"
set_up_product "$product"
start_product "$product"

version_before=$(data_version "$product/vlfw.3bs")
size_before=$(estimated_size)

updater=$(winpath "$build/VeloraUpdate.exe")
if [ "$interactive" = 1 ]; then
  echo "Answer the updater's boxes on your display."
  set +e; wine "$updater"; exit_code=$?; set -e
else
  shots=$demo/boxes
  rm -rf "$shots"; mkdir -p "$shots"
  robot=$(find "$build/tests/e2e" -name box_robot.exe -print -quit)
  set +e
  wine "$robot" --answers yes,yes --timeout 60000 --log "$(winpath "$demo/robot.log")" \
    --shots "$(winpath "$shots")" -- "$updater"
  exit_code=$?
  set -e
  for bmp in "$shots"/*.bmp; do [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"; done
  echo "The robot's log:"; sed 's/^/  /' "$demo/robot.log"
  echo "Screenshots of the boxes: $shots"
fi
sleep 1

closed=no; started=no
grep -q ' quit' "$product/velora-standin.log" && closed=yes
[ "$(grep -c ' start cmd=' "$product/velora-standin.log")" -ge 2 ] && started=yes

cat <<REPORT

What changed:
  data file version:  $version_before -> $(data_version "$product/vlfw.3bs")
  EstimatedSize:      $size_before -> $(estimated_size)
  product closed:     $closed
  product started:    $started
  updater exit code:  $exit_code
REPORT

# The updater's own log of this run, as support would read it.
log=$(find "$prefix/drive_c/users" -path '*/Temp/VeloraUpdate.log' -print -quit 2>/dev/null || true)
if [ -n "$log" ]; then
  echo
  echo "The updater's log ($log), last run:"
  sed '1s/^\xEF\xBB\xBF//' "$log" | awk '/ VeloraUpdate [0-9]/ { run = "" } { run = run "  " $0 "\n" } END { printf "%s", run }'
fi
