// The one error type the updater's operations raise inside themselves and catch at their edge, where
// it becomes the message box the operation owes the user.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/win_result.h"

namespace velora {

class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& what, platform::WinError error = 0)
      : std::runtime_error(what), error_(error) {}
  platform::WinError error() const { return error_; }

 private:
  platform::WinError error_;
};

}  // namespace velora
