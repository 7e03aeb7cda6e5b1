#!/usr/bin/env bash
# The exe's link took nothing of the C++ exception runtime: no demangler (the default terminate handler's),
# no unwinder, no winpthread; and no constructor of a static object, since the exe starts at its own entry
# without the C runtime's startup and nothing would run one. Read from the map the link writes; a library object shows there as
# "archive.a(member.o)", which an archive merely searched ("LOAD archive.a") does not.
set -euo pipefail
map=${1:?link map}
[ -s "$map" ] || { echo "no link map at $map" >&2; exit 1; }
found=$(grep -oE '[^ /]+\.a\((cp-demangle|unwind-dw2[^)]*|libwinpthread[^)]*|eh_[a-z_]+)\.o\)|libgcc_eh\.a\([^)]*\)' "$map" |
  sort -u || true)
if [ -n "$found" ]; then
  echo "the exe links parts of the exception runtime:" >&2
  echo "$found" >&2
  exit 1
fi
# An input section of .ctors (or .CRT's initialiser tables) with a size shows a static object's constructor.
ctors=$(grep -E '^ \.(ctors|CRT\$XC[A-Z]*)[^ ]*[[:space:]]+0x[0-9a-f]+[[:space:]]+0x[0-9a-f]*[1-9a-f][0-9a-f]*[[:space:]]' "$map" || true)
if [ -n "$ctors" ]; then
  echo "the exe has static constructors, which its own entry never runs:" >&2
  echo "$ctors" >&2
  exit 1
fi
echo "$map: no constructors before the entry; no demangler, unwinder, winpthread or exception runtime linked"
