#!/usr/bin/env bash
# Everything from a clean clone: installs what is missing, builds both presets, and runs all three test
# tiers (unit on the host; win32 and e2e under Wine) in one CTest run that ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$(realpath "$0")")/.."

scripts/install-deps.sh

cmake --preset host
cmake --build --preset host
cmake --preset windows
cmake --build --preset windows

prefix=build/windows/wineprefix
trap 'scripts/wine-env.sh down "$prefix"' EXIT
# Start the prefix's servers before CTest lists the Wine test programs, with their output sent away, so
# that none of them holds CTest's output pipe.
scripts/wine-env.sh ensure "$prefix"

# One CTest run over both build trees, so that one summary covers all three labels.
mkdir -p build/all
printf 'subdirs("%s" "%s")\n' "$PWD/build/host" "$PWD/build/windows" >build/all/CTestTestfile.cmake
ctest --test-dir build/all --output-on-failure --timeout 600 -j2
