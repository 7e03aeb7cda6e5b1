// Shared pieces of the Wine-tier tests: build paths seen from Wine, test doubles for the two parts of
// the seam that would otherwise block a test (message boxes) or start a thread (the progress window),
// and the real adapters bundled as the updater bundles them.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/desktop.h"
#include "platform/win32/files.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "support/wine_path.h"

namespace velora::wine_tests {

/// A folder of the given name in the temporary folder, made when missing; the path ends in "\".
inline std::string MakeTempFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + name + "\\";
  CreateDirectoryA(folder.c_str(), /*lpSecurityAttributes=*/nullptr);
  return folder;
}

/// Message boxes recorded and answered from a script, since a real one blocks.
class RecordingUi final : public platform::UiApi {
 public:
  std::vector<platform::MessageBoxRequest> boxes;
  std::deque<int> answers;  ///< answers in order; when empty, OK boxes get IDOK and Yes/No boxes IDNO
  platform::WinResult<int> ShowMessageBox(const platform::MessageBoxRequest& request) override {
    boxes.push_back(request);
    if (answers.empty()) return platform::Succeeded((request.style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK);
    const int answer = answers.front();
    answers.pop_front();
    return platform::Succeeded(answer);
  }
};

class NoProgressWindow final : public platform::ProgressWindowApi {
 public:
  platform::WinError Show(const std::string&, const std::string&) override { return 0; }
  platform::WinError Hide() override { return 0; }
  platform::WinError SetTitle(const std::string&) override { return 0; }
  platform::WinError SetText(const std::string&) override { return 0; }
};

/// The real adapters bundled into one Platform, as FakeWindows bundles the fakes for host tests; a test
/// names the doubles it puts in their place (its own files, processes, progress window or boxes).
template <class Files = win32::Win32Files, class Processes = win32::Win32Processes, class Progress = NoProgressWindow,
          class Ui = RecordingUi>
struct RealWindows {
  win32::Win32Registry registry;
  Files files;
  Ui ui;
  win32::Win32Desktop desktop;
  Progress progress;
  win32::Win32Machine machine;
  win32::Win32Text text;
  win32::Win32OwnModule ownModule;
  win32::Win32ProgramFiles programFiles;
  Processes processes;
  win32::Win32Tokens tokens;
  win32::Win32Sessions sessions;
  platform::Platform platform{registry, files,     ui,           desktop,   progress, machine,
                              text,     ownModule, programFiles, processes, tokens,   sessions};
};

}  // namespace velora::wine_tests
