// The system seam's part for this program's own module: where the DLLs it loads come from, the resources
// it carries, and the digest that checks its own bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_result.h"

namespace velora::platform {

class OwnModuleApi {
 public:
  virtual ~OwnModuleApi() = default;

  /// SetDefaultDllDirectories, looked up in kernel32 at run time; kErrorProcNotFound where it does not exist.
  [[nodiscard]] virtual WinError SetDefaultDllDirectories(std::uint32_t flags) = 0;
  /// SetDllDirectoryA; an empty folder takes the current folder out of the DLL search order.
  [[nodiscard]] virtual WinError SetDllFolder(const std::string& folder) = 0;
  /// FindResourceA, LoadResource, LockResource and SizeofResource on the program's own module.
  virtual WinResult<std::string> LoadModuleResource(const std::string& name, const std::string& type) = 0;
  /// SHA-256 of the bytes with the Windows crypto provider, as 64 lower-case hex digits.
  virtual WinResult<std::string> Sha256Hex(std::string_view bytes) = 0;
};

}  // namespace velora::platform
