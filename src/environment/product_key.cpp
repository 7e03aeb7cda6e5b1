#include "environment/product_key.h"

#include "environment/session.h"

namespace velora {

bool OpenProductKey(Session& session) {
  RegistryAccessor& registry = session.Startup.Registry;
  registry.SetRoot(platform::RootKey::CurrentUser);
  // A key that can be neither opened nor created still counts: reads then simply find no values.
  registry.OpenKey(kVendorKeyPath + session.Startup.AppName, /*create=*/true);
  return true;
}

void AddBackslash(std::string& path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
}

}  // namespace velora
