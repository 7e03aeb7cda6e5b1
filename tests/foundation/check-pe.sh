#!/usr/bin/env bash
# The exe is a 32-bit (PE32, i386) GUI program that says it starts on Windows XP (5.1).
set -euo pipefail
exe=${1:?exe}
header=$(i686-w64-mingw32-objdump -p "$exe")
file_header=$(i686-w64-mingw32-objdump -f "$exe")
grep -Eq '^Magic[[:space:]]+010b' <<<"$header" || { echo "not PE32" >&2; exit 1; }
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$header" || { echo "not a GUI subsystem program" >&2; exit 1; }
for field in MajorOSystemVersion:5 MinorOSystemVersion:1 MajorSubsystemVersion:5 MinorSubsystemVersion:1; do
  grep -Eq "^${field%%:*}[[:space:]]+${field#*:}$" <<<"$header" || { echo "${field%%:*} is not ${field#*:}: the oldest Windows is XP (5.1)" >&2; exit 1; }
done
grep -q 'architecture: i386' <<<"$file_header" || { echo "not i386" >&2; exit 1; }
echo "$exe: PE32, GUI 5.1, i386"
