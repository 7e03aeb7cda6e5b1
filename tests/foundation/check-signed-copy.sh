#!/usr/bin/env bash
# A copy signed after the build keeps a valid signature and a matching stamp; the same signed copy with
# one byte of its body changed, or with a byte after its certificate table, no longer matches. Usage: check-signed-copy.sh EXE OUT_DIR CMAKE
set -euo pipefail
exe=$1 out=$2 cmake=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
bash "$root/tests/support/sign-copy.sh" "$exe" "$out" pkcs12 "$cmake"
signed=$out/VeloraUpdate.exe
"$cmake" -DIMAGE="$signed" -P "$root/cmake/CheckStamp.cmake"

refuse() {  # refuse <file> <what is wrong with it>
  if "$cmake" -DIMAGE="$1" -P "$root/cmake/CheckStamp.cmake" >/dev/null 2>&1; then
    echo "CheckStamp accepts $2" >&2
    exit 1
  fi
}
damaged=$out/VeloraUpdate-damaged.exe
cp "$signed" "$damaged"
middle=$(( $(stat -c %s "$signed") / 2 ))
byte=$(od -An -tu1 -j "$middle" -N1 "$signed")
printf "\\x$(printf %02x $(( byte ^ 1 )))" | dd of="$damaged" bs=1 seek="$middle" conv=notrunc status=none
cmp -s "$signed" "$damaged" && { echo "the byte did not change" >&2; exit 1; }
refuse "$damaged" "a signed copy with a changed byte"
cp "$signed" "$damaged"
printf x >>"$damaged"
refuse "$damaged" "a certificate table that does not end the file"
echo "signed copy verified, stamp matches; a changed byte and a misplaced table are found"
