#include "environment/startup_state.h"

#include <algorithm>
#include <array>

#include "base/ascii_case.h"
#include "platform/win_constants.h"
#include "sysinfo/windows_identification.h"

namespace velora {
namespace {

// Bulgarian, Russian, Ukrainian, Belarusian, Kazakh, Tatar, Russian (Moldova).
constexpr std::array<std::uint32_t, 7> kRussianLocales{1026, 1049, 1058, 1059, 1087, 1092, 2073};

std::uint32_t RandomSeed(platform::SystemApi& system) {
  if (auto counter = system.QueryPerformanceCounter(); counter.ok()) return static_cast<std::uint32_t>(counter.value);
  return system.GetTickCount();
}

}  // namespace

bool UseRussianFor(std::uint32_t locale) {
  return std::find(kRussianLocales.begin(), kRussianLocales.end(), locale) != kRussianLocales.end();
}

StartupState RunStartup(platform::Platform& platform, const std::vector<std::string>& arguments, bool& isWindows64) {
  // The generator comes first: the Windows identification may name a temporary file with it.
  std::minstd_rand random(RandomSeed(platform.system));
  const std::uint32_t userLocale = platform.system.GetUserDefaultLCID();
  std::string windowsName = GetWindowsName(platform, random, /*includeVersion=*/false, isWindows64);
  const std::uint32_t registryAccess = isWindows64 ? (win::kKeyAllAccess | win::kKeyWow64_64Key) : win::kKeyAllAccess;

  StartupState state{
      .UserLocale = userLocale,
      .UseRussian = UseRussianFor(userLocale),
      .Registry = RegistryAccessor(platform.registry, registryAccess),
      .WindowsName = std::move(windowsName),
      .StartMode = arguments.empty() ? std::string() : LowerAscii(arguments.front()),
      .Random = random,
  };
  state.Registry.SetRoot(platform::RootKey::CurrentUser);
  state.RstartMode = state.StartMode == "rstart";
  state.KnownStartMode = state.RstartMode || state.StartMode == "gstart" || state.StartMode == "ystart";
  return state;
}

}  // namespace velora
