#!/usr/bin/env bash
# Lists the tests a CTest run skipped, each with the reason its GoogleTest program gave (GTEST_SKIP()'s
# message): skipped-tests.sh LastTest.log. Prints nothing when none was skipped.
set -euo pipefail
log=${1:?CTest LastTest.log}
[ -f "$log" ] || exit 0
awk '
  /^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name); reason = ""; next }
  # GoogleTest prints "file:line: Skipped" and the message on the lines that follow.
  /: Skipped$/ { take = 1; next }
  take && /^\[  SKIPPED \]/ { take = 0; next }
  take { reason = reason (reason == "" ? "" : " ") $0; next }
  # CTest marks a test skipped when its output matched the skip expression gtest_discover_tests sets.
  /^Skip regular expression found in output/ { skipped[++count] = name ": " reason }
  END {
    if (count == 0) exit
    printf "== %d skipped:\n", count
    for (i = 1; i <= count; i++) printf "   %s\n", skipped[i]
  }' "$log"
