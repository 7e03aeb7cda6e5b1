// The updater's entry point: the Win32 adapters, the command line, and the exit code for deployment tools.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver/entry_point.h"
#include "platform/win32/desktop.h"
#include "platform/win32/files.h"
#include "platform/win32/progress_window.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "platform/win32/ui.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  velora::win32::Win32Registry registry;
  velora::win32::Win32Files files;
  velora::win32::Win32Ui ui;
  velora::win32::Win32Desktop desktop;
  velora::win32::Win32System system;
  velora::win32::Win32ProgressWindow progress;
  velora::platform::Platform platform{registry, files, ui, desktop, system, progress};

  // The C runtime has split the command line by the usual quoting rules.
  std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  return velora::RunUpdater(platform, std::move(arguments));
}
