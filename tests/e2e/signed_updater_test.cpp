// The shipped updater signed after the build (the e2e.sign_updater_copy step signs a copy with a
// throwaway certificate and checks the signature with osslsigncode): it still passes its own integrity
// check and updates as usual, and a signed copy with one changed byte still installs nothing.
#include <windows.h>

#include <cstdint>

#include "updater_fixture.h"

namespace velora::e2e {
namespace {

const std::string kSignedCopy = WinePath(VELORA_SIGNED_UPDATER_EXE);

std::uint32_t NumberAt(const std::string& image, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= std::uint32_t{static_cast<unsigned char>(image.at(offset + i))} << (8 * i);
  return value;
}

/// The certificate-table entry (data directory entry 4) of the image: its offset and size. The directory
/// starts 96 bytes into a PE32 optional header (the shipped exe) and 112 into a PE32+ one (x86-64).
std::pair<std::uint32_t, std::uint32_t> CertificateEntry(const std::string& image) {
  const std::size_t optionalHeader = NumberAt(image, 0x3C) + 24;
  const bool pe32Plus = (NumberAt(image, optionalHeader) & 0xFFFF) == 0x20B;
  const std::size_t entry = optionalHeader + (pe32Plus ? 112 : 96) + 4 * 8;
  return {NumberAt(image, entry), NumberAt(image, entry + 4)};
}

TEST_F(UpdaterTest, ASignedCopyUpdatesAsUsual) {
  const auto image = ReadFileBytes(kSignedCopy);
  ASSERT_TRUE(image) << "no signed copy at " << kSignedCopy;
  const auto [tableOffset, tableSize] = CertificateEntry(*image);
  ASSERT_NE(tableSize, 0u) << "the copy carries no signature";
  EXPECT_EQ(std::size_t{tableOffset} + tableSize, image->size());

  Installation install(DefaultInstall(0));
  const std::string before = *ReadFileBytes(install.path(kDataFileName));
  const RobotResult result = RunUpdater({Answer::Yes, Answer::No}, L"", kSignedCopy);

  ASSERT_EQ(result.boxes.size(), 2u);
  EXPECT_EQ(result.boxes[0].caption, "Question");
  EXPECT_EQ(result.boxes[1].text,
            "Velora data update (Velora data library 1) has been installed successfully.\r\n\r\n"
            "Do you want to start Velora now?");
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten));
  ExpectDataFile(/*written=*/true, before);
  ExpectSizeRecorded(RegistryView::Bits64);
}

TEST_F(UpdaterTest, ASignedCopyWithOneFlippedByteInstallsNothing) {
  ExpectACopyWithOneFlippedByteInstallsNothing(kSignedCopy);
}

}  // namespace
}  // namespace velora::e2e
