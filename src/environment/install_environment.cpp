#include "environment/install_environment.h"

#include <optional>

#include "base/path_rule.h"
#include "environment/message_box.h"
#include "environment/product_key.h"

namespace velora {
namespace {

const std::string kShellFoldersKeyPath = std::string(kWindowsKeyPath) + "Explorer\\Shell Folders";
constexpr const char* kUninstallString = "UninstallString";

/// The folder of an uninstall command: everything up to the last "\" before its final character, which
/// is never examined. A command that starts with a quotation mark is cut within the quoted part, so
/// neither the mark nor the arguments after it become part of the folder. nullopt when there is no "\".
std::optional<std::string> CutToFolder(const std::string& command) {
  if (!command.empty() && command.front() == '"') return CutToFolder(command.substr(1, command.find('"', 1) - 1));
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
  if (!facts.ok()) facts = system.VersionFacts(platform::VersionRecord::Plain);
  return facts.ok() && facts.value.platformId == win::kVerPlatformWin32Nt;
}

/// Reads the discovery's registry values through the one accessor, one key at a time.
class RegistryReader {
 public:
  explicit RegistryReader(RegistryAccessor& registry) : registry_(registry) {}

  /// Opens the key without creating it; a key that cannot be opened simply has no values.
  void Open(platform::RootKey root, const std::string& path) {
    registry_.SetRoot(root);
    static_cast<void>(registry_.OpenKey(path, /*create=*/false));
  }
  /// The string value, nullopt when the key does not hold it; an error when the value is there but
  /// cannot be read as a string.
  platform::WinResult<std::optional<std::string>> TryRead(const std::string& name) {
    if (!registry_.ValueExists(name)) return platform::Succeeded(std::optional<std::string>());
    auto value = registry_.ReadString(name);
    if (!value.ok()) return platform::Failed<std::optional<std::string>>(value.error);
    return platform::Succeeded(std::optional<std::string>(std::move(value.value)));
  }
  /// The string value into target when the key holds it; target stays as it was when it does not.
  [[nodiscard]] platform::WinError ReadInto(const std::string& name, std::string& target) {
    auto value = TryRead(name);
    if (value.ok() && value.value) target = std::move(*value.value);
    return value.error;
  }

