#include "driver/run_log.h"

#include "base/hex_text.h"
#include "platform/opened_file_check.h"

namespace velora {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string ZeroPadded(unsigned value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

// "2026-12-08 09:05:07.042 "
std::string TimePrefix(const platform::LocalTime& now) {
  return ZeroPadded(now.year, 4) + "-" + ZeroPadded(now.month, 2) + "-" + ZeroPadded(now.day, 2) + " " +
         ZeroPadded(now.hour, 2) + ":" + ZeroPadded(now.minute, 2) + ":" + ZeroPadded(now.second, 2) + "." +
         ZeroPadded(now.milliseconds, 3) + " ";
}

// Control characters as "\xNN": texts from outside (registry values, the command line, language texts)
// reach the log, and a CR LF among them must not forge a line of its own.
std::string WithControlsEscaped(std::string_view line) {
  std::string text;
  text.reserve(line.size());
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      text += "\\x" + HexText(byte, 2, HexLetters::Upper);
    } else {
      text += c;
    }
  }
  return text;
}

constexpr std::uint32_t kLogFlags = win::kFileAttributeNormal | win::kFileFlagOpenReparsePoint;
constexpr std::uint32_t kLogShare = win::kFileShareRead | win::kFileShareWrite;  // others may read it meanwhile

// Creates the log with DELETE access, so that a file the check refuses (a link in the folder part led
// it elsewhere) is deleted through its own handle; false when it cannot be created or was refused.
bool CreateUnlinked(platform::FileApi& files, const std::string& path) {
  auto created = files.OpenWithFlags(path, win::kFileAppendData | win::kFileReadAttributes | win::kDelete, kLogShare,
                                     win::kCreateNew, kLogFlags);
  if (!created.ok()) return false;
  if (platform::CheckOpenedAsNamed(files, *created.value, path) == win::kErrorSuccess) return true;
  static_cast<void>(created.value->MarkForDeletion());
  return false;
}

}  // namespace

platform::OpenFilePtr RunLog::OpenUnlinked(const std::string& path, std::uint64_t& size, std::uint32_t extraAccess) {
  // The temporary folder is writable by unelevated programs and this one is elevated: the log is written
  // only where it was meant to be. FILE_FLAG_OPEN_REPARSE_POINT opens a symbolic link or junction at the
  // name itself instead of its target; the check then refuses it, a hard link (somebody else's file under
  // a second name), and a file that a link in the folder part led elsewhere. A log this run creates is
  // opened again without DELETE access, which would keep out readers that do not share deleting.
  const auto open = [&] {
    return files_.OpenWithFlags(path, win::kFileAppendData | win::kFileReadAttributes | extraAccess, kLogShare,
                                win::kOpenExisting, kLogFlags);
  };
  auto opened = open();
  if (opened.error == win::kErrorFileNotFound) {
    if (!CreateUnlinked(files_, path)) return nullptr;
    opened = open();
  }
  if (!opened.ok() || platform::CheckOpenedAsNamed(files_, *opened.value, path) != win::kErrorSuccess) return nullptr;
  const auto information = opened.value->Information();
  if (!information.ok()) return nullptr;
  size = information.value.size;
  return std::move(opened.value);
}

void RunLog::Open(const std::string& folder) {
  file_.reset();
  if (folder.empty()) return;
  const std::string path = folder + kLogFileName;
  std::uint64_t size = 0;
  platform::OpenFilePtr file = OpenUnlinked(path, size, 0);
  if (file == nullptr) return;
  if (size > kLogRotationBytes) {
    // Renamed through its own handle, opened with DELETE and checked again; the new log is then checked
    // when it is opened.
    file.reset();
    file = OpenUnlinked(path, size, win::kDelete);
    if (file == nullptr || platform::RenameThroughHandle(files_, file, path, /*folder=*/nullptr, kOldLogFileName,
                                                         win::kMoveFileReplaceExisting) != win::kErrorSuccess) {
      return;
    }
    file = OpenUnlinked(path, size, 0);
    if (file == nullptr) return;
  }
  if (size == 0 && file->Write(kUtf8ByteOrderMark) != win::kErrorSuccess) return;
  file_ = std::move(file);
}

void RunLog::Write(std::string_view line) {
  if (file_ == nullptr) return;
  const auto utf8 = text_.AnsiToUtf8(std::string(line));
  // A line that cannot be converted is still worth having as it is.
  const std::string text =
      TimePrefix(machine_.GetLocalTime()) + WithControlsEscaped(utf8.ok() ? utf8.value : std::string(line)) + "\r\n";
  // A log that cannot be written is given up; the update goes on.
  if (file_->Write(text) != win::kErrorSuccess) file_.reset();
}

void RunLog::WriteFailure(std::string_view what, platform::WinError error) {
  std::string line = std::string(what) + ": error " + std::to_string(error);
  if (const auto message = text_.TryErrorMessage(error)) line += " (" + *message + ")";
  Write(line);
}

}  // namespace velora
