#!/usr/bin/env bash
# Writes a deterministic sample data file: make-payload.sh OUT SIZE VERSION
# Head: the tag "vlfw", 02, the version byte, 00, 08; the rest is filler text that never changes.
set -euo pipefail
out=${1:?output file}; size=${2:?size in bytes}; version=${3:?version byte}
mkdir -p "$(dirname "$out")"
{
  printf 'vlfw\x02'"\\x$(printf '%02x' "$version")"'\x00\x08'
  head -c $((size - 8)) < <(yes 'Velora sample data block 0123456789 abcdefghijklmnopqrstuvwxyz')
} >"$out.tmp"
mv "$out.tmp" "$out"
