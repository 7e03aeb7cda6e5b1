#include "environment/product_key.h"

namespace velora {

bool OpenProductKey(RegistryAccessor& registry, const std::string& appName) {
  registry.SetRoot(platform::RootKey::CurrentUser);
  // A key that can be neither opened nor created still counts: reads then simply find no values.
  static_cast<void>(registry.OpenKey(kVendorKeyPath + appName, /*create=*/true));
  return true;
}

}  // namespace velora
