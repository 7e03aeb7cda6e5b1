#include "platform/win32/system_folder.h"

#include "platform/win32/run_time_link.h"

namespace velora::win32 {

platform::WinResult<unique_hmodule> LoadSystemLibrary(const char* name) {
  unique_hmodule module;
  if (ExportOf<FARPROC>("kernel32.dll", "SetDefaultDllDirectories") != nullptr) {
    // The loader knows LOAD_LIBRARY_SEARCH_SYSTEM32 (it came with SetDefaultDllDirectories): the DLL and
    // every DLL it needs come from the system folder alone.
    module.reset(LoadLibraryExA(name, /*hFile=*/nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  } else {
    auto folder = SystemFolder();
    if (!folder.ok()) return platform::Failed<unique_hmodule>(folder.error);
    std::string path = std::move(folder.value);
    if (path.back() != '\\') path += '\\';
    path += name;
    // A full path and LOAD_WITH_ALTERED_SEARCH_PATH: the DLL's own dependencies come from its folder too.
    module.reset(LoadLibraryExA(path.c_str(), /*hFile=*/nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  }
  if (!module) return platform::Failed<unique_hmodule>(GetLastError());
  return platform::Succeeded(std::move(module));
}

}  // namespace velora::win32
