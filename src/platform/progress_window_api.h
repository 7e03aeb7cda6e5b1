// The progress window part of the seam: a topmost window with a title, one line of text and a bar,
// living on a thread of its own. The installing code reaches it only through these four operations.
#pragma once

#include <string>

#include "platform/win_result.h"

namespace velora::platform {

class ProgressWindowApi {
 public:
  virtual ~ProgressWindowApi() = default;
  /// Shows the window with a title and a text, creating it (and its thread) on first use.
  [[nodiscard]] virtual WinError Show(const std::string& title, const std::string& text) = 0;
  /// Hides the window; nothing happens before it was first shown.
  [[nodiscard]] virtual WinError Hide() = 0;
  /// Sets the title, or keeps it for the window about to be created.
  [[nodiscard]] virtual WinError SetTitle(const std::string& title) = 0;
  /// Sets the text line.
  [[nodiscard]] virtual WinError SetText(const std::string& text) = 0;
};

}  // namespace velora::platform
