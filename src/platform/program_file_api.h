// The system seam's part for what Windows tells of another program's file: its kind and its version resource.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win_result.h"

namespace velora::platform {

/// The version resource of a file, as VerQueryValueA reads it.
class FileVersionInfo {
 public:
  virtual ~FileVersionInfo() = default;
  /// "\VarFileInfo\Translation": each entry's low 16 bits the language, high 16 bits the code page;
  /// nullopt when the resource has no such block.
  [[nodiscard]] virtual std::optional<std::vector<std::uint32_t>> TryQueryTranslations() = 0;
  /// A string value such as "\StringFileInfo\040904b0\FileVersion", up to its terminating zero;
  /// nullopt when the resource has no such value.
  [[nodiscard]] virtual std::optional<std::string> TryQueryString(const std::string& subBlock) = 0;
};

class ProgramFileApi {
 public:
  virtual ~ProgramFileApi() = default;

  /// SHGetFileInfoA with SHGFI_EXETYPE; nullopt for no executable or no file.
  [[nodiscard]] virtual std::optional<std::uintptr_t> TryGetExeType(const std::string& path) = 0;
  /// GetFileVersionInfoSizeA and GetFileVersionInfoA (version.dll, loaded from the system folder);
  /// their error when the file has no version resource or it cannot be read.
  virtual WinResult<std::unique_ptr<FileVersionInfo>> LoadFileVersionInfo(const std::string& path) = 0;
};

}  // namespace velora::platform
