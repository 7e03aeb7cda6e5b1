// The start-up steps over the fake machine: the generator's seed, the Russian locales, the registry
// view that the Windows identification selects, and the start mode from the first parameter.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/session.h"
#include "environment/startup_state.h"
#include "support/fake_windows.h"

namespace velora {
namespace {

StartupState Start(fakes::FakeWindows& fake, const std::vector<std::string>& arguments = {}) {
  bool isWindows64 = false;
  return RunStartup(fake.platform, arguments, isWindows64);
}

TEST(UseRussianFor, TheSevenLocalesAndNoOthers) {
  for (std::uint32_t locale : {1026u, 1049u, 1058u, 1059u, 1087u, 1092u, 2073u}) {
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
  EXPECT_EQ(Start(fake).Random, std::minstd_rand(0x00001234));
  const auto seeded = std::find(fake.journal.begin(), fake.journal.end(), "QueryPerformanceCounter");
  const auto identified = std::find(fake.journal.begin(), fake.journal.end(), "GetVersionEx");
  EXPECT_LT(seeded, identified);

  fake.system.performanceCounter.reset();
  fake.system.tickCount = 987654;
  EXPECT_EQ(Start(fake).Random, std::minstd_rand(987654));
}

TEST(RunStartup, TheRegistryAccessorSeesThe64BitViewOnlyOn64BitWindows) {
  struct Case {
    std::uint16_t architecture;
    std::uint32_t access;
    bool isWindows64;
  };
  for (const Case& c : {Case{9, 0x000F013F, true}, Case{0, 0x000F003F, false}}) {
    fakes::FakeWindows fake;
    fake.system.processorArchitecture = c.architecture;
    bool isWindows64 = !c.isWindows64;
    StartupState state = RunStartup(fake.platform, {}, isWindows64);
    EXPECT_EQ(isWindows64, c.isWindows64);
    EXPECT_EQ(state.Registry.Access(), c.access);
    EXPECT_EQ(state.Registry.Root(), platform::RootKey::CurrentUser);
    EXPECT_FALSE(state.Registry.HasOpenKey());
  }
}

TEST(RunStartup, TheStartModeIsTheFirstParameterInAsciiLowerCase) {
  struct Case {
    std::vector<std::string> arguments;
    std::string startMode;
    bool rstart, known;
  };
  const std::vector<Case> cases = {
      {{}, "", false, false},
      {{"RStart", "runapp"}, "rstart", true, true},
      {{"GSTART"}, "gstart", false, true},
      {{"ystart"}, "ystart", false, true},
      {{"modest", "rstart"}, "modest", false, false},
      {{"rstart "}, "rstart ", false, false},
      {{"\xC0START"}, "\xC0start", false, false},  // only A to Z change case
  };
  for (const Case& c : cases) {
    fakes::FakeWindows fake;
    StartupState state = Start(fake, c.arguments);
    EXPECT_EQ(state.StartMode, c.startMode);
    EXPECT_EQ(state.RstartMode, c.rstart) << c.startMode;
    EXPECT_EQ(state.KnownStartMode, c.known) << c.startMode;
    EXPECT_EQ(state.AppName, "");
  }
}

TEST(Session, ItsConstructorRunsTheStartUpSteps) {
  fakes::FakeWindows fake;
  fake.system.userLocale = 1049;
  Session session(fake.platform, {"Gstart"});
  EXPECT_TRUE(session.IsWindows64);
  EXPECT_TRUE(session.Startup.UseRussian);
  EXPECT_TRUE(session.Startup.KnownStartMode);
  EXPECT_EQ(session.Startup.Registry.Access(), 0x000F013Fu);
}

}  // namespace
}  // namespace velora
