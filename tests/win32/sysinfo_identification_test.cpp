// Windows identification and console capture over the real adapters in the 64-bit Wine prefix: the
// start-up opens keys in the 64-bit view, a missing or unset interpreter, and (in the copy
// of this program that Wine runs as Windows 10) the "ver" path with no temporary file left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "driver/session.h"
#include "platform/win32/files.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "sysinfo/console_command.h"
#include "sysinfo/windows_identification.h"
#include "win32/win32_test_support.h"

namespace velora {
namespace {

constexpr const char* kTestKey = "Software\\VeloraSysinfoTest";
// Set by the CTest entry that runs this program with Wine's Windows version set to Windows 10.
constexpr const char* kExpectWindows62Variable = "VELORA_EXPECT_WINDOWS_6_2";

/// The real processes adapter, except that the command lines of started processes are recorded.
class ProcessRecordingProcesses final : public win32::Win32Processes {
 public:
  std::vector<std::string> commandLines;

  platform::WinResult<std::string> RunProcessCapturingOutput(const std::string& commandLine,
                                                             std::uint32_t creationFlags, int showWindow,
                                                             std::size_t maxBytes) override {
    commandLines.push_back(commandLine);
    return Win32Processes::RunProcessCapturingOutput(commandLine, creationFlags, showWindow, maxBytes);
  }
};

/// Sets (or, with nullopt, removes) an environment variable of this process and restores it afterwards.
class EnvironmentOverride {
 public:
  EnvironmentOverride(const char* name, std::optional<std::string> value) : name_(name) {
    char buffer[32768];
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer) saved_ = std::string(buffer, length);
    SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
  }
  ~EnvironmentOverride() { SetEnvironmentVariableA(name_, saved_ ? saved_->c_str() : nullptr); }
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

std::string TempFolder() {
  char buffer[MAX_PATH] = {};
  GetEnvironmentVariableA("Temp", buffer, sizeof buffer);
  std::string folder = buffer;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

/// The names in %Temp% that look like the capture's temporary files: 8 lower-case letters.
std::set<std::string> TempFileCandidates() {
  std::set<std::string> names;
  WIN32_FIND_DATAA entry{};
  HANDLE find = FindFirstFileA((TempFolder() + "????????").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = entry.cFileName;
    bool letters = name.size() == 8;
    for (char c : name) letters = letters && c >= 'a' && c <= 'z';
    if (letters) names.insert(name);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return names;
}

bool RunsAsWindows62() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwMajorVersion == 6 && info.dwMinorVersion == 2;
}

class SysinfoOnWine : public ::testing::Test {
 protected:
  wine_tests::RealWindows<win32::Win32Files, ProcessRecordingProcesses> real_;
};

TEST_F(SysinfoOnWine, StartUpInThe64BitPrefixReadsThe64BitRegistryView) {
  if (RunsAsWindows62()) GTEST_SKIP() << "the default prefix reports Windows 7";
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_32KEY, /*Reserved=*/0);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, /*Reserved=*/0, /*lpClass=*/nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS | KEY_WOW64_64KEY, /*lpSecurityAttributes=*/nullptr, &key,
                            /*lpdwDisposition=*/nullptr),
            ERROR_SUCCESS);
  const char marker[] = "written in the 64-bit view";
  RegSetValueExA(key, "Marker", /*Reserved=*/0, REG_SZ, reinterpret_cast<const BYTE*>(marker), sizeof marker);
  RegCloseKey(key);

  Session session(real_.platform, {});
  EXPECT_EQ(session.Startup.RegistryView, platform::RegistryView::Bits64);
  {
    const auto opened = real_.registry.OpenKey(platform::RootKey::LocalMachine, kTestKey, session.Startup.RegistryView);
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(opened.value->ReadString("Marker").value, marker);
  }

  // The 32-bit view (where a 32-bit program's plain open is redirected, to WOW6432Node) does not see it.
  HKEY plain = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestKey, /*ulOptions=*/0, KEY_READ | KEY_WOW64_32KEY, &plain),
            ERROR_FILE_NOT_FOUND);
  if (plain != nullptr) RegCloseKey(plain);
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_64KEY, /*Reserved=*/0);
}

TEST_F(SysinfoOnWine, TheDefaultPrefixIsNamedAs64BitWindows7WithoutRunningVer) {
  if (RunsAsWindows62()) GTEST_SKIP() << "the default prefix reports Windows 7";
  const WindowsName windows = GetWindowsName(real_.platform, /*includeVersion=*/true);
  const std::string& name = windows.text;
  EXPECT_TRUE(windows.isWindows64);
  EXPECT_NE(name.find(" 64-bit 6.1.7601"), std::string::npos) << name;
  EXPECT_TRUE(real_.processes.commandLines.empty());
}

// The user's environment names no program for the elevated updater: with "ComSpec" set to another
// program or unset, the system folder's cmd.exe runs, with /d, its output read from a pipe: no file.
TEST_F(SysinfoOnWine, AComSpecOfTheUsersChoiceIsNeverRun) {
  const std::string commandLine = "\"" + real_.machine.SystemDirectory().value + "\\cmd.exe\" /d /c ver";
  for (const std::optional<std::string>& value :
       {std::optional<std::string>("C:\\windows\\system32\\no-such-interpreter.exe"), std::optional<std::string>()}) {
    EnvironmentOverride comSpec("ComSpec", value);
    const std::set<std::string> before = TempFileCandidates();
    real_.processes.commandLines.clear();
    EXPECT_EQ(RunConsoleCommand(real_.platform, "ver").rfind("\r\nMicrosoft Windows ", 0), 0u);
    ASSERT_EQ(real_.processes.commandLines.size(), 1u);
    EXPECT_EQ(real_.processes.commandLines[0], commandLine);
    EXPECT_EQ(TempFileCandidates(), before);
  }
}

TEST_F(SysinfoOnWine, TheRealInterpreterPrintsTheVersionLineAfterAnEmptyOne) {
  const std::string out = RunConsoleCommand(real_.platform, "ver");
  EXPECT_EQ(out.rfind("\r\nMicrosoft Windows ", 0), 0u) << out;
  EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
}

// Runs in the copy of this program that Wine reports Windows 10 to (as 6.2, for want of a manifest
// entry); skipped elsewhere.
TEST_F(SysinfoOnWine, Windows10ReportedAs62IsNamedThroughVerAnd64Bit) {
  if (!RunsAsWindows62()) {
    if (std::getenv(kExpectWindows62Variable) != nullptr) FAIL() << "Wine does not report Windows 6.2 here";
    GTEST_SKIP() << "needs Wine's Windows version set to Windows 10";
  }
  const std::set<std::string> before = TempFileCandidates();
  std::string windowsName, versionText, servicePackText;
  ASSERT_TRUE(IdentifyWindows(real_.platform, windowsName, versionText, servicePackText));
  ASSERT_EQ(real_.processes.commandLines.size(), 1u);
  EXPECT_EQ(real_.processes.commandLines[0], "\"" + real_.machine.SystemDirectory().value + "\\cmd.exe\" /d /c ver");
  EXPECT_NE(windowsName.find(" 64-bit"), std::string::npos) << windowsName;

  EXPECT_TRUE(GetWindowsName(real_.platform, /*includeVersion=*/false).isWindows64);
  EXPECT_NE(RunConsoleCommand(real_.platform, "ver").find(" 10.0"), std::string::npos);
  EXPECT_EQ(TempFileCandidates(), before);
}

}  // namespace
}  // namespace velora
