// The boxes an installation may show, worded by whoever runs it: the installation says what happened,
// not in which words or language.
#pragma once

#include <string>

namespace velora {

class InstallBoxes {
 public:
  virtual ~InstallBoxes() = default;
  /// The file at path could not be installed; the installed file is as it was.
  virtual void ShowCannotInstall(const std::string& path) const = 0;
  /// Whether an older file may replace the newer one installed at path; false on No and when no box
  /// can be shown.
  virtual bool AcceptsOlderFile(const std::string& path, const std::string& installedVersion,
                                const std::string& newVersion) const = 0;
  /// The language file at path has no readable version.
  virtual void ShowUnreadableLanguageFile(const std::string& path) const = 0;
};

}  // namespace velora
