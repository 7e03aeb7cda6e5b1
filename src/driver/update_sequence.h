// The update sequence: find and check the installed product, close it, compare versions, ask, write the
// data file, record the folder's size and offer to start the product; or all of it silently.
#pragma once

#include "driver/driver_settings.h"

namespace velora {

class Session;
class RunLog;

/// Exit codes the process leaves for deployment tools.
inline constexpr int kExitWritten = 0;
inline constexpr int kExitDeclined = 1602;
inline constexpr int kExitFailed = 1603;

/// Runs the whole update once, writing what happens to log, and returns the process's exit code.
int RunUpdate(Session& session, const DriverSettings& settings, RunLog& log);

}  // namespace velora
