#!/usr/bin/env bash
# Builds the benchmarks in an optimised host tree of their own (no sanitizers) and runs them.
# Usage: bench/run-bench.sh [Google Benchmark options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELORA_SANITIZE=OFF -DVELORA_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target language_bench -j 2
"$build/bench/language_bench" "$@"
