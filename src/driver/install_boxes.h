// The installation's boxes in the update's words: the fixed bilingual texts, and the older-file question
// of the language file once one is loaded.
#pragma once

#include "install/install_boxes.h"
#include "language/language_context.h"

namespace velora {

class WordedInstallBoxes final : public InstallBoxes {
 public:
  explicit WordedInstallBoxes(const LanguageContext& language) : language_(language) {}

  /// "Can't install file <path>".
  void ShowCannotInstall(const std::string& path) const override;
  /// The language file's "olderfilever" question naming the file, else the fixed one naming both versions,
  /// the installed one first.
  bool AcceptsOlderFile(const std::string& path, const std::string& installedVersion,
                        const std::string& newVersion) const override;
  /// The bilingual box naming a language file that cannot be read.
  void ShowUnreadableLanguageFile(const std::string& path) const override;

 private:
  const LanguageContext language_;
};

}  // namespace velora
