#include "installation.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace velora::e2e {
namespace {

using win32::unique_handle;
using win32::unique_hfind;
using win32::unique_hkey;

constexpr char kUninstallParent[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

REGSAM ViewFlag(RegistryView view) { return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

void SetString(HKEY key, const char* name, const std::string& value) {
  RegSetValueExA(key, name, /*Reserved=*/0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
}

unique_hkey CreateKey(HKEY root, const char* path, REGSAM access) {
  unique_hkey key;
  RegCreateKeyExA(root, path, /*Reserved=*/0, /*lpClass=*/nullptr, REG_OPTION_NON_VOLATILE, access,
                  /*lpSecurityAttributes=*/nullptr, key.put(), /*lpdwDisposition=*/nullptr);
  return key;
}

unique_hkey OpenKey(HKEY root, const char* path, REGSAM access) {
  unique_hkey key;
  if (RegOpenKeyExA(root, path, /*ulOptions=*/0, access, key.put()) != ERROR_SUCCESS) return {};
  return key;
}

void DeleteUninstallEntry(RegistryView view) {
  unique_hkey parent = OpenKey(HKEY_LOCAL_MACHINE, kUninstallParent, KEY_ALL_ACCESS | ViewFlag(view));
  if (parent) RegDeleteTreeA(parent.get(), "Velora");
}

void DeleteUserKey() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kUserKey);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvane");  // only goes if nothing else is left in it
}

// Calls visit(full path, find data) for every entry of the folder except "." and "..".
template <class Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
  WIN32_FIND_DATAA found{};
  unique_hfind find(FindFirstFileA((folder + "*").c_str(), &found));
  if (!find) return;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") visit(folder + name, found);
  } while (FindNextFileA(find.get(), &found));
}

void RemoveFolderTree(const std::string& folder) {
  ForEachEntry(folder, [](const std::string& path, const WIN32_FIND_DATAA& found) {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveFolderTree(path + "\\");
    } else {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
  });
  RemoveDirectoryA(folder.c_str());
}

ULONGLONG FolderBytes(const std::string& folder) {
  ULONGLONG bytes = 0;
  ForEachEntry(folder, [&bytes](const std::string& path, const WIN32_FIND_DATAA& found) {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      bytes += FolderBytes(path + "\\");
    } else {
      bytes += (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    }
  });
  return bytes;
}

std::string FileName(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

}  // namespace

std::string DataFileBytes(int version, DWORD size) {
  std::string bytes = {'v', 'l', 'f', 'w', '\x02', static_cast<char>(version), '\x00', '\x08'};
  for (DWORD i = static_cast<DWORD>(bytes.size()); i < size; ++i) bytes.push_back(static_cast<char>(i * 7 + 3));
  bytes.resize(size);
  return bytes;
}

void RemoveFolder(const std::string& folder) { RemoveFolderTree(folder); }

void StopStandIns() {
  // A product the updater restarted, or one a failed test left running, would hold the mapping, the
  // window class and the data file of the next test, and the output pipe of the test program. Found
  // by process name, so that one still starting up (no window yet) is ended too.
  unique_handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, /*th32ProcessID=*/0));
  if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
    if (_stricmp(entry.szExeFile, "velora.exe") != 0) continue;
    unique_handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, /*bInheritHandle=*/FALSE, entry.th32ProcessID));
    if (!process) continue;
    TerminateProcess(process.get(), /*uExitCode=*/0);
    WaitForSingleObject(process.get(), 5000);
  }
}

void RemoveInstallation(const std::string& folder) {
  StopStandIns();
  RemoveFolder(folder);
  DeleteUninstallEntry(RegistryView::Bits64);
  DeleteUninstallEntry(RegistryView::Bits32);
  DeleteUserKey();
}

