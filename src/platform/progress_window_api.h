// The progress window part of the seam: a topmost window with a title, one line of text and a bar,
// living on a thread of its own. The installing code reaches it only through these four operations.
#pragma once

#include <string>

namespace velora::platform {

class ProgressWindowApi {
 public:
  virtual ~ProgressWindowApi() = default;
  /// Shows the window with a title and a text, creating it (and its thread) on first use.
  virtual void Show(const std::string& title, const std::string& text) = 0;
  /// Hides the window; nothing happens before it was first shown.
  virtual void Hide() = 0;
  /// Sets the title, or keeps it for the window about to be created.
  virtual void SetTitle(const std::string& title) = 0;
  /// Sets the text line.
  virtual void SetText(const std::string& text) = 0;
};

}  // namespace velora::platform
