#include "environment/install_environment.h"

#include <optional>
#include <string_view>

#include "base/path_rule.h"
#include "environment/message_box.h"
#include "environment/product_key.h"

namespace velora {
namespace {

// Spelled whole, not joined at start-up: the exe runs no constructor before its entry.
constexpr const char* kShellFoldersKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
static_assert(std::string_view(kShellFoldersKeyPath).starts_with(kWindowsKeyPath));
constexpr const char* kUninstallString = "UninstallString";

/// The folder of an uninstall command: everything up to the last "\" before its final character, which
/// is never examined. A command that starts with a quotation mark is cut within the quoted part, so
/// neither the mark nor the arguments after it become part of the folder. nullopt when there is no "\".
std::optional<std::string> TryCutToFolder(const std::string& command) {
  if (!command.empty() && command.front() == '"') return TryCutToFolder(command.substr(1, command.find('"', 1) - 1));
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

bool IsNtPlatform(platform::MachineApi& machine) {
  auto facts = machine.VersionFacts(platform::VersionRecord::Extended);
  if (!facts.ok()) facts = machine.VersionFacts(platform::VersionRecord::Plain);
  return facts.ok() && facts.value.platformId == win::kVerPlatformWin32Nt;
}

/// A key discovery reads. A key that cannot be opened simply has no values.
class KeyToRead {
 public:
  /// Opens root\path without creating it.
  KeyToRead(platform::RegistryApi& registry, platform::RegistryView view, platform::RootKey root,
            const std::string& path)
      : key_(registry.OpenKey(root, path, view).value) {}
  /// A key opened otherwise, such as the product key (created when absent); null has no values.
  explicit KeyToRead(platform::RegistryKeyPtr key) : key_(std::move(key)) {}

  /// The string value, nullopt when the key does not hold it; kErrorUnsupportedType when it is there
  /// but is no string. A value that cannot be queried counts as absent.
  platform::WinResult<std::optional<std::string>> TryRead(const std::string& name) const {
    if (!key_) return platform::Succeeded(std::optional<std::string>());
    auto value = key_->ReadString(name);
    if (value.error == win::kErrorUnsupportedType) return platform::Failed<std::optional<std::string>>(value.error);
    if (!value.ok()) return platform::Succeeded(std::optional<std::string>());
    return platform::Succeeded(std::optional<std::string>(std::move(value.value)));
  }
  /// A folder's value into folder when the key holds it, then the path rule; an error when it is no string.
  [[nodiscard]] platform::WinError ReadFolderInto(const std::string& name, std::string& folder) const {
    auto value = TryRead(name);
    if (!value.ok()) return value.error;
    if (value.value) folder = std::move(*value.value);
    AddBackslash(folder);
    return win::kErrorSuccess;
  }

 private:
  platform::RegistryKeyPtr key_;
};

/// What an uninstall entry says of the product: whether it has a command at all (then the product
/// counts as found there) and the folder cut from it, when the command names one.
struct UninstallEntry {
  bool hasCommand = false;
  std::optional<std::string> folder;
};

/// Where discovery opens its keys: the registry, in the start-up state's view.
struct KeyOpener {
  platform::RegistryApi& api;
  platform::RegistryView view;

  KeyToRead Open(platform::RootKey root, const std::string& path) const { return {api, view, root, path}; }
};

/// The uninstall entry at entryPath; an error when its command cannot be read as a string.
platform::WinResult<UninstallEntry> FolderFromUninstallEntry(const KeyOpener& registry, const std::string& entryPath) {
  const auto command = registry.Open(platform::RootKey::LocalMachine, entryPath).TryRead(kUninstallString);
  if (!command.ok()) return platform::Failed<UninstallEntry>(command.error);
  if (!command.value) return platform::Succeeded(UninstallEntry{});
  return platform::Succeeded(UninstallEntry{true, TryCutToFolder(*command.value)});
}

// Program Files, administrator rights, and the shell folders' values: read although the update needs
// none of the folders, since a value of another type there is a registry failure, reported as always.
[[nodiscard]] platform::WinError FindFolders(platform::TokenApi& tokens, platform::MachineApi& machine,
                                             const KeyOpener& registry, InstallEnvironment& environment,
                                             std::string& programFiles) {
  if (const auto error = registry.Open(platform::RootKey::LocalMachine, kWindowsKeyPath)
                             .ReadFolderInto("ProgramFilesDir", programFiles);
      error != win::kErrorSuccess) {
    return error;
  }

  environment.IsAdmin = tokens.IsUserAnAdmin();

  {
    const KeyToRead common = registry.Open(platform::RootKey::LocalMachine, kShellFoldersKeyPath);
    if (const auto error = common.TryRead("Common Desktop").error; error != win::kErrorSuccess) return error;
    if (IsNtPlatform(machine)) {
      if (const auto error = common.TryRead("Common Programs").error; error != win::kErrorSuccess) return error;
    }
  }

  const KeyToRead user = registry.Open(platform::RootKey::CurrentUser, kShellFoldersKeyPath);
  for (const char* name : {"Programs", "Desktop", "Startup"}) {
    if (const auto error = user.TryRead(name).error; error != win::kErrorSuccess) return error;
  }
  return win::kErrorSuccess;
}

[[nodiscard]] platform::WinError FindProductFolder(const std::string& appName, const KeyOpener& registry,
                                                   const std::string& programFiles, InstallEnvironment& environment) {
  environment.ProductFolder = programFiles + appName;
  environment.UninstallKeyPathWow.clear();
  // A command without a folder in it (a Windows Installer entry's "MsiExec.exe /X{...}") still marks
  // the entry as the product's: the folder found so far stays, and no 32-bit entry is looked at.
  const auto entry = FolderFromUninstallEntry(registry, environment.UninstallKeyPath + appName);
  if (!entry.ok()) return entry.error;
  if (entry.value.hasCommand) {
    if (entry.value.folder) environment.ProductFolder = *entry.value.folder;
  } else {
    // Only a 32-bit installer's entry: it lives in the 32-bit programs' view.
    const std::string wowPath = WowPathOf(environment.UninstallKeyPath) + appName;
    const auto wowEntry = FolderFromUninstallEntry(registry, wowPath);
    if (!wowEntry.ok()) return wowEntry.error;
    if (wowEntry.value.hasCommand) {
      if (wowEntry.value.folder) environment.ProductFolder = *wowEntry.value.folder;
      environment.UninstallKeyPathWow = wowPath;
    }
  }
  AddBackslash(environment.ProductFolder);
  return win::kErrorSuccess;
}

/// The product's own record of the folder it last ran from wins over the entries; an empty record
/// gives an empty folder. taken: whether there was one.
[[nodiscard]] platform::WinError TakeLastRunFolder(const KeyOpener& registry, const std::string& appName,
                                                   InstallEnvironment& environment, bool& taken) {
  // Opening creates the key when absent, as the product's key always is.
  const KeyToRead productKey(OpenProductKey(registry.api, registry.view, appName).value);
  auto folder = productKey.TryRead(kLastRunFolderValue);
  if (!folder.ok()) return folder.error;
  taken = folder.value.has_value();
  if (taken) {
    environment.ProductFolder = std::move(*folder.value);
    AddBackslash(environment.ProductFolder);
  }
  return win::kErrorSuccess;
}

/// Discovery ends at a registry value that is no string, after the box.
Discovery EndAtRegistryError(Discovery::Failure failure, platform::WinError error, std::string entryFolder,
                             platform::UiApi& ui, const StartupState& startup, const ProductNames& names) {
  ShowRegistryError(ui, startup, names);
  return {.failure = failure, .error = error, .entryFolder = std::move(entryFolder)};
}

}  // namespace

std::string FindTempFolder(platform::MachineApi& machine) {
  std::string folder = machine.EnvironmentVariable("Temp").value;  // empty when it is not set
  AddBackslash(folder);
  return folder;
}

Discovery DiscoverEnvironment(platform::Platform& platform, const StartupState& startup, const ProductNames& names,
                              InstallEnvironment& environment) {
  const KeyOpener registry{platform.registry, startup.RegistryView};
  std::string programFiles;
  if (const auto error = FindFolders(platform.tokens, platform.machine, registry, environment, programFiles);
      error != win::kErrorSuccess) {
    return EndAtRegistryError(Discovery::Failure::Folders, error, {}, platform.ui, startup, names);
  }
  environment.UninstallKeyPath = std::string(kWindowsKeyPath) + "Uninstall\\";
  if (const auto error = FindProductFolder(names.AppName, registry, programFiles, environment);
      error != win::kErrorSuccess) {
    return EndAtRegistryError(Discovery::Failure::Folders, error, {}, platform.ui, startup, names);
  }
  Discovery found{.entryFolder = environment.ProductFolder};
  if (const auto error = TakeLastRunFolder(registry, names.AppName, environment, found.fromLastRunFolder);
      error != win::kErrorSuccess) {
    return EndAtRegistryError(Discovery::Failure::LastRunFolder, error, std::move(found.entryFolder), platform.ui,
                              startup, names);
  }
  return found;
}

}  // namespace velora