Installation::Installation(InstallSpec spec) : spec_(std::move(spec)) {
  RemoveInstallation(spec_.folder);
  SHCreateDirectoryExA(/*hwnd=*/nullptr, spec_.folder.c_str(), /*psa=*/nullptr);
  if (spec_.withStandIn) {
    CopyFileA(WinePath(VELORA_STANDIN_EXE).c_str(), path("velora.exe").c_str(), /*bFailIfExists=*/FALSE);
  }
  if (spec_.standInIni) WriteFile(path("velora-standin.ini"), *spec_.standInIni);
  if (!spec_.languageFiles.empty()) {
    CreateDirectoryA(path("language").c_str(), /*lpSecurityAttributes=*/nullptr);
    for (const std::string& file : spec_.languageFiles) {
      CopyFileA(file.c_str(), path("language\\" + FileName(file)).c_str(), /*bFailIfExists=*/FALSE);
    }
  }
  if (spec_.dataFileVersion) WriteFile(path(kDataFileName), DataFileBytes(*spec_.dataFileVersion, spec_.dataFileSize));

  if (spec_.uninstallView != RegistryView::None) {
    AddUninstallEntry(spec_.uninstallView, spec_.uninstallString.value_or(path("uninst.exe")), spec_.estimatedSize);
  }
  if (spec_.lastRunFolder || spec_.langFile) {
    unique_hkey user = CreateKey(HKEY_CURRENT_USER, kUserKey, KEY_ALL_ACCESS);
    if (spec_.lastRunFolder) SetString(user.get(), "TheLastRunFolder", *spec_.lastRunFolder);
    if (spec_.langFile) SetString(user.get(), "LangFile", *spec_.langFile);
  }
}

void AddUninstallEntry(RegistryView view, const std::string& uninstallString, std::optional<DWORD> estimatedSize) {
  unique_hkey entry = CreateKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS | ViewFlag(view));
  SetString(entry.get(), "UninstallString", uninstallString);
  if (estimatedSize) {
    RegSetValueExA(entry.get(), "EstimatedSize", /*Reserved=*/0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&*estimatedSize), sizeof(DWORD));
  }
}

Installation::~Installation() { RemoveInstallation(spec_.folder); }

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<DWORD> ReadEstimatedSize(RegistryView view) {
  unique_hkey entry = OpenKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ | ViewFlag(view));
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (!entry ||
      RegQueryValueExA(entry.get(), "EstimatedSize", /*lpReserved=*/nullptr, &type, reinterpret_cast<BYTE*>(&value),
                       &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::string> ReadUserValue(const char* name) {
  unique_hkey user = OpenKey(HKEY_CURRENT_USER, kUserKey, KEY_READ);
  char value[1024] = {};
  DWORD size = sizeof value - 1;
  if (!user || RegQueryValueExA(user.get(), name, /*lpReserved=*/nullptr, /*lpType=*/nullptr,
                                reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(value);
}

bool UninstallEntryExists(RegistryView view) {
  return static_cast<bool>(OpenKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ | ViewFlag(view)));
}

bool TildeFileExists(const std::string& folder) {
  bool found = false;
  ForEachEntry(folder, [&found](const std::string& path, const WIN32_FIND_DATAA&) {
    const std::string name = FileName(path);
    if (name.front() == '~' || name.back() == '~') found = true;
  });
  return found;
}

std::vector<std::string> StandInLogLines(const std::string& folder) {
  std::vector<std::string> lines;
  std::ifstream in(folder + "velora-standin.log", std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

DWORD FolderSizeKiB(const std::string& folder) { return static_cast<DWORD>(FolderBytes(folder) / 1024); }

unique_handle StartStandIn(const std::string& folder) {
  const std::string exe = folder + "velora.exe";
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), /*lpProcessAttributes=*/nullptr,
                      /*lpThreadAttributes=*/nullptr, /*bInheritHandles=*/FALSE, /*dwCreationFlags=*/0,
                      /*lpEnvironment=*/nullptr, folder.c_str(), &startup, &info)) {
    return {};
  }
  unique_handle thread(info.hThread);
  unique_handle process(info.hProcess);
  // The window is the last thing the stand-in sets up; wait for it (ten seconds at most) or for the
  // process to end.
  for (int waited = 0; FindWindowA("TVeloraMainForm", /*lpWindowName=*/nullptr) == nullptr && waited < 10000;
       waited += 20) {
    if (WaitForSingleObject(process.get(), 20) != WAIT_TIMEOUT) break;
  }
  return process;
}

}  // namespace velora::e2e
