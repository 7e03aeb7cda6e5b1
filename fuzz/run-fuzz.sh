#!/usr/bin/env bash
# Builds the language file reader's libFuzzer target with Debian's clang and runs it for a bounded time.
# Not part of CI. Usage: fuzz/run-fuzz.sh [seconds (default 60)] [extra libFuzzer options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/fuzz
seconds=${1:-60}
shift || true
# libFuzzer comes with clang's runtime, from Debian's packages.
for package in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends "$package" </dev/null >/dev/null; }
done
mkdir -p "$out/corpus"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I "$root/src" "$root/fuzz/language_reader_fuzz.cpp" "$root/src/language/language_file_reader.cpp" \
  -o "$out/language_reader_fuzz"
"$out/language_reader_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  "$@" "$out/corpus" "$root/fuzz/seeds"
