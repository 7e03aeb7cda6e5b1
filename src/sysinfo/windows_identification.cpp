#include "sysinfo/windows_identification.h"

#include <optional>

#include "base/hex_text.h"
#include "platform/win_constants.h"
#include "sysinfo/console_command.h"

namespace velora {
namespace {

constexpr const char* kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kProductOptionsKey = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr const char* kQ246009HotfixKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";
constexpr std::size_t kProductTypeBufferSize = 256;

constexpr std::uint16_t kSuiteEnterprise = 0x0002;
constexpr std::uint16_t kSuiteEmbeddedNt = 0x0040;
constexpr std::uint16_t kSuiteDatacenter = 0x0080;
constexpr std::uint16_t kSuitePersonal = 0x0200;
constexpr std::uint16_t kSuiteBlade = 0x0400;
constexpr std::uint16_t kSuiteStorageServer = 0x2000;
constexpr std::uint16_t kSuiteComputeServer = 0x4000;

/// Everything the tables look at, gathered once before any of them is read.
struct WindowsFacts {
  platform::OsVersionInfo version;
  bool extended = false;  ///< the OSVERSIONINFOEX call succeeded
  std::uint16_t architecture = 0;
  bool serverR2 = false;
  bool starter = false;
  bool mediaCenter = false;
  bool tabletPc = false;

