// Build paths are Unix paths; a program under Wine reaches them through drive Z:.
#pragma once

#include <windows.h>

#include <string>

namespace velora::wine_tests {

/// "/work/build/x.exe" as Wine sees it: "Z:\work\build\x.exe".
inline std::string WinePath(std::string unixPath) {
  for (char& c : unixPath) {
    if (c == '/') c = '\\';
  }
  return "Z:" + unixPath;
}

/// Whether a directory listing shows the name, as it shows a link whose target is gone.
inline bool NameIsListed(const std::string& path) {
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(path.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

/// Runs a Unix program under Wine (a command line such as "Z:\\bin\\ln -s target name") in a Windows
/// folder: Wine makes no symbolic links of its own (CreateSymbolicLinkA does nothing), and deletes a
/// link's target where Windows would delete the link. Wine gives no process handle to wait on for a
/// Unix program, so done() says when it has run; true once it holds, within 5 s.
template <class Done>
bool RunUnixTool(const std::string& folder, std::string commandLine, Done done) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(/*lpApplicationName=*/nullptr, commandLine.data(), nullptr, nullptr, /*bInheritHandles=*/FALSE,
                      /*dwCreationFlags=*/0, /*lpEnvironment=*/nullptr, folder.c_str(), &startup, &process)) {
    return false;
  }
  if (process.hThread != nullptr) CloseHandle(process.hThread);
  if (process.hProcess != nullptr) CloseHandle(process.hProcess);
  for (int waited = 0; waited < 100; ++waited) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

/// The Unix symbolic link folder\name -> target (a path relative to folder), which Wine does not report
/// as a reparse point.
inline bool MakeUnixSymlink(const std::string& folder, const std::string& target, const std::string& name) {
  const std::string path = folder + (folder.back() == '\\' ? "" : "\\") + name;
  return RunUnixTool(folder, "Z:\\bin\\ln -s \"" + target + "\" \"" + name + "\"", [&] { return NameIsListed(path); });
}

/// Removes the name itself (a link, not its target), when it is there.
inline void RemoveUnixName(const std::string& folder, const std::string& name) {
  const std::string path = folder + (folder.back() == '\\' ? "" : "\\") + name;
  if (NameIsListed(path)) RunUnixTool(folder, "Z:\\bin\\rm -f \"" + name + "\"", [&] { return !NameIsListed(path); });
}

}  // namespace velora::wine_tests
