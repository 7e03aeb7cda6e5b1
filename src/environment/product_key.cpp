#include "environment/product_key.h"

namespace velora {

platform::WinResult<platform::RegistryKeyPtr> OpenProductKey(platform::RegistryApi& registry,
                                                             platform::RegistryView view, const std::string& appName) {
  return registry.CreateKey(platform::RootKey::CurrentUser, kVendorKeyPath + appName, view);
}

}  // namespace velora
