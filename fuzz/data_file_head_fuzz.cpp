// libFuzzer target for the head of the installed data file, read before the update asks anything. The
// whole update runs on the fake machine with an installed data file of the input after its first two
// bytes; the first byte picks the data file's kind (".3bs" or another), the second is the update's own
// version. Every question is answered No, so the run ends at the first one, which must be the older-file
// question exactly when the head's version is greater than the update's: for ".3bs" the byte at offset 5,
// for other kinds the byte at offset 4 less 32; a file too short for its byte reads as 0 (-32).
#include <cstdint>
#include <string>

#include "driver/run_log.h"
#include "driver/update_sequence.h"
#include "driver/session.h"
#include "support/fake_windows.h"
#include "support/synthetic_pe.h"
#include "support/test_session.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

constexpr const char* kFolder = "C:\\Program Files\\Velora\\";
constexpr const char* kOwnPath = "C:\\Downloads\\VeloraUpdate.exe";
const std::string kEnglishLng =
    "[langname]\r\nEnglish\r\n\r\n[langver]\r\n3\r\n\r\n[langcode]\r\n1033\r\n\r\n[langcharset]\r\n0\r\n\r\n"
    "[soundquest]\r\nQuestion\r\n\r\n[olderfilever]\r\nThe file %1 is older\r\n\r\n"
    "[liveupdatecaption]\r\nVelora Live Update\r\n\r\n[darovovevi]\r\nVelora data library\r\n\r\n"
    "[installask]\r\n%1 will install %2\r\n\r\n";

/// A machine with the product installed in kFolder, its English language file, and a sound updater.
void InstallProduct(velora::fakes::FakeWindows& fake) {
  using velora::platform::RootKey;
  fake.registry.SetString(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                          "C:\\Program Files");
  fake.registry.SetString(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora",
                          "UninstallString", std::string(kFolder) + "uninst.exe");
  fake.files.AddFile(std::string(kFolder) + "velora.exe", "MZ product");
  fake.files.AddFile(std::string(kFolder) + "language\\english.lng", kEnglishLng);
  fake.files.AddFile(kOwnPath, velora::fakes::StampedPeImage("updater image"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const bool is3bs = (data[0] & 1) != 0;
  const std::int32_t updateVersion = data[1];
  const std::string head(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string fileName = is3bs ? "vlfw.3bs" : "vlfw.pak";

  velora::fakes::FakeWindows fake;
  InstallProduct(fake);
  fake.files.AddFile(kFolder + fileName, head);
  const auto session = velora::fakes::MakeTestSession(fake);
  velora::RunLog log(fake.files, fake.system);
  const int exitCode =
      velora::RunUpdate(*session, velora::MakeDriverSettings("darovovevi", fileName, updateVersion), log);

  const std::size_t versionOffset = is3bs ? 5 : 4;
  std::int32_t installedVersion = head.size() > versionOffset ? static_cast<unsigned char>(head[versionOffset]) : 0;
  if (!is3bs) installedVersion -= 32;
  Check(exitCode == velora::kExitDeclined);
  Check(fake.ui.boxes.size() == 1);
  const bool olderQuestion = fake.ui.boxes[0].text == "The file " + fileName + " is older";
  Check(olderQuestion == (installedVersion > updateVersion));
  Check(fake.files.Contents(kFolder + fileName) == head);
  return 0;
}
