#!/usr/bin/env bash
# clang-format (style in .clang-format) over every C++ source and header in src, tests, bench and fuzz.
# Usage: scripts/format.sh check    fails, listing the differences, when any file is not formatted
#        scripts/format.sh apply    formats the files in place
set -euo pipefail
cd "$(dirname "$(realpath "$0")")/.."
mode=${1:-check}
mapfile -t files < <(find src tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
case "$mode" in
  check) clang-format --dry-run -Werror "${files[@]}" ;;
  apply) clang-format -i "${files[@]}" ;;
  *) echo "usage: $0 check|apply" >&2; exit 2 ;;
esac
