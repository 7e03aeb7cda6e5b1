// The updater's entry point: the Win32 adapters, the command line, and the exit code for deployment tools.
//
// The exe starts at VeloraEntry, without the C runtime's startup code (linked with -nostartfiles; see
// src/driver/CMakeLists.txt). The program needs none of it: no constructor runs before the entry (the link
// map's check keeps it so), there are no exceptions, no standard streams and no thread-local objects, and
// msvcrt.dll, which still provides memcpy and kin, initialises itself when it is loaded. Leaving the
// startup out keeps the exe within its size budget.
#include <windows.h>

#include <string>
#include <vector>

#include "driver/entry_point.h"
#include "platform/win32/desktop.h"
#include "platform/win32/files.h"
#include "platform/win32/progress_window.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "platform/win32/ui.h"

namespace {

// msvcrt's _startupinfo: only the new-handler mode, which this program leaves at 0.
struct StartupInfo {
  int newMode;
};

}  // namespace

// msvcrt's command-line splitter, the one the C runtime's startup uses for argv.
extern "C" __declspec(dllimport) int __cdecl __getmainargs(int* argc, char*** argv, char*** environment,
                                                           int expandWildcards, StartupInfo* startupInfo);

namespace {

// The arguments after the program's name, split by the usual quoting rules and never expanded as
// wildcards; none when msvcrt cannot split them.
std::vector<std::string> CommandLineArguments() {
  int argc = 0;
  char** argv = nullptr;
  char** environment = nullptr;
  StartupInfo startupInfo{};
  if (__getmainargs(&argc, &argv, &environment, /*expandWildcards=*/0, &startupInfo) != 0 || argv == nullptr ||
      argc < 1)
    return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

int RunWithWin32Adapters() {
  velora::win32::Win32Registry registry;
  velora::win32::Win32Files files;
  velora::win32::Win32Ui ui;
  velora::win32::Win32Desktop desktop;
  velora::win32::Win32ProgressWindow progress;
  velora::win32::Win32Machine machine;
  velora::win32::Win32Text text;
  velora::win32::Win32OwnModule ownModule;
  velora::win32::Win32ProgramFiles programFiles;
  velora::win32::Win32Processes processes;
  velora::win32::Win32Tokens tokens;
  velora::win32::Win32Sessions sessions;
  velora::platform::Platform platform{registry, files,     ui,           desktop,   progress, machine,
                                      text,     ownModule, programFiles, processes, tokens,   sessions};
  return velora::RunUpdater(platform, CommandLineArguments());
}

}  // namespace

extern "C" void WINAPI VeloraEntry() {
  // The adapters are destroyed before the process ends with the run's exit code.
  ExitProcess(static_cast<UINT>(RunWithWin32Adapters()));
}
