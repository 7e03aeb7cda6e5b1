// The update sequence: find and check the installed product, close it, compare versions, ask, write the
// data file, record the folder's size and offer to start the product; or all of it silently.
#pragma once

#include <cstdint>
#include <string>

namespace velora {

class Session;
class RunLog;

/// What the entry point tells the sequence about the embedded data file.
struct DriverSettings {
  std::string PayloadDisplayKey;
  std::string PayloadFileName;
  std::int32_t PayloadVersion = 0;
};

/// Exit codes the process leaves for deployment tools.
inline constexpr int kExitWritten = 0;
inline constexpr int kExitDeclined = 1602;
inline constexpr int kExitFailed = 1603;

/// Runs the whole update once, writing what happens to log, and returns the process's exit code.
int RunUpdate(Session& session, const DriverSettings& settings, RunLog& log);

}  // namespace velora