 private:
  RegistryAccessor& registry_;
};

/// What an uninstall entry says of the product: whether it has a command at all (then the product
/// counts as found there) and the folder cut from it, when the command names one.
struct UninstallEntry {
  bool hasCommand = false;
  std::optional<std::string> folder;
};

/// The uninstall entry at entryPath; an error when its command cannot be read as a string.
platform::WinResult<UninstallEntry> FolderFromUninstallEntry(RegistryReader& reader, const std::string& entryPath) {
  reader.Open(platform::RootKey::LocalMachine, entryPath);
  const auto command = reader.TryRead(kUninstallString);
  if (!command.ok()) return platform::Failed<UninstallEntry>(command.error);
  if (!command.value) return platform::Succeeded(UninstallEntry{});
  return platform::Succeeded(UninstallEntry{true, CutToFolder(*command.value)});
}

/// A folder's value into folder, then the path rule; an error when the value is no string.
[[nodiscard]] platform::WinError ReadFolderInto(RegistryReader& reader, const std::string& name, std::string& folder) {
  const auto error = reader.ReadInto(name, folder);
  if (error == win::kErrorSuccess) AddBackslash(folder);
  return error;
}

[[nodiscard]] platform::WinError FindFolders(platform::SystemApi& system, RegistryReader& reader,
                                             InstallEnvironment& environment, std::string& programFiles) {
  environment.CommonProgramsFolder.clear();
  // A folder Windows cannot name stays empty, as it always has.
  environment.SystemFolder = system.SystemDirectory().value;
  AddBackslash(environment.SystemFolder);
  environment.WindowsFolder = system.WindowsDirectory().value;
  AddBackslash(environment.WindowsFolder);

  reader.Open(platform::RootKey::LocalMachine, kWindowsKeyPath);
  if (const auto error = ReadFolderInto(reader, "ProgramFilesDir", programFiles); error != win::kErrorSuccess) {
    return error;
  }

  environment.IsAdmin = system.IsUserAnAdmin();
  environment.TempFolder = FindTempFolder(system);

  reader.Open(platform::RootKey::LocalMachine, kShellFoldersKeyPath);
  if (const auto error = ReadFolderInto(reader, "Common Desktop", environment.CommonDesktopFolder);
      error != win::kErrorSuccess) {
    return error;
  }
  if (IsNtPlatform(system)) {
    if (const auto error = ReadFolderInto(reader, "Common Programs", environment.CommonProgramsFolder);
        error != win::kErrorSuccess) {
      return error;
    }
  }

  reader.Open(platform::RootKey::CurrentUser, kShellFoldersKeyPath);
  for (auto [name, folder] :
       {std::pair{"Programs", &environment.UserProgramsFolder}, std::pair{"Desktop", &environment.UserDesktopFolder},
        std::pair{"Startup", &environment.UserStartupFolder}}) {
    if (const auto error = ReadFolderInto(reader, name, *folder); error != win::kErrorSuccess) return error;
  }
  return win::kErrorSuccess;
}

void NameGroupFolders(const ProductNames& names, bool useRussian, InstallEnvironment& environment) {
  if (environment.CommonProgramsFolder.size() < 2) environment.CommonProgramsFolder = environment.UserProgramsFolder;
  environment.ProgramGroupFolderAlt = environment.CommonProgramsFolder + names.ProgName + "\\";
  environment.ProgramGroupFolder = environment.CommonProgramsFolder + names.EnglishProgName + "\\";
  environment.UserGroupFolderRu = environment.UserProgramsFolder + names.ProgName + "\\";
  environment.UserGroupFolderEn = environment.UserProgramsFolder + names.EnglishProgName + "\\";
  if (useRussian) std::swap(environment.ProgramGroupFolder, environment.ProgramGroupFolderAlt);
}

[[nodiscard]] platform::WinError FindProductFolder(const std::string& appName, RegistryReader& reader,
                                                   const std::string& programFiles, InstallEnvironment& environment) {
  environment.ProductFolder = programFiles + appName;
  environment.UninstallKeyPathWow.clear();
  // A command without a folder in it (a Windows Installer entry's "MsiExec.exe /X{...}") still marks
  // the entry as the product's: the folder found so far stays, and no 32-bit entry is looked at.
  const auto entry = FolderFromUninstallEntry(reader, environment.UninstallKeyPath + appName);
  if (!entry.ok()) return entry.error;
  if (entry.value.hasCommand) {
    if (entry.value.folder) environment.ProductFolder = *entry.value.folder;
  } else {
    // Only a 32-bit installer's entry: it lives in the 32-bit programs' view.
    const std::string wowPath = WowPathOf(environment.UninstallKeyPath) + appName;
    const auto wowEntry = FolderFromUninstallEntry(reader, wowPath);
    if (!wowEntry.ok()) return wowEntry.error;
    if (wowEntry.value.hasCommand) {
      if (wowEntry.value.folder) environment.ProductFolder = *wowEntry.value.folder;
      environment.UninstallKeyPathWow = wowPath;
    }
  }
  AddBackslash(environment.ProductFolder);
  return win::kErrorSuccess;
}

bool ReportNoRegistryAccess(platform::UiApi& ui, StartupState& startup) {
  startup.Registry.CloseKey();
  ShowRegistryError(ui, startup);
  return false;
}

}  // namespace

std::string FindTempFolder(platform::SystemApi& system) {
  std::string folder = system.EnvironmentVariable("Temp").value;  // empty when it is not set
  AddBackslash(folder);
  return folder;
}

bool DiscoverEnvironment(platform::Platform& platform, StartupState& startup, const ProductNames& names,
                         InstallEnvironment& environment) {
  RegistryAccessor& registry = startup.Registry;
  OpenKeyScope closeKey(registry);
  RegistryReader reader(registry);
  std::string programFiles;
  if (FindFolders(platform.system, reader, environment, programFiles) != win::kErrorSuccess) {
    return ReportNoRegistryAccess(platform.ui, startup);
  }
  environment.UninstallKeyPath = std::string(kWindowsKeyPath) + "Uninstall\\";
  environment.ProductKeyPath = kVendorKeyPath + names.AppName + "\\";
  NameGroupFolders(names, startup.UseRussian, environment);
  if (FindProductFolder(names.AppName, reader, programFiles, environment) != win::kErrorSuccess) {
    return ReportNoRegistryAccess(platform.ui, startup);
  }
  return true;
}

}  // namespace velora
