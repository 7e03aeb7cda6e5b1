// Everything the updater asks of Windows, in one bundle that WinMain fills with the Win32 adapters
// and each test fills with fakes.
#pragma once

#include "platform/desktop_api.h"
#include "platform/file_api.h"
#include "platform/progress_window_api.h"
#include "platform/registry_api.h"
#include "platform/system_api.h"
#include "platform/ui_api.h"
#include "platform/win_constants.h"

namespace velora::platform {

struct Platform {
  RegistryApi& registry;
  FileApi& files;
  UiApi& ui;
  DesktopApi& desktop;
  SystemApi& system;
  ProgressWindowApi& progress;
};

}  // namespace velora::platform