  std::uint32_t Major() const { return version.majorVersion; }
  std::uint32_t Minor() const { return version.minorVersion; }
  std::uint32_t Build() const { return version.buildNumber & 0xFFFF; }
  bool Workstation() const { return version.productType == win::kVerNtWorkstation; }
  bool ServerType() const {
    return version.productType == win::kVerNtDomainController || version.productType == win::kVerNtServer;
  }
  bool Has(std::uint16_t suite) const { return (version.suiteMask & suite) != 0; }
  /// The second character of szCSDVersion.
  char CsdLetter() const { return version.csdVersion.size() > 1 ? version.csdVersion[1] : '\0'; }
};

using Condition = bool (*)(const WindowsFacts&);

/// One row of an edition table: the first row whose condition holds decides the words.
struct Row {
  Condition applies;
  const char* words;
};

template <std::size_t N>
const char* FirstMatch(const Row (&rows)[N], const WindowsFacts& facts) {
  for (const Row& row : rows) {
    if (row.applies(facts)) return row.words;
  }
  return "";
}

// Windows 9x, major version 4.
constexpr Row kWindows9xRows[] = {
    {[](const WindowsFacts& f) { return (f.Minor() == 0 || f.Minor() == 3) && f.Build() == 1111; }, "95 OSR 2.0"},
    {[](const WindowsFacts& f) {
       return (f.Minor() == 0 || f.Minor() == 3) && (f.Build() == 1212 || f.Build() == 1213);
     },
     "95 OSR 2.1"},
    {[](const WindowsFacts& f) {
       return (f.Minor() == 0 || f.Minor() == 3) && f.Build() == 1214 && f.CsdLetter() == 'C';
     },
     "95 OSR 2.5"},
    {[](const WindowsFacts& f) { return (f.Minor() == 0 || f.Minor() == 3) && f.Build() == 1214; }, "95 OSR 2.1"},
    {[](const WindowsFacts& f) { return (f.Minor() == 0 || f.Minor() == 3) && f.Build() > 1080; }, "95 OSR 2.x"},
    {[](const WindowsFacts& f) {
       return (f.Minor() == 0 || f.Minor() == 3) && (f.CsdLetter() == 'A' || f.CsdLetter() == 'W');
     },
     "95 OSR 1"},
    {[](const WindowsFacts& f) { return f.Minor() == 0 || f.Minor() == 3; }, "95"},
    {[](const WindowsFacts& f) {
       return f.Minor() == 10 && (f.version.buildNumber == 2222 || f.CsdLetter() == 'A' || f.CsdLetter() == 'B');
     },
     "98 SE"},
    {[](const WindowsFacts& f) { return f.Minor() == 10; }, "98"},
    {[](const WindowsFacts& f) { return f.Minor() == 90; }, "Millennium"},
    {[](const WindowsFacts&) { return true; }, "Unknown 9x"},
};

// NT version words for the versions the numbers tell apart; the others read "ver" (VersionWordsSource).
constexpr Row kNtVersionRows[] = {
    {[](const WindowsFacts& f) { return f.Major() == 3 || f.Major() == 4; }, "NT "},
    {[](const WindowsFacts& f) { return f.Major() == 5 && f.Minor() == 0; }, "2000 "},
    {[](const WindowsFacts& f) { return f.Major() == 5 && f.Minor() == 1; }, "XP "},
    {[](const WindowsFacts& f) { return f.Major() == 5 && f.Minor() == 2 && f.serverR2; }, "Server 2003 R2 "},
    {[](const WindowsFacts& f) {
       return f.Major() == 5 && f.Minor() == 2 && f.version.suiteMask == kSuiteStorageServer;
     },
     "Storage Server 2003"},
    {[](const WindowsFacts& f) {
       return f.Major() == 5 && f.Minor() == 2 && f.Workstation() && f.architecture == win::kProcessorArchitectureAmd64;
     },
     "XP "},
    {[](const WindowsFacts& f) { return f.Major() == 5 && f.Minor() == 2; }, "Server 2003 "},
    {[](const WindowsFacts& f) { return f.Major() == 5; }, "Unknown version "},
    {[](const WindowsFacts& f) { return f.Major() == 6 && f.Minor() == 0 && f.Workstation(); }, "Vista "},
    {[](const WindowsFacts& f) { return f.Major() == 6 && f.Minor() == 0; }, "Server 2008 "},
    {[](const WindowsFacts& f) { return f.Major() == 6 && f.Minor() == 1 && f.Workstation(); }, "7 "},
    {[](const WindowsFacts& f) { return f.Major() == 6 && f.Minor() == 1; }, "Server 2008 R2 "},
    {[](const WindowsFacts& f) { return f.Major() == 6 && f.Minor() == 3 && f.Workstation(); }, "8.1 "},
    {[](const WindowsFacts& f) { return f.Major() == 6 && f.Minor() == 3; }, "Server 2012 R2 "},
    {[](const WindowsFacts& f) { return f.Major() == 6 && f.Minor() >= 4; }, ""},
    {[](const WindowsFacts& f) { return f.Major() == 10 && f.Minor() == 0 && f.Workstation(); }, "10 "},
    {[](const WindowsFacts& f) { return f.Major() == 10 && f.Minor() == 0; }, "Server 2016 "},
    {[](const WindowsFacts& f) { return f.Major() == 10; }, ""},
};

enum class VersionWordsSource { Table, VerMarkers, VerNumberRule };

VersionWordsSource SourceOfVersionWords(const WindowsFacts& facts) {
  if (facts.Major() == 6 && facts.Minor() == 2) return VersionWordsSource::VerMarkers;
  if ((facts.Major() >= 3 && facts.Major() <= 6) || facts.Major() == 10) return VersionWordsSource::Table;
  return VersionWordsSource::VerNumberRule;
}

bool ServerOn52(const WindowsFacts& f, std::uint16_t architecture) {
  return f.ServerType() && f.Major() == 5 && f.Minor() == 2 && f.architecture == architecture;
}

// Edition words of the extended record for every major version but 6. Server 5.2 on an architecture
// not listed here is worded by EditionWords itself, since its words carry the number.
constexpr Row kEditionRows[] = {
    {[](const WindowsFacts& f) { return f.Workstation() && f.Major() == 4; }, "Workstation"},
    {[](const WindowsFacts& f) {
       return f.Workstation() && f.Major() == 5 && f.Minor() == 2 && f.architecture == win::kProcessorArchitectureAmd64;
     },
     "Professional x64"},
    {[](const WindowsFacts& f) { return f.Workstation() && f.Major() == 5 && f.starter; }, "Starter"},
    {[](const WindowsFacts& f) { return f.Workstation() && f.Major() == 5 && f.mediaCenter; }, "Media Center"},
    {[](const WindowsFacts& f) { return f.Workstation() && f.Major() == 5 && f.tabletPc; }, "Tablet PC"},
    {[](const WindowsFacts& f) { return f.Workstation() && f.Major() == 5 && f.Has(kSuitePersonal); }, "Home"},
    {[](const WindowsFacts& f) { return f.Workstation() && f.Major() == 5 && f.Has(kSuiteEmbeddedNt); }, "Embedded"},
    {[](const WindowsFacts& f) { return f.Workstation() && f.Major() == 5; }, "Professional"},
    {[](const WindowsFacts& f) { return f.Workstation(); }, "Unknown Workstation"},
    {[](const WindowsFacts& f) { return f.ServerType() && f.Major() == 4 && f.Has(kSuiteEnterprise); },
     "Server 4.0 Enterprise"},
    {[](const WindowsFacts& f) { return f.ServerType() && f.Major() == 4; }, "Server 4.0"},
    {[](const WindowsFacts& f) {
       return f.ServerType() && f.Major() == 5 && f.Minor() == 0 && f.Has(kSuiteDatacenter);
     },
     "Datacenter Server"},
    {[](const WindowsFacts& f) {
       return f.ServerType() && f.Major() == 5 && f.Minor() == 0 && f.Has(kSuiteEnterprise);
     },
     "Advanced Server"},
    {[](const WindowsFacts& f) { return f.ServerType() && f.Major() == 5 && f.Minor() == 0; }, "Server"},
    {[](const WindowsFacts& f) {
       return ServerOn52(f, win::kProcessorArchitectureIntel) && f.Has(kSuiteComputeServer);
     },
     "Computer Cluster"},
    {[](const WindowsFacts& f) { return ServerOn52(f, win::kProcessorArchitectureIntel) && f.Has(kSuiteDatacenter); },
     "Datacenter"},
    {[](const WindowsFacts& f) { return ServerOn52(f, win::kProcessorArchitectureIntel) && f.Has(kSuiteEnterprise); },
     "Enterprise"},
    {[](const WindowsFacts& f) {
       return ServerOn52(f, win::kProcessorArchitectureIntel) && f.version.suiteMask == kSuiteBlade;
     },
     "Web"},
    {[](const WindowsFacts& f) { return ServerOn52(f, win::kProcessorArchitectureIntel); }, "Standard"},
    {[](const WindowsFacts& f) { return ServerOn52(f, win::kProcessorArchitectureIa64) && f.Has(kSuiteDatacenter); },
     "Datacenter for Itanium-based Systems"},
    {[](const WindowsFacts& f) { return ServerOn52(f, win::kProcessorArchitectureIa64) && f.Has(kSuiteEnterprise); },
     "Enterprise for Itanium-based Systems"},
    {[](const WindowsFacts& f) { return ServerOn52(f, win::kProcessorArchitectureIa64); }, "Standard Itanium-based"},
    {[](const WindowsFacts& f) { return ServerOn52(f, win::kProcessorArchitectureAmd64) && f.Has(kSuiteDatacenter); },
     "Datacenter x64"},
    {[](const WindowsFacts& f) { return ServerOn52(f, win::kProcessorArchitectureAmd64) && f.Has(kSuiteEnterprise); },
     "Enterprise x64"},
    {[](const WindowsFacts& f) { return ServerOn52(f, win::kProcessorArchitectureAmd64); }, "Standard x64"},
    {[](const WindowsFacts& f) {
       return f.version.productType == win::kVerNtServer && !(f.Major() == 5 && f.Minor() == 2);
     },
     "Unknown Server"},
    {[](const WindowsFacts& f) {
       return f.version.productType == win::kVerNtDomainController && !(f.Major() == 5 && f.Minor() == 2);
     },
     "Unknown Domain controller"},
    {[](const WindowsFacts& f) { return !f.ServerType(); }, "Unknown"},
};

std::string EditionWords(const WindowsFacts& facts) {
  std::string words = FirstMatch(kEditionRows, facts);
  if (words.empty()) {  // a 5.2 server type on an architecture the rows do not list
    words = "Unknown on Architecture 0x" + HexText(facts.architecture, 1, HexLetters::Upper);
  }
  return words;
}

std::string VersionNumbers(const WindowsFacts& facts, std::uint32_t minor) {
  return std::to_string(facts.Major()) + "." + std::to_string(minor) + "." + std::to_string(facts.Build());
}

/// The characters of text from start up to, not including, the first delimiter of the whole text;
/// empty when that delimiter does not lie after start.
std::string SliceToFirst(const std::string& text, std::size_t start, char delimiter) {
  const std::size_t end = text.find(delimiter);
  if (end == std::string::npos || end <= start) return {};
  return text.substr(start, end - start);
}

struct WordsFromVer {
  std::string versionWords;
  std::string versionText;
};

/// The version words and version text read from the output of "ver": by its markers first when
/// useMarkers is set, else (and when no marker is there) by the number before the first ".".
WordsFromVer ReadVerOutput(const std::string& out, bool workstation, bool useMarkers) {
  struct Marker {
    const char* text;
    const char* workstationWords;
    const char* serverWords;
  };
  static constexpr Marker kMarkers[] = {
      {" 6.2", "8 ", "Server 2012 "}, {" 6.3", "8.1 ", "Server 2012 R2 "}, {" 10", "10 ", "Server 10 "}};
  if (useMarkers) {
    for (const Marker& marker : kMarkers) {
      const std::size_t start = out.find(marker.text);
      if (start == std::string::npos) continue;
      return {workstation ? marker.workstationWords : marker.serverWords, SliceToFirst(out, start, ']')};
    }
  }
  // The number rule: the version starts one blank after the first "ion" (as in "Version 6.4.9841").
  const std::size_t ion = out.find("ion");
  const std::size_t start = ion == std::string::npos ? 3 : ion + 4;
  std::string words = workstation ? "" : "Server ";
  words += SliceToFirst(out, start, '.') + " ";
  return {words, SliceToFirst(out, start, ']')};
}

std::optional<WindowsFacts> TryGatherFacts(platform::Platform& platform) {
  WindowsFacts facts;
  if (auto extended = platform.machine.VersionFacts(platform::VersionRecord::Extended); extended.ok()) {
    facts.version = extended.value;
    facts.extended = true;
  } else if (auto plain = platform.machine.VersionFacts(platform::VersionRecord::Plain); plain.ok()) {
    facts.version = plain.value;
    facts.version.suiteMask = 0;  // the plain record has neither field
    facts.version.productType = 0;
  } else {
    return std::nullopt;
  }
  facts.architecture = platform.machine.GetProcessorArchitecture();
  facts.serverR2 = platform.machine.GetSystemMetrics(win::kSmServerR2) != 0;
  facts.starter = platform.machine.GetSystemMetrics(win::kSmStarter) != 0;
  facts.mediaCenter = platform.machine.GetSystemMetrics(win::kSmMediaCenter) != 0;
  facts.tabletPc = platform.machine.GetSystemMetrics(win::kSmTabletPc) != 0;
  return facts;
}

/// The product-name step: the registry's name replaces the words, then the processor's width is marked.
std::string ProductNameWords(platform::RegistryApi& registry, const WindowsFacts& facts, std::string windowsName) {
  // Always the 64-bit view with full access: the flag is not known yet, and 32-bit Windows ignores the view.
  const auto key =
      registry.OpenKey(platform::RootKey::LocalMachine, kCurrentVersionKey, platform::RegistryView::Bits64);
  if (key.ok()) {
    if (auto productName = key.value->ReadString("ProductName"); productName.ok()) {
      windowsName = std::move(productName.value);
    }
  }
  if (facts.architecture == win::kProcessorArchitectureAmd64) windowsName += " 64-bit";
  if (facts.architecture == win::kProcessorArchitectureIntel) windowsName += " 32-bit";
  return windowsName;
}

/// The product-options step for the plain record: the edition from the "ProductType" value, a REG_SZ
/// read into a buffer of kProductTypeBufferSize bytes.
std::string ProductOptionsWords(platform::RegistryApi& registry) {
  const auto key = registry.OpenKey(platform::RootKey::LocalMachine, kProductOptionsKey, platform::RegistryView::Bits32,
                                    platform::KeyRights::QueryValue);
  if (!key.ok()) return {};
  auto productType = key.value->ReadString("ProductType", platform::StringTypes::PlainOnly, kProductTypeBufferSize);
  if (!productType.ok()) return {};
  for (char& c : productType.value) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (productType.value == "WINNT") return "Workstation";
  if (productType.value == "LANMANNT") return "Server";
  if (productType.value == "SERVERNT") return "Advanced Server";
  return "Unknown";
}

std::string NtServicePack(platform::RegistryApi& registry, const WindowsFacts& facts) {
  if (facts.Major() == 4 && facts.version.csdVersion == "Service Pack 6") {
    // Service pack 6a is service pack 6 with this hotfix.
    if (registry
            .OpenKey(platform::RootKey::LocalMachine, kQ246009HotfixKey, platform::RegistryView::Bits32,
                     platform::KeyRights::QueryValue)
            .ok()) {
      return "Service Pack 6a";
    }
  }
  return facts.version.csdVersion;
}

void IdentifyNt(platform::Platform& platform, const WindowsFacts& facts, std::string& WindowsName,
                std::string& VersionText, std::string& ServicePackText) {
  const VersionWordsSource source = SourceOfVersionWords(facts);
  if (source == VersionWordsSource::Table) {
    WindowsName += FirstMatch(kNtVersionRows, facts);
  } else {
    const std::string out = RunConsoleCommand(platform, "ver");
    WordsFromVer read = ReadVerOutput(out, facts.Workstation(), source == VersionWordsSource::VerMarkers);
    WindowsName += read.versionWords;
    VersionText = read.versionText;
  }

  if (facts.extended && facts.Major() == 6) {
    WindowsName = ProductNameWords(platform.registry, facts, WindowsName);
  } else if (facts.extended) {
    WindowsName += EditionWords(facts);
  } else {
    WindowsName += ProductOptionsWords(platform.registry);
  }

  ServicePackText = NtServicePack(platform.registry, facts);
  if (VersionText.empty()) VersionText = VersionNumbers(facts, facts.Minor());
}

/// Blank: nothing left once the characters with codes 0 to 32 are taken off both ends.
bool IsBlank(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) > 32) return false;
  }
  return true;
}

}  // namespace

