// The run's log for support: every run appends what it found, what it did, the boxes it showed with
// their answers and its exit code to VeloraUpdate.log in the user's temporary folder. Writing the log
// never changes the course of the update: a log that cannot be opened or written is skipped.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace velora {

inline constexpr const char* kLogFileName = "VeloraUpdate.log";
inline constexpr const char* kOldLogFileName = "VeloraUpdate.old.log";
/// A log that has passed this size is renamed to kOldLogFileName before the run writes to it.
inline constexpr std::uint64_t kLogRotationBytes = std::uint64_t{1024} * 1024;

class RunLog {
 public:
  /// A closed log: it writes nothing until Open succeeds.
  RunLog(platform::FileApi& files, platform::TextApi& text, platform::MachineApi& machine)
      : files_(files), text_(text), machine_(machine) {}

  /// Opens folder + kLogFileName for appending (folder ends in "\"; an empty folder opens nothing),
  /// rotating it first when it has passed kLogRotationBytes. A file opened that is not the plain file
  /// of that name (a link at the name or in the folder part, a hard link) is left alone and the run is
  /// not logged.
  void Open(const std::string& folder);
  bool IsOpen() const { return file_ != nullptr; }

  /// Appends one line (ANSI text, written as UTF-8, control characters as "\xNN") after the local date
  /// and time.
  void Write(std::string_view line);
  /// Appends "what: error N (Windows' text for N)".
  void WriteFailure(std::string_view what, platform::WinError error);

 private:
  platform::OpenFilePtr OpenUnlinked(const std::string& path, std::uint64_t& size, std::uint32_t extraAccess);

  platform::FileApi& files_;
  platform::TextApi& text_;
  platform::MachineApi& machine_;
  platform::OpenFilePtr file_;
};

}  // namespace velora
