// The progress window over user32 and comctl32: a topmost window with a title, a text line and an empty
// bar, made and served by a thread of its own (TSetupForm). The window lives from the first Show until
// this object is destroyed, which closes it and waits for its thread.
#pragma once

#include <memory>
#include <string>

#include "platform/progress_window_api.h"

namespace velora::win32 {

class TSetupForm;

class Win32ProgressWindow final : public platform::ProgressWindowApi {
 public:
  Win32ProgressWindow();
  ~Win32ProgressWindow() override;
  Win32ProgressWindow(const Win32ProgressWindow&) = delete;
  Win32ProgressWindow& operator=(const Win32ProgressWindow&) = delete;

  /// The first call starts the window thread and returns once the window is shown.
  platform::WinError Show(const std::string& title, const std::string& text) override;
  platform::WinError Hide() override;
  platform::WinError SetTitle(const std::string& title) override;
  /// Before the window exists the text is kept, as the title is.
  platform::WinError SetText(const std::string& text) override;

 private:
  std::unique_ptr<TSetupForm> form_;
  std::string pendingTitle_;
  std::string pendingText_;
};

}  // namespace velora::win32
