// The folder size, and its record as "EstimatedSize" in the uninstall entry where the product was found.
#include <gtest/gtest.h>

#include "driver/folder_size.h"
#include "driver/run_log.h"
#include "support/test_session.h"

namespace velora {
namespace {

class FolderSizeTest : public ::testing::Test {
 protected:
  std::int32_t SizeOf(const std::string& folder) { return FolderSizeKb(session->platform.files, folder); }
  fakes::FakeWindows fake;
  std::unique_ptr<Session> session = fakes::MakeTestSession(fake);
};

TEST_F(FolderSizeTest, RoundsTheTotalDownToWholeKibibytes) {
  fake.files.AddFolder("C:\\Empty");
  EXPECT_EQ(SizeOf("C:\\Empty"), 0);
  fake.files.AddFile("C:\\A\\one.bin", std::string(1023, 'x'));
  EXPECT_EQ(SizeOf("C:\\A"), 0);
  fake.files.AddFile("C:\\B\\one.bin", std::string(1024, 'x'));
  EXPECT_EQ(SizeOf("C:\\B\\"), 1);
  fake.files.AddFile("C:\\C\\a.bin", std::string(1000, 'x'));
  fake.files.AddFile("C:\\C\\sub\\b.bin", std::string(1100, 'x'));
  EXPECT_EQ(SizeOf("C:\\C"), 2);
}

TEST_F(FolderSizeTest, CountsHiddenAndSystemFilesAndHiddenFolders) {
  fake.files.AddFolder("C:\\P\\hidden", win::kFileAttributeHidden);
  fake.files.AddFile("C:\\P\\hidden\\deep\\a.bin", std::string(2048, 'x'), win::kFileAttributeHidden);
  fake.files.AddFile("C:\\P\\sys.bin", std::string(1024, 'x'), win::kFileAttributeSystem);
  EXPECT_EQ(SizeOf("C:\\P"), 3);
}

TEST_F(FolderSizeTest, AFileAnEmptyPathOrNothingIsNoFolder) {
  fake.files.AddFile("C:\\file.bin", "x");
  EXPECT_EQ(SizeOf("C:\\file.bin"), -1);
  EXPECT_EQ(SizeOf(""), -1);
  EXPECT_EQ(SizeOf("C:\\nothing"), -1);
}

TEST_F(FolderSizeTest, DoesNotEnterJunctions) {
  fake.files.AddFile("C:\\P\\a.bin", std::string(1024, 'x'));
  fake.files.AddFolder("C:\\P\\loop", win::kFileAttributeReparsePoint);
  fake.files.AddFile("C:\\P\\loop\\big.bin", std::string(8192, 'x'));
  EXPECT_EQ(SizeOf("C:\\P"), 1);
}

// The listing reports 64-bit sizes: a 32-bit total would wrap past 4 GiB, and past 2 TiB the KiB no
// longer fit the signed result, which must then stay the largest size rather than turn negative.
TEST_F(FolderSizeTest, FoldersOverFourGibibytesDoNotWrapAndOverTwoTebibytesStayTheLargestSize) {
  for (const auto& [fileSize, expected] :
       {std::pair{3ULL << 30, std::int32_t{6 * 1024 * 1024}}, std::pair{3ULL << 40, std::int32_t{0x7FFFFFFF}}}) {
    fake.files.AddFile("C:\\Big\\a.bin", "");
    fake.files.AddFile("C:\\Big\\b.bin", "");
    fake.files.SetListedSize("C:\\Big\\a.bin", fileSize);
    fake.files.SetListedSize("C:\\Big\\b.bin", fileSize);
    EXPECT_EQ(FolderSizeKb(fake.files, "C:\\Big"), expected) << fileSize;
  }
}

constexpr const char* kEntry64 = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";
constexpr const char* kEntry32 = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";

enum class Fault { None, NoEntry, NoFolder, OpenDenied, WriteDenied };

struct SizeRecordRow {
  const char* name;
  const char* foundIn;  ///< the uninstall entry discovery found the product in
  Fault fault;
  std::string logged;
};

void PrintTo(const SizeRecordRow& row, std::ostream* out) { *out << row.name; }

class SizeRecordTest : public ::testing::TestWithParam<SizeRecordRow> {};

// "EstimatedSize" goes only into the entry where the product was found; a failure ends the update.
TEST_P(SizeRecordTest, GoesOnlyIntoTheEntryWhereTheProductWasFound) {
  const SizeRecordRow& row = GetParam();
  const std::string foundIn = row.foundIn;
  fakes::FakeWindows fake;
  auto session = fakes::MakeTestSession(fake);
  session->Environment.UninstallKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  if (foundIn == kEntry32) session->Environment.UninstallKeyPathWow = kEntry32;
  session->Environment.ProductFolder = row.fault == Fault::NoFolder ? "C:\\Gone\\" : "C:\\Velora\\";
  fake.files.AddFile("C:\\Velora\\velora.exe", std::string(2048, 'x'));
  if (row.fault != Fault::NoEntry) fake.registry.AddKey(platform::RootKey::LocalMachine, foundIn);
  if (row.fault == Fault::OpenDenied) fake.registry.DenyKey(platform::RootKey::LocalMachine, foundIn, 5);
  if (row.fault == Fault::WriteDenied) fake.registry.FailWritesTo(platform::RootKey::LocalMachine, foundIn, 5);
  fake.files.AddFolder("C:\\Temp");
  RunLog log(fake.files, fake.text, fake.machine);
  log.Open("C:\\Temp\\");

  const bool fails = row.fault == Fault::OpenDenied || row.fault == Fault::WriteDenied;
  EXPECT_EQ(RecordFolderSize(*session, log), !fails);
  for (const std::string entry : {kEntry64, kEntry32}) {
    const bool written = entry == foundIn && row.fault == Fault::None;
    EXPECT_EQ(fake.registry.Dword(platform::RootKey::LocalMachine, entry, "EstimatedSize"),
              written ? std::optional<std::uint32_t>(2) : std::nullopt);
    EXPECT_EQ(fake.registry.KeyExists(platform::RootKey::LocalMachine, entry),
              entry == foundIn && row.fault != Fault::NoEntry);  // no entry is ever created
  }
  EXPECT_EQ(fake.registry.Opens().at(0).access, 0x000F013Fu);
  EXPECT_EQ(fake.registry.OpenKeyCount(), 0);
  ASSERT_EQ(fake.ui.boxes.size(), fails ? 1u : 0u);
  if (fails) {
    EXPECT_EQ(fake.ui.boxes[0].text, "No access to system registry");
  }
  EXPECT_NE(fake.files.Contents("C:\\Temp\\VeloraUpdate.log")->find(row.logged), std::string::npos) << row.logged;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, SizeRecordTest,
    ::testing::Values(SizeRecordRow{"SixtyFourBit", kEntry64, Fault::None,
                                    std::string("EstimatedSize 2 KiB recorded in HKLM\\") + kEntry64},
                      SizeRecordRow{"ThirtyTwoBit", kEntry32, Fault::None,
                                    std::string("EstimatedSize 2 KiB recorded in HKLM\\") + kEntry32},
                      SizeRecordRow{"NoEntry", kEntry64, Fault::NoEntry,
                                    std::string("no uninstall entry HKLM\\") + kEntry64 + ": the size is not recorded"},
                      SizeRecordRow{"NoFolder", kEntry64, Fault::NoFolder,
                                    "the product folder cannot be measured: the size is not recorded"},
                      SizeRecordRow{
                          "OpenDenied", kEntry64, Fault::OpenDenied,
                          std::string("the uninstall entry HKLM\\") + kEntry64 + " cannot be opened: error 5"},
                      SizeRecordRow{"WriteDenied", kEntry32, Fault::WriteDenied,
                                    std::string("EstimatedSize cannot be written to HKLM\\") + kEntry32 + ": error 5"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velora
