#include "driver/update_sequence.h"
#include "environment/session.h"

namespace velora {
namespace {

constexpr const char* kProductMappingName = "velora_memfile";

}  // namespace

bool IsProductRunning(Session& session) {
  auto mapping = session.platform.system.CreateNamedMapping(kProductMappingName, 64);
  if (mapping.error != win::kErrorAlreadyExists) return false;
  // The product holds it: keep this handle until the process ends.
  session.ProductMapping = std::move(mapping.value);
  return true;
}

void StartProduct(Session& session) {
  const std::string& folder = session.Environment.ProductFolder;
  // A folder that cannot be made current is no reason not to start the product.
  session.platform.files.SetCurrentFolder(folder);
  session.platform.system.ShellOpen("open", folder + session.Startup.AppName + ".exe", /*parameters=*/"",
                                    /*directory=*/"", win::kSwShowNormal);
}

}  // namespace velora
