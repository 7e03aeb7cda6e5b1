#!/usr/bin/env bash
# Fails when the exe imports any DLL besides the six that Windows always loads from System32.
set -euo pipefail
exe=${1:?exe}
allowed='^(kernel32|user32|gdi32|advapi32|shell32|msvcrt)\.dll$'
dlls=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
echo "Imports of $exe:"; echo "$dlls"
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then echo "Not allowed: $bad" >&2; exit 1; fi
