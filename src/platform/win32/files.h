// The file seam over kernel32.
#pragma once

#include "platform/file_api.h"

namespace velora::win32 {

class Win32Files : public platform::FileApi {
 public:
  platform::WinResult<platform::OpenFilePtr> Open(const std::string& path, std::uint32_t access, std::uint32_t share,
                                                  std::uint32_t disposition) override;
  platform::WinResult<std::uint32_t> Attributes(const std::string& path) override;
  platform::WinError Delete(const std::string& path) override;
  platform::WinError Move(const std::string& from, const std::string& to, std::uint32_t flags) override;
  platform::WinError AddHardLink(const std::string& link, const std::string& existing) override;
  platform::WinResult<std::vector<platform::DirectoryEntry>> FindFiles(const std::string& pattern) override;
  platform::WinError SetCurrentFolder(const std::string& path) override;
  platform::WinResult<platform::OpenFilePtr> OpenWithFlags(const std::string& path, std::uint32_t access,
                                                           std::uint32_t share, std::uint32_t disposition,
                                                           std::uint32_t flagsAndAttributes) override;
  platform::WinResult<std::string> LongFullPath(const std::string& path) override;
  platform::WinResult<platform::OpenFilePtr> OpenOwnModule() override;
};

}  // namespace velora::win32
