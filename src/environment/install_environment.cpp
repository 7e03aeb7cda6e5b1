#include "environment/install_environment.h"

#include <optional>

#include "environment/failure.h"
#include "environment/fixed_error.h"
#include "environment/product_key.h"
#include "environment/session.h"

namespace velora {
namespace {

const std::string kShellFoldersKeyPath = std::string(kWindowsKeyPath) + "Explorer\\Shell Folders";
constexpr const char* kUninstallString = "UninstallString";

/// The folder of an uninstall command: everything up to the last "\" before its final character, which
/// is never examined. nullopt when there is no such "\".
std::optional<std::string> CutToFolder(const std::string& command) {
  if (command.size() < 2) return std::nullopt;
  const auto slash = command.rfind('\\', command.size() - 2);
  if (slash == std::string::npos) return std::nullopt;
  return command.substr(0, slash + 1);
}

/// "Software\X" becomes "Software\WOW6432Node\X": the 32-bit programs' view seen from the 64-bit one.
std::string WowPathOf(const std::string& path) {
  const auto slash = path.find('\\');
  if (slash == std::string::npos) return path;
  return path.substr(0, slash + 1) + "WOW6432Node\\" + path.substr(slash + 1);
}

bool IsNtPlatform(platform::SystemApi& system) {
  auto facts = system.VersionFacts(platform::VersionRecord::Extended);
  if (!facts) facts = system.VersionFacts(platform::VersionRecord::Plain);
  return facts && facts->platformId == win::kVerPlatformWin32Nt;
}

/// Reads the discovery's registry values through the one accessor, one key at a time.
class RegistryReader {
 public:
  explicit RegistryReader(RegistryAccessor& registry) : registry_(registry) {}

  /// Opens the key without creating it; a key that cannot be opened simply has no values.
  void Open(platform::RootKey root, const std::string& path) {
    registry_.SetRoot(root);
    registry_.OpenKey(path, /*create=*/false);
  }
  /// The string value into target when it exists; a value of another type throws Failure.
  bool ReadInto(const std::string& name, std::string& target) {
    if (!registry_.ValueExists(name)) return false;
    target = registry_.ReadString(name);
    return true;
  }

 private:
  RegistryAccessor& registry_;
};

/// The product folder from an uninstall entry, when the entry has a command with a folder in it.
std::optional<std::string> FolderFromUninstallEntry(RegistryReader& reader, const std::string& entryPath) {
  reader.Open(platform::RootKey::LocalMachine, entryPath);
  std::string command;
  if (!reader.ReadInto(kUninstallString, command)) return std::nullopt;
  return CutToFolder(command);
}

void FindFolders(Session& session, RegistryReader& reader, std::string& programFiles) {
  InstallEnvironment& environment = session.Environment;
  platform::SystemApi& system = session.platform.system;
  environment.CommonProgramsFolder.clear();
  environment.SystemFolder = system.SystemDirectory();
  AddBackslash(environment.SystemFolder);
  environment.WindowsFolder = system.WindowsDirectory();
  AddBackslash(environment.WindowsFolder);

  reader.Open(platform::RootKey::LocalMachine, kWindowsKeyPath);
  reader.ReadInto("ProgramFilesDir", programFiles);
  AddBackslash(programFiles);

  environment.IsAdmin = system.IsUserAnAdmin();
  environment.TempFolder = system.EnvironmentVariable("Temp").value_or("");
  AddBackslash(environment.TempFolder);

  reader.Open(platform::RootKey::LocalMachine, kShellFoldersKeyPath);
  reader.ReadInto("Common Desktop", environment.CommonDesktopFolder);
  AddBackslash(environment.CommonDesktopFolder);
  if (IsNtPlatform(system)) {
    reader.ReadInto("Common Programs", environment.CommonProgramsFolder);
    AddBackslash(environment.CommonProgramsFolder);
  }

  reader.Open(platform::RootKey::CurrentUser, kShellFoldersKeyPath);
  for (auto [name, folder] : {std::pair{"Programs", &environment.UserProgramsFolder},
                              std::pair{"Desktop", &environment.UserDesktopFolder},
                              std::pair{"Startup", &environment.UserStartupFolder}}) {
    reader.ReadInto(name, *folder);
    AddBackslash(*folder);
  }
}

void NameGroupFolders(Session& session) {
  InstallEnvironment& environment = session.Environment;
  const StartupState& startup = session.Startup;
  if (environment.CommonProgramsFolder.size() < 2) environment.CommonProgramsFolder = environment.UserProgramsFolder;
  environment.ProgramGroupFolderAlt = environment.CommonProgramsFolder + startup.ProgName + "\\";
  environment.ProgramGroupFolder = environment.CommonProgramsFolder + startup.EnglishProgName + "\\";
  environment.UserGroupFolderRu = environment.UserProgramsFolder + startup.ProgName + "\\";
  environment.UserGroupFolderEn = environment.UserProgramsFolder + startup.EnglishProgName + "\\";
  if (startup.UseRussian) std::swap(environment.ProgramGroupFolder, environment.ProgramGroupFolderAlt);
}

void FindProductFolder(Session& session, RegistryReader& reader, const std::string& programFiles) {
  InstallEnvironment& environment = session.Environment;
  const std::string& appName = session.Startup.AppName;
  environment.ProductFolder = programFiles + appName;
  environment.UninstallKeyPathWow.clear();
  if (auto folder = FolderFromUninstallEntry(reader, environment.UninstallKeyPath + appName)) {
    environment.ProductFolder = *folder;
  } else {
    // Only a 32-bit installer's entry: it lives in the 32-bit programs' view.
    const std::string wowEntry = WowPathOf(environment.UninstallKeyPath) + appName;
    if (auto wowFolder = FolderFromUninstallEntry(reader, wowEntry)) {
      environment.ProductFolder = *wowFolder;
      environment.UninstallKeyPathWow = wowEntry;
    }
  }
  AddBackslash(environment.ProductFolder);
}

}  // namespace

bool DiscoverEnvironment(Session& session) {
  RegistryAccessor& registry = session.Startup.Registry;
  OpenKeyScope closeKey(registry);
  RegistryReader reader(registry);
  try {
    std::string programFiles;
    FindFolders(session, reader, programFiles);
    session.Environment.UninstallKeyPath = std::string(kWindowsKeyPath) + "Uninstall\\";
    session.Environment.ProductKeyPath = kVendorKeyPath + session.Startup.AppName + "\\";
    NameGroupFolders(session);
    FindProductFolder(session, reader, programFiles);
    return true;
  } catch (const Failure&) {
    registry.CloseKey();
    ShowFixedError(session, "No access to system registry", "Нет доступа к системному реестру");
    return false;
  }
}

}  // namespace velora
