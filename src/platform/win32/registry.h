// The registry seam over advapi32.
#pragma once

#include "platform/registry_api.h"

namespace velora::win32 {

class Win32Registry final : public platform::RegistryApi {
 public:
  platform::WinResult<platform::RegistryKeyPtr> OpenKey(platform::RootKey root, const std::string& path,
                                                        std::uint32_t access) override;
  platform::WinResult<platform::RegistryKeyPtr> CreateKey(platform::RootKey root, const std::string& path,
                                                          std::uint32_t access) override;
};

}  // namespace velora::win32
