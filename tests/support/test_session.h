// A session over the fake machine with start-up state scripted directly, for tests of the modules that
// run after start-up: English (or Russian) user, 64-bit view, the product's names as the update sets them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "driver/install_boxes.h"
#include "driver/session.h"
#include "support/fake_windows.h"

namespace velora::fakes {

struct TestSessionOptions {
  bool russian = false;
  std::vector<std::string> arguments;
};

inline std::unique_ptr<Session> MakeTestSession(FakeWindows& fake, const TestSessionOptions& options = {}) {
  StartupState startup{
      .UserLocale = options.russian ? 1049u : 1033u,
      .UseRussian = options.russian,
      .RegistryView = platform::RegistryView::Bits64,
      .StartMode = options.arguments.empty() ? std::string() : fakes::Lower(options.arguments.front()),
  };
  auto session = std::make_unique<Session>(fake.platform, options.arguments, std::move(startup));
  session->Names = {
      .AppName = "Velora", .ProgName = "Обновление программы \"Велора\"", .EnglishProgName = "Velora update"};
  return session;
}

/// The installation's boxes as the update words them, over the session's language support.
inline WordedInstallBoxes InstallBoxesOf(Session& session) { return WordedInstallBoxes(LanguageContextOf(session)); }

}  // namespace velora::fakes
