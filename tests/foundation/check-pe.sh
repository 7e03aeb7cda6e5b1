#!/usr/bin/env bash
# The exe is a 32-bit (PE32, i386) GUI program.
set -euo pipefail
exe=${1:?exe}
header=$(i686-w64-mingw32-objdump -p "$exe")
echo "$header" | grep -q '^Magic[[:space:]]*010b' || { echo "not PE32" >&2; exit 1; }
echo "$header" | grep -Eq '^Subsystem[[:space:]]*00000002' || { echo "not a GUI subsystem program" >&2; exit 1; }
i686-w64-mingw32-objdump -f "$exe" | grep -q 'architecture: i386' || { echo "not i386" >&2; exit 1; }
echo "$exe: PE32, GUI, i386"
