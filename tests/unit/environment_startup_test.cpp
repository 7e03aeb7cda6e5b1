// The start-up steps over the fake machine: the generator's seed, the Russian locales, the registry
// view that the Windows identification selects, and the start mode from the first parameter.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "driver/session.h"
#include "environment/startup_state.h"
#include "support/fake_windows.h"
#include "sysinfo/console_command.h"
#include "sysinfo_fake_interpreter.h"

namespace velora {
namespace {

StartupState Start(fakes::FakeWindows& fake, const std::vector<std::string>& arguments = {}) {
  bool isWindows64 = false;
  return RunStartup(fake.platform, arguments, isWindows64);
}

/// The temporary file, named by the generator, that run has "ver" write to on Windows 10 (6.2 to a
/// program without a manifest, told apart by "ver").
std::string VerFile(fakes::FakeWindows& fake, const std::function<void()>& run) {
  fake.system.extendedVersion = platform::OsVersionInfo{6, 2, 9200, 2, "", 0x300, 1};
  std::string file;
  fake.system.onRunProcess = [&](const std::string& commandLine) -> platform::WinError {
    file = fakes::RedirectTarget(commandLine);
    return 0;
  };
  run();
  return file;
}

/// The name the console capture draws from a generator seeded with seed.
std::string VerFileOfSeed(std::uint32_t seed) {
  fakes::FakeWindows fake;
  std::minstd_rand random(seed);
  return VerFile(fake, [&] { static_cast<void>(RunConsoleCommand(fake.platform, random, "ver")); });
}

// The list itself stands in the code; here its ends, and what lies near them or looks like them.
TEST(UseRussianFor, TheListedLocalesAndNoOthers) {
  for (std::uint32_t locale : {1026u, 2073u}) {
    EXPECT_TRUE(UseRussianFor(locale)) << locale;
  }
  for (std::uint32_t locale : {0u, 1033u, 1048u, 1025u, 0x10419u, 3081u}) {
    EXPECT_FALSE(UseRussianFor(locale)) << locale;
  }
}

TEST(RunStartup, TakesTheUserLocale) {
  fakes::FakeWindows fake;
  fake.system.userLocale = 2073;
  StartupState state = Start(fake);
  EXPECT_EQ(state.UserLocale, 2073u);
  EXPECT_TRUE(state.UseRussian);
  fake.system.userLocale = 1048;
  EXPECT_FALSE(Start(fake).UseRussian);
}

TEST(RunStartup, SeedsWithThePerformanceCounterElseTheTickCountBeforeIdentifyingWindows) {
  fakes::FakeWindows fake;
  fake.system.performanceCounter = 0x7FFF00001234LL;
  EXPECT_EQ(VerFile(fake, [&] { Start(fake); }), VerFileOfSeed(0x00001234));
  const auto seeded = std::find(fake.journal.begin(), fake.journal.end(), "QueryPerformanceCounter");
  const auto identified = std::find(fake.journal.begin(), fake.journal.end(), "GetVersionEx");
  EXPECT_LT(seeded, identified);

  fakes::FakeWindows withoutCounter;
  withoutCounter.system.performanceCounter.reset();
  withoutCounter.system.tickCount = 987654;
  EXPECT_EQ(VerFile(withoutCounter, [&] { Start(withoutCounter); }), VerFileOfSeed(987654));
}

TEST(RunStartup, KeysAreOpenedInThe64BitViewOnlyOn64BitWindows) {
  struct Case {
    std::uint16_t architecture;
    platform::RegistryView view;
    bool isWindows64;
  };
  for (const Case& c :
       {Case{9, platform::RegistryView::Bits64, true}, Case{0, platform::RegistryView::Bits32, false}}) {
    fakes::FakeWindows fake;
    fake.system.processorArchitecture = c.architecture;
    bool isWindows64 = !c.isWindows64;
    StartupState state = RunStartup(fake.platform, {}, isWindows64);
    EXPECT_EQ(isWindows64, c.isWindows64);
    EXPECT_EQ(state.RegistryView, c.view);
    EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
  }
}

TEST(RunStartup, TheStartModeIsTheFirstParameterInAsciiLowerCase) {
  struct Case {
    std::vector<std::string> arguments;
    std::string startMode;
  };
  const std::vector<Case> cases = {
      {{}, ""},
      {{"RStart", "runapp"}, "rstart"},
      {{"MoDeSt", "rstart"}, "modest"},
      {{"rstart "}, "rstart "},
      {{"\xC0START"}, "\xC0start"},  // only A to Z change case
  };
  for (const Case& c : cases) {
    fakes::FakeWindows fake;
    EXPECT_EQ(Start(fake, c.arguments).StartMode, c.startMode);
  }
}

TEST(Session, ItsConstructorRunsTheStartUpSteps) {
  fakes::FakeWindows fake;
  fake.system.userLocale = 1049;
  Session session(fake.platform, {"Gstart"});
  EXPECT_TRUE(session.IsWindows64);
  EXPECT_TRUE(session.Startup.UseRussian);
  EXPECT_EQ(session.Startup.StartMode, "gstart");
  EXPECT_EQ(session.Startup.RegistryView, platform::RegistryView::Bits64);
}

}  // namespace
}  // namespace velora
