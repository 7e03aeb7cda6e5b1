// Writes a resource of the program's own module to a path, safely: the bytes go to the "~" name beside
// the destination, are flushed, and replace the destination in one step. With a version check, a newer
// installed copy is replaced only after the user agrees.
#pragma once

#include <string>

#include "language/language_context.h"
#include "platform/win_result.h"

namespace velora {

enum class InstallOutcome { Written, Declined, Failed };

struct [[nodiscard]] InstallResult {
  InstallOutcome outcome = InstallOutcome::Failed;
  platform::WinError error = 0;  ///< Windows' error of the step that failed, when outcome is Failed
};

/// Failures are reported in the "Can't install file" box and returned as Failed; the installed file
/// is then as it was. The question before an older file replaces a newer one is asked in the current
/// language, when one is loaded.
InstallResult InstallEmbeddedFile(const LanguageContext& language, const std::string& resourceName,
                                  const std::string& fileKind, const std::string& destinationPath, bool checkVersions);

}  // namespace velora
