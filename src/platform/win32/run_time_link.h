// Functions newer than the oldest Windows the updater starts on (XP SP3) are never imported: they are
// looked up at run time in a DLL the import table has already loaded, and each caller has a fallback
// for the systems that lack them.
#pragma once

#include <windows.h>

namespace velora::win32 {

/// The function name exported by a loaded module, or null where it has none.
template <class Function>
Function ExportOf(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

/// The function name exported by one of the imported system DLLs, or null where it has none.
template <class Function>
Function ExportOf(const char* module, const char* name) {
  return ExportOf<Function>(GetModuleHandleA(module), name);
}

}  // namespace velora::win32
