// The registry seam over advapi32.
#pragma once

#include "platform/registry_api.h"

namespace velora::win32 {

class Win32Registry final : public platform::RegistryApi {
 private:
  platform::WinResult<platform::RegistryKeyPtr> OpenKeyWithAccess(platform::RootKey root, const std::string& path,
                                                                  std::uint32_t access) override;
  platform::WinResult<platform::RegistryKeyPtr> CreateKeyWithAccess(platform::RootKey root, const std::string& path,
                                                                    std::uint32_t access) override;
};

}  // namespace velora::win32
