#!/usr/bin/env bash
# The program around the embedded data file stays within its budget: the exe's size minus the data
# file's size (resources, code, headers and the integrity stamp) must not pass 96 KiB.
set -euo pipefail
exe=${1:?exe}
payload=${2:?embedded data file}
budget=98304
exe_size=$(stat -c %s "$exe")
payload_size=$(stat -c %s "$payload")
overhead=$((exe_size - payload_size))
echo "$exe: $exe_size bytes, data file $payload_size bytes, program $overhead bytes (budget $budget)"
if [ "$overhead" -gt "$budget" ]; then
  echo "the program is $((overhead - budget)) bytes over its budget" >&2
  exit 1
fi
