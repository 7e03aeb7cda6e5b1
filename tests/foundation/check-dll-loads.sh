#!/usr/bin/env bash
# Every DLL the program loads at run time goes through LoadSystemLibrary, which names the system folder:
# no other LoadLibrary call may appear in the sources, and the entry point sets the search order first.
set -euo pipefail
src=${1:?source folder}
loads=$(grep -rn --include='*.cpp' --include='*.h' -E '\bLoadLibrary(Ex)?[AW]?\s*\(' "$src" || true)
# LoadSystemLibrary's two loads: by name with LOAD_LIBRARY_SEARCH_SYSTEM32, else by the full path.
others=$(grep -v -E 'win32/system_folder.cpp:.*LoadLibraryExA\((path\.c_str\(\)|name, .*LOAD_LIBRARY_SEARCH_SYSTEM32\))' \
  <<<"$loads" | grep -v '^$' || true)
if [ -n "$others" ]; then echo "DLLs loaded outside LoadSystemLibrary:"; echo "$others"; exit 1; fi
grep -q 'SetDefaultDllDirectories(win::kLoadLibrarySearchSystem32)' "$src/driver/entry_point.cpp" ||
  { echo "the entry point does not restrict the DLL search order"; exit 1; }
echo "run-time DLL loads: only through LoadSystemLibrary"
