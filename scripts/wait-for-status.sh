#!/usr/bin/env bash
# Waits until a background check of test-all.sh has written its status file; succeeds whatever the check
# did, so that the next background check runs after it rather than beside it.
set -euo pipefail
while [ ! -f "${1:?status file}" ]; do sleep 1; done
