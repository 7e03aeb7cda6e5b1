// The progress window's four operations as the installing code calls them; the window itself, its
// thread and its placement belong to the platform's progress window.
#pragma once

#include <string>

#include "platform/progress_window_api.h"

namespace velora {

/// Shows the window with a title and a text; the first call creates it.
void ShowProgress(platform::ProgressWindowApi& progress, const std::string& title, const std::string& text);
/// Hides the window; nothing happens before it was first shown.
void HideProgress(platform::ProgressWindowApi& progress);
/// Sets the window's title.
void SetProgressTitle(platform::ProgressWindowApi& progress, const std::string& title);
/// Sets the window's text line.
void SetProgressText(platform::ProgressWindowApi& progress, const std::string& text);

}  // namespace velora