bool IdentifyWindows(platform::Platform& platform, std::string& WindowsName, std::string& VersionText,
                     std::string& ServicePackText) {
  WindowsName.clear();
  VersionText.clear();
  ServicePackText.clear();
  const std::optional<WindowsFacts> facts = TryGatherFacts(platform);
  if (!facts) return false;

  switch (facts->version.platformId) {
    case win::kVerPlatformWin32Windows:
      WindowsName =
          std::string("Microsoft Windows ") + (facts->Major() == 4 ? FirstMatch(kWindows9xRows, *facts) : "Unknown 9x");
      VersionText = VersionNumbers(*facts, facts->Minor() & 0xFF);
      ServicePackText = facts->version.csdVersion;
      return true;
    case win::kVerPlatformWin32Nt:
      WindowsName = "Microsoft Windows ";
      IdentifyNt(platform, *facts, WindowsName, VersionText, ServicePackText);
      return true;
    default:
      return false;
  }
}

WindowsName GetWindowsName(platform::Platform& platform, bool includeVersion) {
  std::string windowsName, versionText, servicePackText;
  if (!IdentifyWindows(platform, windowsName, versionText, servicePackText)) return {"unknown"};

  std::string result = windowsName;
  if (includeVersion && !IsBlank(versionText)) {
    result += " " + versionText;
    if (!IsBlank(servicePackText)) result += " " + servicePackText;
  } else if (!IsBlank(servicePackText)) {
    result += " " + servicePackText;
  }
  const bool isWindows64 = result.find(" 64") != std::string::npos;
  return {std::move(result), isWindows64};
}

}  // namespace velora
