// A session over the fake machine with start-up state scripted directly, for tests of the modules that
// run after start-up: English (or Russian) user, 64-bit view, AppName and captions as the update sets them.
#pragma once

#include <memory>
#include <string>
#include <vector>

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
      .Registry = RegistryAccessor(fake.registry, 0x000F013F),
      .StartMode = {},
      .RstartMode = false,
      .KnownStartMode = false,
      .AppName = "Velora",
      .ProgName = "Обновление программы \"Велора\"",
      .EnglishProgName = "Velora update",
      .PayloadVersionText = "1",
      .ProgDescr = {},
      .Random = std::minstd_rand(1),
  };
  if (!options.arguments.empty()) startup.StartMode = fakes::Lower(options.arguments.front());
  return std::make_unique<Session>(fake.platform, options.arguments, std::move(startup), /*isWindows64=*/true);
}

/// The product's names as the start-up state holds them, for discovery.
inline ProductNames NamesOf(const StartupState& startup) {
  return {.AppName = startup.AppName, .ProgName = startup.ProgName, .EnglishProgName = startup.EnglishProgName};
}

}  // namespace velora::fakes
