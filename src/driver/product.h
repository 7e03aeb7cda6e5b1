// The product's running copy: whether one holds the product's shared-memory object, and starting the
// product after the update.
#pragma once

#include <string>

#include "driver/session.h"
#include "platform/win_result.h"

namespace velora {

/// True when a copy of the product holds its shared-memory object.
bool IsProductRunning(Session& session);

/// How StartProduct started the product.
struct ProductStart {
  bool asSignedInUser = false;               ///< with the desktop shell's token: not elevated
  std::string fallbackReason;                ///< why the shell's token was not used; empty when it was
  platform::WinError fallbackError = 0;      ///< the error of the call that failed, when one did
  platform::WinError shellExecuteError = 0;  ///< ShellExecuteA's error when it was used
};

/// Starts ProductFolder + AppName + ".exe" in that folder as the signed-in user (with the token of the
/// desktop shell's process), or with ShellExecuteA where that cannot be done. Lets the product's
/// shared-memory object go first. Failures are not reported to the user.
ProductStart StartProduct(Session& session);

}  // namespace velora
