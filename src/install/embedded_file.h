// Writes a resource of the program's own module to a path, safely: the bytes go to the "~" name beside
// the destination, are flushed, and replace the destination in one step. With a version check, a newer
// installed copy is replaced only after the user agrees.
#pragma once

#include <string>

namespace velora {

class Session;

enum class InstallOutcome { Written, Declined, Failed };

/// Failures are reported in the "Can't install file" box and returned as Failed; the installed file
/// is then as it was.
InstallOutcome InstallEmbeddedFile(Session& session, const std::string& resourceName,
                                   const std::string& fileKind, const std::string& destinationPath,
                                   bool checkVersions);

}  // namespace velora
