#include "environment/startup_state.h"

#include <algorithm>
#include <array>

#include "base/ascii_case.h"
#include "sysinfo/windows_identification.h"

namespace velora {
namespace {

// Bulgarian, Russian, Ukrainian, Belarusian, Kazakh, Tatar, Russian (Moldova).
constexpr std::array<std::uint32_t, 7> kRussianLocales{1026, 1049, 1058, 1059, 1087, 1092, 2073};

}  // namespace

bool UseRussianFor(std::uint32_t locale) {
  return std::find(kRussianLocales.begin(), kRussianLocales.end(), locale) != kRussianLocales.end();
}

StartupState RunStartup(platform::Platform& platform, const std::vector<std::string>& arguments) {
  const std::uint32_t userLocale = platform.text.GetUserDefaultLCID();
  WindowsName windows = GetWindowsName(platform, /*includeVersion=*/false);
  return StartupState{
      .UserLocale = userLocale,
      .UseRussian = UseRussianFor(userLocale),
      .RegistryView = windows.isWindows64 ? platform::RegistryView::Bits64 : platform::RegistryView::Bits32,
      .WindowsName = std::move(windows.text),
      .StartMode = arguments.empty() ? std::string() : LowerAscii(arguments.front()),
  };
}

}  // namespace velora
