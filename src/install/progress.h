// The progress window's four operations as the installing code calls them.
#pragma once

#include <string>

namespace velora {

class Session;

void ShowProgress(Session& session, const std::string& title, const std::string& text);
void HideProgress(Session& session);
void SetProgressTitle(Session& session, const std::string& title);
void SetProgressText(Session& session, const std::string& text);

}  // namespace velora
