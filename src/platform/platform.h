// Everything the updater asks of Windows, in one bundle that WinMain fills with the Win32 adapters
// and each test fills with fakes. Each part names one thing and is small enough for a test to replace.
#pragma once

#include "platform/desktop_api.h"
#include "platform/file_api.h"
#include "platform/machine_api.h"
#include "platform/own_module_api.h"
#include "platform/process_api.h"
#include "platform/program_file_api.h"
#include "platform/progress_window_api.h"
#include "platform/registry_api.h"
#include "platform/session_api.h"
#include "platform/text_api.h"
#include "platform/token_api.h"
#include "platform/ui_api.h"
#include "platform/win_constants.h"

namespace velora::platform {

struct Platform {
  RegistryApi& registry;
  FileApi& files;
  UiApi& ui;
  DesktopApi& desktop;
  ProgressWindowApi& progress;
  MachineApi& machine;
  TextApi& text;
  OwnModuleApi& ownModule;
  ProgramFileApi& programFiles;
  ProcessApi& processes;
  TokenApi& tokens;
  SessionApi& sessions;

  /// The same platform with its boxes shown through ui instead.
  Platform WithUi(UiApi& boxes) const {
    return {registry, files,     boxes,        desktop,   progress, machine,
            text,     ownModule, programFiles, processes, tokens,   sessions};
  }
};

}  // namespace velora::platform
