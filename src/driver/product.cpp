#include "driver/product.h"

namespace velora {
namespace {

constexpr const char* kProductMappingName = "velora_memfile";

// Starts the product with the token of the desktop shell's process, so that it runs as the signed-in
// user without this program's administrator rights: a product started elevated writes its settings
// and files where the user's copy does not look, and unelevated programs cannot talk to it.
void StartAsShellUser(Session& session, const std::string& file, const std::string& folder, ProductStart& start) {
  const std::optional<std::uint32_t> shellProcess = session.platform.ui.TryShellProcessId();
  if (!shellProcess) {
    start.fallbackReason = "no desktop shell window";
    return;
  }
  auto token = session.platform.system.OpenProcessPrimaryToken(*shellProcess);
  if (!token.ok()) {
    start.fallbackReason = "the desktop shell's token cannot be had";
    start.fallbackError = token.error;
    return;
  }
  const auto error = token.value->StartProcess(file, "\"" + file + "\"", folder, win::kSwShowNormal);
  if (error != win::kErrorSuccess) {
    start.fallbackReason = "CreateProcessWithTokenW failed";
    start.fallbackError = error;
    return;
  }
  start.asSignedInUser = true;
}

}  // namespace

bool IsProductRunning(Session& session) {
  auto mapping = session.platform.system.CreateNamedMapping(kProductMappingName, 64);
  if (mapping.error != win::kErrorAlreadyExists) return false;
  // The product holds it: keep this handle until the product is started again or the process ends.
  session.ProductMapping = std::move(mapping.value);
  return true;
}

ProductStart StartProduct(Session& session) {
  // A product that guards against a second copy of itself by this name would take ours for one.
  session.ProductMapping.reset();
  const std::string& folder = session.Environment.ProductFolder;
  // A folder that cannot be made current is no reason not to start the product.
  static_cast<void>(session.platform.files.SetCurrentFolder(folder));
  const std::string file = folder + session.Startup.AppName + ".exe";
  ProductStart start;
  StartAsShellUser(session, file, folder, start);
  if (!start.asSignedInUser) {
    start.shellExecuteError = session.platform.system.ShellOpen("open", file, /*parameters=*/"",
                                                                /*directory=*/"", win::kSwShowNormal);
  }
  return start;
}

}  // namespace velora
