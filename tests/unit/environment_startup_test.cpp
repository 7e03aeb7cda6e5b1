// The start-up steps over the fake machine: the Russian locales, the registry
// view that the Windows identification selects, and the start mode from the first parameter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/session.h"
#include "environment/startup_state.h"
#include "support/fake_windows.h"

namespace velora {
namespace {

StartupState Start(fakes::FakeWindows& fake, const std::vector<std::string>& arguments = {}) {
  return RunStartup(fake.platform, arguments);
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
  fake.text.userLocale = 2073;
  StartupState state = Start(fake);
  EXPECT_EQ(state.UserLocale, 2073u);
  EXPECT_TRUE(state.UseRussian);
  fake.text.userLocale = 1048;
  EXPECT_FALSE(Start(fake).UseRussian);
}

TEST(RunStartup, KeysAreOpenedInThe64BitViewOnlyOn64BitWindows) {
  struct Case {
    std::uint16_t architecture;
    platform::RegistryView view;
  };
  for (const Case& c : {Case{9, platform::RegistryView::Bits64}, Case{0, platform::RegistryView::Bits32}}) {
    fakes::FakeWindows fake;
    fake.machine.processorArchitecture = c.architecture;
    StartupState state = Start(fake);
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
  fake.text.userLocale = 1049;
  Session session(fake.platform, {"Gstart"});
  EXPECT_TRUE(session.Startup.UseRussian);
  EXPECT_EQ(session.Startup.StartMode, "gstart");
  EXPECT_EQ(session.Startup.RegistryView, platform::RegistryView::Bits64);
}

}  // namespace
}  // namespace velora
