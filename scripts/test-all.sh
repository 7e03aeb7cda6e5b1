#!/usr/bin/env bash
# Everything from a clean clone: installs what is missing; checks the formatting; runs clang-tidy; builds
# the unit tier under ASan + UBSan and the Windows preset, each configuration compiled once; then runs all
# three test tiers (unit on the host; win32 and e2e under Wine) in one CTest run that ends with CTest's
# summary. The Wine tiers take turns on one prefix and leave a core idle, so the exe built with clang, the
# fuzz targets and (on an x86 host) the x86-64 build's e2e tier are built and run beside them, in the
# background. Every check is listed in that one
# CTest run as a test labelled "ci", so its summary covers them too. Prints each stage's time.
# The Wine tiers run against the shipped 32-bit exe where this host runs 32-bit code, with the e2e tier
# once more against the x86-64 build; elsewhere, or with VELORA_WINE_FLAVOUR=x64, both tiers run against
# the x86-64 build and only the static checks look at the 32-bit exe (scripts/lib/wine-flavour.sh).
set -euo pipefail
cd "$(dirname "$(realpath "$0")")/.."
fuzz_seconds=${VELORA_FUZZ_SECONDS:-20}
# shellcheck source=scripts/lib/wine-flavour.sh
. scripts/lib/wine-flavour.sh
echo "== Wine tiers: $wine_flavour ($wine_flavour_reason)"

mkdir -p build/all/logs
ci_tests=()
timings=()

# run_stage <name> <command...>: runs the command with its output in build/all/logs/<name>.log, prints
# its time, and on failure the end of its log; returns the command's status.
run_stage() {
  local name=$1 log=$PWD/build/all/logs/$1.log start=$SECONDS status=0
  shift
  "$@" >"$log" 2>&1 || status=$?
  timings+=("$(printf '%-16s %4d s' "$name" $((SECONDS - start)))$([ $status -eq 0 ] || echo '  FAILED')")
  echo "== $name: $((SECONDS - start)) s$([ $status -eq 0 ] || echo ", failed ($status); the end of $log:")"
  [ $status -eq 0 ] || tail -n 60 "$log"
  return $status
}

# stage <name> <command...>: a step the tests need; its failure ends the run.
stage() { run_stage "$@" || exit 1; }

# check <name> <command...>: a check whose outcome becomes the CTest test ci.<name> (label "ci"), which
# shows the check's log when it failed; the run goes on either way.
check() {
  local name=$1 status=0
  run_stage "$@" || status=$?
  ci_tests+=("add_test(ci.$name /bin/sh -c \"cat '$PWD/build/all/logs/$name.log'; exit $status\")"
             "set_tests_properties(ci.$name PROPERTIES LABELS ci)")
}

# background <name> <command...>: a check run beside what follows; its outcome becomes the test ci.<name>,
# which waits for it and shows its log.
background() {
  local name=$1 status_file=$PWD/build/all/logs/$1.status
  rm -f "$status_file"
  ( status=0; run_stage "$@" || status=$?; echo "$status" >"$status_file" ) &
  ci_tests+=("add_test(ci.$name /bin/sh -c \"while [ ! -f '$status_file' ]; do sleep 1; done; cat '$PWD/build/all/logs/$name.log'; exit \\\$(cat '$status_file')\")"
             "set_tests_properties(ci.$name PROPERTIES LABELS ci TIMEOUT 1200)")
}

stage install-deps scripts/install-deps.sh
check format scripts/format.sh check
# The unit tier is built once, under the sanitizers; clang-tidy reads the same compile commands.
stage configure-host-asan cmake --preset host-asan
check tidy scripts/tidy.sh build/host-asan
stage build-host-asan cmake --build --preset host-asan
# Each Wine tier runs against one build; the shipped exe is built and statically checked on every host.
# Where the 32-bit exe runs, the x86-64 build's e2e tier runs in the background in its own prefix, beside
# the 32-bit tiers (which take turns on theirs and leave a core idle), as the check ci.e2e-x64.
trees=(host-asan windows)
if [ "$wine_flavour" = x86 ]; then
  stage build-windows bash -c "cmake --preset windows -DVELORA_WINE_TIERS='win32;e2e' && cmake --build --preset windows"
  background e2e-x64 bash -c 'cmake --preset windows-x64 -DVELORA_WINE_TIERS=e2e && cmake --build --preset windows-x64 &&
    scripts/wine-env.sh ensure build/windows-x64/wineprefix win64 &&
    ctest --test-dir build/windows-x64 -L e2e --output-on-failure --timeout 600'
else
  stage build-windows bash -c "cmake --preset windows -DVELORA_WINE_TIERS='' && cmake --build --preset windows"
  stage build-windows-x64 bash -c "cmake --preset windows-x64 -DVELORA_WINE_TIERS='win32;e2e' &&
    cmake --build --preset windows-x64"
  trees+=(windows-x64)
fi
background windows-clang bash -c 'cmake --preset windows-clang && cmake --build --preset windows-clang &&
  bash tests/foundation/check-size.sh build/windows-clang/VeloraUpdate.exe build/windows-clang/embedded/payload.bin &&
  bash tests/foundation/check-imports.sh build/windows-clang/VeloraUpdate.exe &&
  bash tests/foundation/check-pe.sh build/windows-clang/VeloraUpdate.exe'
# The three background checks start together: while the Wine tiers wait on Wine, the cores are theirs.
background fuzz fuzz/run-fuzz.sh "$fuzz_seconds"

# Both prefixes are stopped at the end, whichever ran; the one the main CTest run uses is started before
# CTest lists the Wine test programs, with its servers' output sent away, so that none of them holds
# CTest's output pipe.
trap 'wait; scripts/wine-env.sh down build/windows/wineprefix; scripts/wine-env.sh down build/windows-x64/wineprefix' EXIT
if [ "$wine_flavour" = x86 ]; then
  stage wine-prefix scripts/wine-env.sh ensure build/windows/wineprefix win32
else
  stage wine-prefix scripts/wine-env.sh ensure build/windows-x64/wineprefix win64
fi

echo "== stage times so far"
printf '   %s\n' "${timings[@]}"
# One CTest run over the build trees and the checks, so that one summary covers all of them.
{
  printf 'subdirs('; printf '"%s" ' "${trees[@]/#/$PWD/build/}"; printf ')\n'
  printf '%s\n' "${ci_tests[@]}"
} >build/all/CTestTestfile.cmake
status=0
ctest --test-dir build/all --output-on-failure --timeout 600 -j2 || status=$?
echo "== Wine tiers: $wine_flavour ($wine_flavour_reason)"
if [ "$wine_flavour" = x86 ]; then
  echo "   win32 and e2e against build/windows/VeloraUpdate.exe (32-bit); e2e also against build/windows-x64 (x86-64, ci.e2e-x64)"
else
  echo "   win32 and e2e against build/windows-x64/VeloraUpdate.exe (x86-64); the 32-bit exe's static checks only"
fi
scripts/skipped-tests.sh build/all/Testing/Temporary/LastTest.log
exit $status
