#include "install/progress.h"

#include "environment/session.h"

namespace velora {

void ShowProgress(Session& session, const std::string& title, const std::string& text) {
  session.platform.progress.Show(title, text);
}

void HideProgress(Session& session) { session.platform.progress.Hide(); }

void SetProgressTitle(Session& session, const std::string& title) { session.platform.progress.SetTitle(title); }

void SetProgressText(Session& session, const std::string& text) { session.platform.progress.SetText(text); }

}  // namespace velora
