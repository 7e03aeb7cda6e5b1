#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/CMakeLists.txt, the "fuzz" preset: clang with ASan and UBSan) and
# runs each for a bounded time, from its seed corpus fuzz/seeds-<target>/ and the corpus it grew in
# earlier runs (build/fuzz/corpus-<target>/), two targets at a time (one a core). The first pair with a
# failure stops the script with its status.
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
# fuzz_one <name> <seeds> <max_len>: one target's run, its whole output in build/fuzz/<name>.log.
fuzz_one() {
  local name=$1 seeds=$2 max_len=$3 corpus=build/fuzz/corpus-$1
  mkdir -p "$corpus"
  build/fuzz/fuzz/"$name" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
    -artifact_prefix=build/fuzz/ "${options[@]}" "$corpus" "fuzz/seeds-$seeds" >"build/fuzz/$name.log" 2>&1
}

for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pair=("${targets[@]:i:2}")
  pids=()
  for entry in "${pair[@]}"; do
    read -r name seeds max_len <<<"$entry"
    fuzz_one "$name" "$seeds" "$max_len" &
    pids+=($!)
  done
  failed=0
  for j in "${!pair[@]}"; do
    read -r name _ <<<"${pair[j]}"
    echo "== $name: $seconds s"
    # Only libFuzzer's closing statistics are shown; a failure shows its whole report.
    if wait "${pids[j]}"; then
      grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "build/fuzz/$name.log"
    else
      cat "build/fuzz/$name.log"
      echo "$name failed; the input that did it is named in the report above" >&2
      failed=1
    fi
  done
  [ "$failed" -eq 0 ] || exit 1
done
