// libFuzzer target for the reading of the "ver" command's output in the Windows identification, through
// the fake machine whose command interpreter prints the input after its first byte. The first byte picks
// the version facts (6.2, read by the output's markers, or 11.0, read by its number rule), workstation or
// server, the processor and whether the name line carries the version. Whatever the output, the name line
// starts with the family's words, the 64-bit answer agrees with it, the version numbers stand in for a
// version text the output does not close with "]", and the command's temporary file is gone afterwards.
#include <cstdint>
#include <string>

#include "sysinfo/windows_identification.h"
#include "support/fake_windows.h"
#include "unit/sysinfo_fake_interpreter.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

constexpr std::uint8_t kWorkstation = 1, kServer = 3;
constexpr std::uint16_t kIntel = 0, kAmd64 = 9;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  const std::string out(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool numberRule = (choice & 1) != 0;
  const bool server = (choice & 2) != 0;
  const bool includeVersion = (choice & 4) != 0;
  const std::uint32_t major = numberRule ? 11 : 6, minor = numberRule ? 0 : 2, build = 9200;

  velora::fakes::FakeWindows fake;
  fake.machine.extendedVersion =
      velora::platform::OsVersionInfo{major, minor, build, 2, "", 0x100, server ? kServer : kWorkstation};
  fake.machine.processorArchitecture = (choice & 8) != 0 ? kAmd64 : kIntel;
  velora::fakes::InterpreterPrints(fake, out);

  const velora::WindowsName windows = velora::GetWindowsName(fake.platform, includeVersion);
  const std::string& name = windows.text;
  const bool isWindows64 = windows.isWindows64;

  Check(name.rfind("Microsoft Windows ", 0) == 0);
  Check(isWindows64 == (name.find(" 64") != std::string::npos));
  Check(fake.processes.processCommandLines.size() == 1);
  const std::string numbers = std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
  if (includeVersion && out.find(']') == std::string::npos) Check(name.find(" " + numbers) != std::string::npos);
  if (!includeVersion) Check(name.find(numbers) == std::string::npos || out.find(numbers) != std::string::npos);
  Check(fake.files.AllFiles().empty());
  Check(fake.files.OpenHandleCount() == 0);
  return 0;
}
