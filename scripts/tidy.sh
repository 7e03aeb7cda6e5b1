#!/usr/bin/env bash
# clang-tidy over the updater's sources in src/, with the host build's compile commands (checks and
# reasons in .clang-tidy); any warning fails. Configures the host preset when they are missing.
# Usage: scripts/tidy.sh [build folder (default build/host)]
set -euo pipefail
cd "$(dirname "$(realpath "$0")")/.."
build=${1:-build/host}
[ -f "$build/compile_commands.json" ] || cmake --preset host >/dev/null
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
# The compile commands come from g++, whose Windows-1251 execution charset clang does not know.
run-clang-tidy -p "$build" -j2 -quiet -extra-arg=-fexec-charset=UTF-8 "$PWD/src/" >"$log" 2>&1 || status=$?
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -Ev '^[0-9]+ warnings? (and [0-9]+ errors? )?generated|^Error while processing|^Suppressed|^Use -header-filter' || true
exit "$status"
