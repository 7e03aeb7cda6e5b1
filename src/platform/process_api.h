// Another process as the system seam hands it out: a running program held open to wait for its end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win_result.h"

namespace velora::platform {

/// Another process, opened with SYNCHRONIZE only: enough to wait for it, nothing more.
class WaitableProcess {
 public:
  virtual ~WaitableProcess() = default;  ///< CloseHandle
  /// WaitForSingleObject(process, timeoutMs): kErrorSuccess once the process has ended, kWaitTimeout
  /// when it still runs at the end of the time, else the error of the failed wait.
  [[nodiscard]] virtual WinError WaitForEnd(std::uint32_t timeoutMs) = 0;
};
using WaitableProcessPtr = std::unique_ptr<WaitableProcess>;

}  // namespace velora::platform
