#include "install/progress.h"

namespace velora {

// The window only shows that work is going on: one that cannot be shown or changed never stops the
// update, so the window's errors end here.

void ShowProgress(platform::ProgressWindowApi& progress, const std::string& title, const std::string& text) {
  static_cast<void>(progress.Show(title, text));
}

void HideProgress(platform::ProgressWindowApi& progress) { static_cast<void>(progress.Hide()); }

void SetProgressTitle(platform::ProgressWindowApi& progress, const std::string& title) {
  static_cast<void>(progress.SetTitle(title));
}

void SetProgressText(platform::ProgressWindowApi& progress, const std::string& text) {
  static_cast<void>(progress.SetText(text));
}

}  // namespace velora
