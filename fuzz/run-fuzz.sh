#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/CMakeLists.txt, the "fuzz" preset: clang with ASan and UBSan) and
# runs each for a bounded time, from its seed corpus fuzz/seeds-<target>/ and the corpus it grew in
# earlier runs (build/fuzz/corpus-<target>/). The first failure stops the script with its status.
# Usage: fuzz/run-fuzz.sh [seconds per target (default 60)] [extra libFuzzer options...]
set -euo pipefail
cd "$(dirname "$(realpath "$0")")/.."
seconds=${1:-60}
shift || true
options=("$@")

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

# target, seed folder, longest input worth trying
targets=(
  "language_reader_fuzz language-reader 4096"
  "signing_layout_fuzz signing-layout 1024"
  "ver_output_fuzz ver-output 512"
  "version_compare_fuzz version-compare 64"
  "version_readers_fuzz version-readers 256"
  "data_file_head_fuzz data-file-head 64"
)
for entry in "${targets[@]}"; do
  read -r name seeds max_len <<<"$entry"
  corpus=build/fuzz/corpus-$name
  mkdir -p "$corpus"
  echo "== $name: $seconds s"
  # Only libFuzzer's closing statistics are shown; a failure shows its whole report.
  log=build/fuzz/$name.log
  if ! build/fuzz/fuzz/"$name" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 -artifact_prefix=build/fuzz/ \
      "${options[@]}" "$corpus" "fuzz/seeds-$seeds" >"$log" 2>&1; then
    cat "$log"
    echo "$name failed; the input that did it is named in the report above" >&2
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log"
done
