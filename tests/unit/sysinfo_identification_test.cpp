// Windows identification over scripted version facts: every row of the edition tables, the product
// name and product options from the registry, the "ver" output, and the name line that decides the
// 64-bit registry view.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/fake_windows.h"
#include "sysinfo/windows_identification.h"
#include "sysinfo_fake_interpreter.h"

namespace velora {
namespace {

using platform::OsVersionInfo;
using platform::RootKey;

constexpr const char* kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kProductOptionsKey = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr const char* kHotfixKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";

constexpr std::uint16_t kIntel = 0, kIa64 = 6, kAmd64 = 9;
constexpr std::uint8_t kWorkstation = 1, kDomainController = 2, kServer = 3;

struct Identified {
  bool ok;
  std::string windowsName, versionText, servicePackText;
};

Identified Identify(fakes::FakeWindows& fake) {
  Identified result{};
  result.ok = IdentifyWindows(fake.platform, result.windowsName, result.versionText, result.servicePackText);
  return result;
}

struct EditionCase {
  const char* label;
  OsVersionInfo version;
  std::uint16_t architecture;
  std::string expectedName;
  int metric = 0;  ///< a GetSystemMetrics index that reports true
};

void ExpectNames(const std::vector<EditionCase>& cases) {
  for (const EditionCase& c : cases) {
    SCOPED_TRACE(c.label);
    fakes::FakeWindows fake;
    fake.machine.extendedVersion = c.version;
    fake.machine.processorArchitecture = c.architecture;
    if (c.metric != 0) fake.machine.metrics[c.metric] = 1;
    const Identified identified = Identify(fake);
    EXPECT_TRUE(identified.ok);
    EXPECT_EQ(identified.windowsName, c.expectedName);
  }
}

// A Windows 9x version record: major version 4, platform 1 (VER_PLATFORM_WIN32_WINDOWS).
OsVersionInfo Win9x(std::uint32_t minor, std::uint32_t build, const char* csd) {
  return OsVersionInfo{4, minor, build, 1, csd, 0, 0};
}

// One row per row of the 9x table, alternating minor versions 0 and 3, and the values just past the
// conditions that are ranges or read only part of a field.
TEST(IdentifyWindows, Windows9xRowsByMinorVersionBuildAndCsdLetter) {
  ExpectNames({
      {"95 OSR 2.0", Win9x(3, 1111, ""), kIntel, "Microsoft Windows 95 OSR 2.0"},
      {"95 OSR 2.1 by 1212", Win9x(0, 1212, ""), kIntel, "Microsoft Windows 95 OSR 2.1"},
      {"95 OSR 2.1 by 1213", Win9x(3, 1213, ""), kIntel, "Microsoft Windows 95 OSR 2.1"},
      {"95 OSR 2.5", Win9x(0, 1214, " C"), kIntel, "Microsoft Windows 95 OSR 2.5"},
      {"1214 without C", Win9x(3, 1214, " B"), kIntel, "Microsoft Windows 95 OSR 2.1"},
      {"95 OSR 2.x above 1080", Win9x(3, 1081, ""), kIntel, "Microsoft Windows 95 OSR 2.x"},
      {"1080 is not above 1080", Win9x(0, 1080, ""), kIntel, "Microsoft Windows 95"},
      {"95 OSR 1 by A", Win9x(0, 950, " A"), kIntel, "Microsoft Windows 95 OSR 1"},
      {"95 OSR 1 by W", Win9x(3, 950, " W"), kIntel, "Microsoft Windows 95 OSR 1"},
      {"95, build in the low 16 bits", Win9x(0, 0x040003B6, ""), kIntel, "Microsoft Windows 95"},
      {"98 SE by build", Win9x(10, 2222, ""), kIntel, "Microsoft Windows 98 SE"},
      {"98 SE by A", Win9x(10, 1998, " A"), kIntel, "Microsoft Windows 98 SE"},
      {"98 SE by B", Win9x(10, 1998, " B"), kIntel, "Microsoft Windows 98 SE"},
      {"98: 2222 only in the low 16 bits", Win9x(10, 0x040A08AE, ""), kIntel, "Microsoft Windows 98"},
      {"Millennium", Win9x(90, 3000, ""), kIntel, "Microsoft Windows Millennium"},
      {"minor 2", Win9x(2, 1214, " A"), kIntel, "Microsoft Windows Unknown 9x"},
      {"minor 4", Win9x(4, 1111, ""), kIntel, "Microsoft Windows Unknown 9x"},
      {"minor 11", Win9x(11, 2222, ""), kIntel, "Microsoft Windows Unknown 9x"},
      {"minor 91", Win9x(91, 3000, ""), kIntel, "Microsoft Windows Unknown 9x"},
      {"unknown major", OsVersionInfo{5, 0, 0, 1, "", 0, 0}, kIntel, "Microsoft Windows Unknown 9x"},
  });
}

TEST(IdentifyWindows, NtRowsAtTheOtherSideOfTheirConditions) {
  auto nt = [](std::uint32_t major, std::uint32_t minor, std::uint8_t type, std::uint16_t suite = 0) {
    return OsVersionInfo{major, minor, 100, 2, "", suite, type};
  };
  ExpectNames({
      {"NT 3.51 server", nt(3, 51, kServer), kIntel, "Microsoft Windows NT Unknown Server"},
      {"NT 4 enterprise domain controller", nt(4, 0, kDomainController, 0x0002), kIntel,
       "Microsoft Windows NT Server 4.0 Enterprise"},
      {"2000 datacenter domain controller", nt(5, 0, kDomainController, 0x0080), kIntel,
       "Microsoft Windows 2000 Datacenter Server"},
      {"2000 workstation with server suites", nt(5, 0, kWorkstation, 0x0082), kIntel,
       "Microsoft Windows 2000 Professional"},
      {"XP Home by the personal bit among others", nt(5, 1, kWorkstation, 0x0202), kIntel, "Microsoft Windows XP Home"},
      {"Storage with another bit is Enterprise", OsVersionInfo{5, 2, 3790, 2, "", 0x2002, kServer}, kIntel,
       "Microsoft Windows Server 2003 Enterprise"},
      {"5.2 workstation on Intel", OsVersionInfo{5, 2, 3790, 2, "", 0, kWorkstation}, kIntel,
       "Microsoft Windows Server 2003 Professional"},
      {"5.2 workstation on Itanium", OsVersionInfo{5, 2, 3790, 2, "", 0, kWorkstation}, kIa64,
       "Microsoft Windows Server 2003 Professional"},
      {"4.1 server", nt(4, 1, kServer), kIntel, "Microsoft Windows NT Server 4.0"},
  });
}

TEST(IdentifyWindows, Windows9xVersionTextUsesTheLow8BitsOfTheMinorAndTheCsdAsServicePack) {
  fakes::FakeWindows fake;
  fake.machine.extendedVersion = OsVersionInfo{4, 0x10A, 0x040A08AE, 1, " A ", 0x200, 1};
  const Identified identified = Identify(fake);
  EXPECT_EQ(identified.versionText, "4.10.2222");
  EXPECT_EQ(identified.servicePackText, " A ");
  EXPECT_TRUE(fake.registry.Opens().empty());
}

TEST(IdentifyWindows, NtVersionAndEditionRowsOfTheExtendedRecord) {
  auto nt = [](std::uint32_t major, std::uint32_t minor, std::uint8_t type, std::uint16_t suite = 0) {
    return OsVersionInfo{major, minor, 100, 2, "", suite, type};
  };
  ExpectNames({
      {"NT 4 workstation", nt(4, 0, kWorkstation), kIntel, "Microsoft Windows NT Workstation"},
      {"NT 4 enterprise", nt(4, 0, kServer, 0x0002), kIntel, "Microsoft Windows NT Server 4.0 Enterprise"},
      {"2000 Datacenter", nt(5, 0, kServer, 0x0082), kIntel, "Microsoft Windows 2000 Datacenter Server"},
      {"2000 Advanced", nt(5, 0, kServer, 0x0002), kIntel, "Microsoft Windows 2000 Advanced Server"},
      {"XP Starter", nt(5, 1, kWorkstation, 0x0200), kIntel, "Microsoft Windows XP Starter", 88},
      {"XP Home", nt(5, 1, kWorkstation, 0x0240), kIntel, "Microsoft Windows XP Home"},
      {"XP Embedded", nt(5, 1, kWorkstation, 0x0040), kIntel, "Microsoft Windows XP Embedded"},
      {"XP Professional", nt(5, 1, kWorkstation), kIntel, "Microsoft Windows XP Professional"},
      {"XP server type", nt(5, 1, kServer), kIntel, "Microsoft Windows XP Unknown Server"},
      {"XP other product type", nt(5, 1, 0), kIntel, "Microsoft Windows XP Unknown"},
      {"5.3", nt(5, 3, kWorkstation), kIntel, "Microsoft Windows Unknown version Professional"},
      {"10.0 server", nt(10, 0, kServer), kAmd64, "Microsoft Windows Server 2016 Unknown Server"},
      {"10.1 workstation", nt(10, 1, kWorkstation), kAmd64, "Microsoft Windows Unknown Workstation"},
  });
}

TEST(IdentifyWindows, Version52RowsBySuiteArchitectureAndR2Metric) {
  auto v52 = [](std::uint8_t type, std::uint16_t suite) { return OsVersionInfo{5, 2, 3790, 2, "", suite, type}; };
  ExpectNames({
      {"XP x64", v52(kWorkstation, 0), kAmd64, "Microsoft Windows XP Professional x64"},
      {"R2", v52(kServer, 0), kIntel, "Microsoft Windows Server 2003 R2 Standard", 89},
      {"Storage", v52(kServer, 0x2000), kIntel, "Microsoft Windows Storage Server 2003Standard"},
      {"Enterprise", v52(kDomainController, 0x0002), kIntel, "Microsoft Windows Server 2003 Enterprise"},
      {"Datacenter", v52(kServer, 0x0080), kIntel, "Microsoft Windows Server 2003 Datacenter"},
      {"Web", v52(kServer, 0x0400), kIntel, "Microsoft Windows Server 2003 Web"},
      {"Blade with more bits is not Web", v52(kServer, 0x0410), kIntel, "Microsoft Windows Server 2003 Standard"},
      {"Itanium datacenter", v52(kServer, 0x0080), kIa64,
       "Microsoft Windows Server 2003 Datacenter for Itanium-based Systems"},
      {"Itanium standard", v52(kServer, 0), kIa64, "Microsoft Windows Server 2003 Standard Itanium-based"},
      {"x64 datacenter", v52(kServer, 0x0080), kAmd64, "Microsoft Windows Server 2003 Datacenter x64"},
      {"x64 standard", v52(kServer, 0), kAmd64, "Microsoft Windows Server 2003 Standard x64"},
      {"unlisted architecture", v52(kServer, 0), 0x1A, "Microsoft Windows Server 2003 Unknown on Architecture 0x1A"},
  });
}

TEST(IdentifyWindows, Version6RowsWithoutAProductNameKeepTheWordsAndMarkTheWidth) {
  auto v6 = [](std::uint32_t minor, std::uint8_t type) { return OsVersionInfo{6, minor, 6000, 2, "", 0, type}; };
  ExpectNames({
      {"Vista", v6(0, kWorkstation), kIntel, "Microsoft Windows Vista  32-bit"},
      {"Server 2008", v6(0, kServer), kAmd64, "Microsoft Windows Server 2008  64-bit"},
      {"7", v6(1, kWorkstation), kAmd64, "Microsoft Windows 7  64-bit"},
      {"Server 2008 R2", v6(1, kDomainController), kAmd64, "Microsoft Windows Server 2008 R2  64-bit"},
      {"8.1", v6(3, kWorkstation), kIntel, "Microsoft Windows 8.1  32-bit"},
      {"Server 2012 R2", v6(3, kServer), kIntel, "Microsoft Windows Server 2012 R2  32-bit"},
      {"6.4", v6(4, kWorkstation), kIntel, "Microsoft Windows  32-bit"},
      {"Itanium gets no mark", v6(1, kWorkstation), kIa64, "Microsoft Windows 7 "},
  });
}

TEST(IdentifyWindows, ProductNameComesFromThe64BitViewWithFullAccessWithoutCreating) {
  fakes::FakeWindows fake;  // Windows 7 SP1 on AMD64
  fake.registry.SetString(RootKey::LocalMachine, kCurrentVersionKey, "ProductName", "Windows 7 Professional");
  fake.registry.SetString(RootKey::LocalMachine, "SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion",
                          "ProductName", "the 32-bit view");
  EXPECT_EQ(Identify(fake).windowsName, "Windows 7 Professional 64-bit");
  ASSERT_EQ(fake.registry.Opens().size(), 1u);
  EXPECT_EQ(fake.registry.Opens()[0].access, 0x000F013Fu);
  EXPECT_FALSE(fake.registry.Opens()[0].create);
  EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
}

TEST(IdentifyWindows, ProductNameOfAnotherTypeLeavesTheWords) {
  fakes::FakeWindows fake;
  fake.registry.SetDword(RootKey::LocalMachine, kCurrentVersionKey, "ProductName", 7);
  EXPECT_EQ(Identify(fake).windowsName, "Microsoft Windows 7  64-bit");
}

TEST(IdentifyWindows, ThePlainRecordTakesTheEditionFromProductOptions) {
  struct Case {
    std::uint32_t type;
    std::string value;
    std::string expectedName;
  };
  const std::string padded(300, 'W');
  const std::vector<Case> cases = {
      {1, std::string("WinNT\0junk", 10), "Microsoft Windows NT Workstation"},
      {1, "LanmanNT", "Microsoft Windows NT Server"},
      {1, "ServerNT", "Microsoft Windows NT Advanced Server"},
      {1, "Terminal", "Microsoft Windows NT Unknown"},
      {2, "WinNT", "Microsoft Windows NT "},  // REG_EXPAND_SZ
      {1, padded, "Microsoft Windows NT "},   // longer than the 256-byte buffer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    fakes::FakeWindows fake;
    fake.machine.extendedVersion.reset();
    fake.machine.plainVersion = OsVersionInfo{4, 0, 1381, 2, "Service Pack 3", 0, 0};
    fake.registry.SetValue(RootKey::LocalMachine, kProductOptionsKey, "ProductType", c.type, c.value);
    const Identified identified = Identify(fake);
    EXPECT_TRUE(identified.ok);
    EXPECT_EQ(identified.windowsName, c.expectedName);
    EXPECT_EQ(identified.versionText, "4.0.1381");
    ASSERT_FALSE(fake.registry.Opens().empty());
    EXPECT_EQ(fake.registry.Opens()[0].access, 0x0001u);
    EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
  }
}

TEST(IdentifyWindows, NtServicePack6WithTheQ246009HotfixIsServicePack6a) {
  struct Case {
    std::string csd;
    bool hotfix;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{{"Service Pack 6", true, "Service Pack 6a"},
                                         {"Service Pack 6", false, "Service Pack 6"},
                                         {"Service Pack 5", true, "Service Pack 5"}}) {
    SCOPED_TRACE(c.csd + (c.hotfix ? " with hotfix" : ""));
    fakes::FakeWindows fake;
    fake.registry.windows64 = false;
    fake.machine.extendedVersion = OsVersionInfo{4, 0, 1381, 2, c.csd, 0, kWorkstation};
    fake.machine.processorArchitecture = kIntel;
    if (c.hotfix) fake.registry.AddKey(RootKey::LocalMachine, kHotfixKey);
    EXPECT_EQ(Identify(fake).servicePackText, c.expected);
    EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
  }
}

TEST(IdentifyWindows, NoVersionRecordOrAnUnknownPlatformFails) {
  fakes::FakeWindows noRecord;
  noRecord.machine.extendedVersion.reset();
  noRecord.machine.plainVersion.reset();
  EXPECT_FALSE(Identify(noRecord).ok);

  fakes::FakeWindows win32s;
  win32s.machine.extendedVersion = OsVersionInfo{3, 10, 0, 0, "", 0, 0};
  const Identified identified = Identify(win32s);
  EXPECT_FALSE(identified.ok);
}

struct VerCase {
  const char* label;
  std::uint32_t major, minor;
  std::uint8_t productType;
  std::string out;
  std::string expectedName;
  std::string expectedVersionText;
};

TEST(IdentifyWindows, Version62AndUnlistedMajorsReadTheOutputOfVer) {
  const std::vector<VerCase> cases = {
      {"8", 6, 2, kWorkstation, "\r\nMicrosoft Windows [Version 6.2.9200]\r\n", "Microsoft Windows 8  64-bit",
       " 6.2.9200"},
      {"Server 2012", 6, 2, kServer, "Microsoft Windows [Version 6.2.9200]", "Microsoft Windows Server 2012  64-bit",
       " 6.2.9200"},
      {"8.1", 6, 2, kWorkstation, "Microsoft Windows [Version 6.3.9600]", "Microsoft Windows 8.1  64-bit", " 6.3.9600"},
      {"Server 2012 R2", 6, 2, kServer, "[Version 6.3.9600]", "Microsoft Windows Server 2012 R2  64-bit", " 6.3.9600"},
      {"10", 6, 2, kWorkstation, "\r\nMicrosoft Windows [Version 10.0.19045.3570]\r\n", "Microsoft Windows 10  64-bit",
       " 10.0.19045.3570"},
      {"Server 10", 6, 2, kServer, "[Version 10.0.17763]", "Microsoft Windows Server 10  64-bit", " 10.0.17763"},
      {"10 without brackets", 6, 2, kWorkstation, "\r\nMicrosoft Windows 10.0.18362\r\n",
       "Microsoft Windows 10  64-bit", "6.2.9200"},
      {"number rule on 6.2", 6, 2, kWorkstation, "Microsoft Windows [Version 6.4.9841]", "Microsoft Windows 6  64-bit",
       "6.4.9841"},
      {"number rule on major 11", 11, 0, kWorkstation, "Microsoft Windows [Version 11.0.1]",
       "Microsoft Windows 11 Unknown Workstation", "11.0.1"},
      {"number rule on a server", 7, 0, kServer, "Version 7.0.5]", "Microsoft Windows Server 7 Unknown Server",
       "7.0.5"},
      {"no ion, no dot", 2, 0, kWorkstation, "garbage", "Microsoft Windows  Unknown Workstation", "2.0.9200"},
  };
  for (const VerCase& c : cases) {
    SCOPED_TRACE(c.label);
    fakes::FakeWindows fake;
    fake.machine.extendedVersion = OsVersionInfo{c.major, c.minor, 9200, 2, "", 0x100, c.productType};
    fakes::InterpreterPrints(fake, c.out);
    const Identified identified = Identify(fake);
    EXPECT_EQ(identified.windowsName, c.expectedName);
    EXPECT_EQ(identified.versionText, c.expectedVersionText);
    ASSERT_EQ(fake.processes.processCommandLines.size(), 1u);
    EXPECT_EQ(fake.processes.processCommandLines[0], std::string("\"") + fakes::kSystemInterpreter + "\" /d /c ver");
  }
}

TEST(IdentifyWindows, AFailedVerLeavesOnlyABlankAndTheVersionFromTheRecord) {
  fakes::FakeWindows fake;  // the interpreter prints nothing
  fake.machine.extendedVersion = OsVersionInfo{6, 2, 9200, 2, "", 0x110, kServer};
  const Identified identified = Identify(fake);
  EXPECT_EQ(identified.windowsName, "Microsoft Windows Server   64-bit");
  EXPECT_EQ(identified.versionText, "6.2.9200");
}

std::string NameOf(fakes::FakeWindows& fake, bool includeVersion, bool& isWindows64) {
  WindowsName name = GetWindowsName(fake.platform, includeVersion);
  isWindows64 = name.isWindows64;
  return name.text;
}

TEST(GetWindowsName, Windows7Sp1On64BitIsTheProductNameWithMarkAndServicePack) {
  fakes::FakeWindows fake;
  fake.registry.SetString(RootKey::LocalMachine, kCurrentVersionKey, "ProductName", "Windows 7 Ultimate");
  bool isWindows64 = false;
  EXPECT_EQ(NameOf(fake, false, isWindows64), "Windows 7 Ultimate 64-bit Service Pack 1");
  EXPECT_TRUE(isWindows64);
  EXPECT_EQ(NameOf(fake, true, isWindows64), "Windows 7 Ultimate 64-bit 6.1.7601 Service Pack 1");
}

TEST(GetWindowsName, WithoutAccessToTheCurrentVersionKeyTwoBlanksStandBeforeTheMark) {
  fakes::FakeWindows fake;
  fake.registry.DenyKey(RootKey::LocalMachine, kCurrentVersionKey, 5);
  fake.machine.extendedVersion->csdVersion = "";
  bool isWindows64 = false;
  EXPECT_EQ(NameOf(fake, false, isWindows64), "Microsoft Windows 7  64-bit");
  EXPECT_TRUE(isWindows64);
}

TEST(GetWindowsName, ThirtyTwoBitWindows10ThroughVerIsNot64Bit) {
  fakes::FakeWindows fake;
  fake.machine.extendedVersion = OsVersionInfo{6, 2, 9200, 2, "", 0x300, kWorkstation};
  fake.machine.processorArchitecture = kIntel;
  fake.registry.SetString(RootKey::LocalMachine, kCurrentVersionKey, "ProductName", "Windows 10 Home");
  fakes::InterpreterPrints(fake, "\r\nMicrosoft Windows [Version 10.0.19045.3570]\r\n");
  bool isWindows64 = true;
  EXPECT_EQ(NameOf(fake, false, isWindows64), "Windows 10 Home 32-bit");
  EXPECT_FALSE(isWindows64);
  // The version text keeps the blank before its number.
  EXPECT_EQ(NameOf(fake, true, isWindows64), "Windows 10 Home 32-bit  10.0.19045.3570");
}

TEST(GetWindowsName, NamesWithout64AreNot64BitWindows) {
  struct Case {
    OsVersionInfo version;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{5, 2, 3790, 2, "Service Pack 2", 0, kWorkstation}, "Microsoft Windows XP Professional x64 Service Pack 2"},
      {{10, 0, 19045, 2, "", 0x100, kWorkstation}, "Microsoft Windows 10 Unknown Workstation"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    fakes::FakeWindows fake;
    fake.machine.extendedVersion = c.version;
    bool isWindows64 = true;
    EXPECT_EQ(NameOf(fake, false, isWindows64), c.expected);
    EXPECT_FALSE(isWindows64);
  }
}

TEST(GetWindowsName, BlankTextsAreLeftOutButJoinedUntrimmed) {
  fakes::FakeWindows fake;
  fake.machine.extendedVersion = OsVersionInfo{5, 1, 2600, 2, " \t ", 0, kWorkstation};
  bool isWindows64 = false;
  EXPECT_EQ(NameOf(fake, true, isWindows64), "Microsoft Windows XP Professional 5.1.2600");
  fake.machine.extendedVersion->csdVersion = " SP3 ";
  EXPECT_EQ(NameOf(fake, false, isWindows64), "Microsoft Windows XP Professional  SP3 ");
}

TEST(GetWindowsName, FailedIdentificationIsUnknownAndNot64Bit) {
  fakes::FakeWindows fake;
  fake.machine.extendedVersion.reset();
  fake.machine.plainVersion.reset();
  bool isWindows64 = true;
  EXPECT_EQ(NameOf(fake, true, isWindows64), "unknown");
  EXPECT_FALSE(isWindows64);
}

}  // namespace
}  // namespace velora
