// The per-kind version readers at their offsets, the language file's "langver" line, the version resource
// of programs, the dotted version comparison and the temporary name.
#include <gtest/gtest.h>

#include "install/version_readers.h"
#include "support/test_session.h"

namespace velora {
namespace {

constexpr const char* kPath = "C:\\Velora\\data.bin";

class VersionReaderTest : public ::testing::Test {
 protected:
  std::string OnlyBoxText() const {
    return fake.ui.boxes.size() == 1 ? fake.ui.boxes[0].text : "boxes: " + std::to_string(fake.ui.boxes.size());
  }

  fakes::FakeWindows fake;
  std::unique_ptr<Session> session = fakes::MakeTestSession(fake);
};

TEST(InstalledVersionFromHead, TakesTheByteAfterTheTagOrAfterTheFormatByteOfA3bsFile) {
  struct Case {
    std::string head;
    bool is3bs;
    std::int32_t version;
  };
  for (const Case& c :
       {Case{std::string("vlfw\x02\x07\x00\x08", 8), true, 7}, Case{"vlfw\x02\xC8", true, 200},  // unsigned
        Case{"vlfw\x02", true, 0},         // too short for its byte
        Case{"vlfw\xFF\x01", false, 223},  // stored plus 32
        Case{"vlf", false, -32}}) {
    EXPECT_EQ(InstalledVersionFromHead(c.head, c.is3bs), c.version) << c.head.size() << (c.is3bs ? " 3bs" : "");
  }
}

TEST_F(VersionReaderTest, ByteReadersTakeLittleEndianBytesAtTheirOffsets) {
  fake.files.AddFile(kPath, std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08", 9));
  EXPECT_EQ(ReadPakVersion(session->platform.files, kPath), 0x0706);
  EXPECT_EQ(ReadCokVersion(session->platform.files, kPath), 0x0605);
  EXPECT_EQ(Read3bsVersion(session->platform.files, kPath), 0x06);
  EXPECT_EQ(fake.files.OpenHandleCount(), 0);
}

TEST_F(VersionReaderTest, ByteReadersAreUnsignedAndNeedEveryByte) {
  fake.files.AddFile(kPath, std::string("\x00\x00\x00\x00\x00\xFF\xFF", 7));
  EXPECT_EQ(ReadCokVersion(session->platform.files, kPath), 0xFFFF);  // exactly 7 bytes: bytes 5 and 6
  EXPECT_EQ(Read3bsVersion(session->platform.files, kPath), 255);
  EXPECT_EQ(ReadPakVersion(session->platform.files, kPath), 0);  // only one byte at offset 6
  fake.files.AddFile(kPath, "short");
  EXPECT_EQ(Read3bsVersion(session->platform.files, kPath), 0);
  EXPECT_EQ(ReadCokVersion(session->platform.files, kPath), 0);
  EXPECT_EQ(ReadPakVersion(session->platform.files, "C:\\Velora\\missing.pak"), 0);
  EXPECT_TRUE(fake.ui.boxes.empty());
}

TEST_F(VersionReaderTest, ByteReadersOpenWithoutSharingAndYieldZeroForAFileHeldOrFailing) {
  fake.files.AddFile(kPath, "0123456789");
  ASSERT_EQ(Read3bsVersion(session->platform.files, kPath), '6');
  ASSERT_FALSE(fake.files.Creates().empty());
  const auto& create = fake.files.Creates().back();
  EXPECT_EQ(create.access, win::kGenericRead);
  EXPECT_EQ(create.share, win::kFileShareNone);
  EXPECT_EQ(create.disposition, win::kOpenExisting);

  fake.files.LockExternally(kPath, win::kFileShareRead);  // a reader that shares: we still may not read
  EXPECT_EQ(Read3bsVersion(session->platform.files, kPath), 0);
  fake.files.ReleaseExternalLocks(kPath);
  fake.files.InjectFailure(fakes::FileOp::Seek, kPath, win::kErrorReadFault);
  EXPECT_EQ(ReadPakVersion(session->platform.files, kPath), 0);
  fake.files.InjectFailure(fakes::FileOp::Read, kPath, win::kErrorReadFault);
  EXPECT_EQ(ReadCokVersion(session->platform.files, kPath), 0);
  EXPECT_EQ(fake.files.OpenHandleCount(), 0);
  EXPECT_TRUE(fake.ui.boxes.empty());
}

class LngVersionTest : public VersionReaderTest {
 protected:
  std::optional<std::int32_t> Read(const std::string& bytes) {
    fake.files.AddFile(kLng, bytes);
    return TryReadLngVersion(fake.files, kLng);
  }
  static constexpr const char* kLng = "C:\\Velora\\language\\english.lng";
};

TEST_F(LngVersionTest, TakesTheLineAfterTheLangverHeaderInAnyCaseElseTheLastLine) {
  EXPECT_EQ(Read("[langname]\r\nEnglish\r\n[langver]\r\n12\r\n[langver]\r\n13\r\n"), 12);
  EXPECT_EQ(Read("[LangVer] comment\r\n-7\r\nmore\r\n"), -7);
  EXPECT_EQ(Read(" [langver]\r\n5\r\n42"), 42);  // a blank before "[" is no header
  EXPECT_EQ(fake.files.OpenHandleCount(), 0);
}

TEST_F(LngVersionTest, NoNumberAHeaderOnTheLastLineOrAFailedReadIsNoVersionAndNoFileIsZero) {
  EXPECT_EQ(Read("[langname]\r\nEnglish\r\n"), std::nullopt);
  EXPECT_EQ(Read("[langver]"), std::nullopt);
  EXPECT_EQ(Read("[langver]\r\n 5\r\n"), std::nullopt);  // the value line is converted untrimmed
  fake.files.InjectFailure(fakes::FileOp::Read, kLng, win::kErrorReadFault);
  EXPECT_EQ(Read("[langver]\r\n3\r\n"), std::nullopt);
  EXPECT_EQ(TryReadLngVersion(fake.files, "C:\\Velora\\language\\missing.lng"), 0);
  EXPECT_EQ(fake.files.OpenHandleCount(), 0);
  EXPECT_TRUE(fake.ui.boxes.empty());
}

class ExeVersionTest : public VersionReaderTest {
 protected:
  static constexpr const char* kExe = "C:\\Velora\\Velora.exe";
  void SetUp() override { fake.programFiles.exeTypes["c:\\velora\\velora.exe"] = 0x04000000 | 'E' << 8 | 'P'; }
};

TEST_F(ExeVersionTest, ReadsFileVersionOfTheFirstTranslationOnly) {
  fake.programFiles.versionResources["c:\\velora\\velora.exe"] = {
      .translations = std::vector<std::uint32_t>{0x04E30419, 0x04B00409},
      .strings = {{"\\StringFileInfo\\041904e3\\FileVersion", "2.5.0.17"},
                  {"\\StringFileInfo\\040904b0\\FileVersion", "9.9.9.9"}}};
  EXPECT_EQ(ReadExeFileVersion(session->platform.programFiles, kExe), "2.5.0.17");
  // Without a text for the first translation there is no version, though the second has one.
  fake.programFiles.versionResources["c:\\velora\\velora.exe"].strings.erase("\\StringFileInfo\\041904e3\\FileVersion");
  EXPECT_EQ(ReadExeFileVersion(session->platform.programFiles, kExe), "");
}

TEST_F(ExeVersionTest, NoExecutableNoResourceOrNoTranslationGivesEmptyText) {
  fake.programFiles.versionResources["c:\\velora\\velora.exe"] = {
      .translations = std::nullopt, .strings = {{"\\StringFileInfo\\040904b0\\FileVersion", "1.0.0.0"}}};
  EXPECT_EQ(ReadExeFileVersion(session->platform.programFiles, kExe), "");
  fake.programFiles.versionResources["c:\\velora\\velora.exe"].translations = std::vector<std::uint32_t>{0x04B00409};
  EXPECT_EQ(ReadExeFileVersion(session->platform.programFiles, kExe), "1.0.0.0");
  fake.programFiles.exeTypes.clear();
  EXPECT_EQ(ReadExeFileVersion(session->platform.programFiles, kExe), "");
  fake.programFiles.exeTypes["c:\\velora\\velora.exe"] = 1;
  fake.programFiles.versionResources.clear();
  EXPECT_EQ(ReadExeFileVersion(session->platform.programFiles, kExe), "");
}

TEST(IsOlderVersionTest, ComparesComponentsAsNumbersFromTheLeft) {
  EXPECT_TRUE(IsOlderVersion("1.2.3.4", "1.2.10.0"));
  EXPECT_FALSE(IsOlderVersion("1.2.3.4", "1.2.3.4"));
  EXPECT_FALSE(IsOlderVersion("2.0.0.0", "1.9.9.9"));
  EXPECT_TRUE(IsOlderVersion("1.9.9.9", "2.0.0.0"));
  EXPECT_TRUE(IsOlderVersion("1.2.3.4", "1.2.3.5"));
  EXPECT_FALSE(IsOlderVersion("1.2.3.5", "1.2.3.4"));
  EXPECT_TRUE(IsOlderVersion("-1.0.0.0", "0.0.0.0"));  // signed components
}

TEST(IsOlderVersionTest, AMalformedInstalledVersionIsNotOlderAndAMalformedNewOneIs) {
  EXPECT_FALSE(IsOlderVersion("1.2.3.4", "1.2.3.4.5"));  // fifth component: the last conversion fails
  EXPECT_TRUE(IsOlderVersion("1.2.3.4.5", "1.2.3.4"));
  EXPECT_FALSE(IsOlderVersion("1.2.3.4", "1.x.3.4"));
  EXPECT_TRUE(IsOlderVersion("1.x.3.4", "1.2.3.4"));
  EXPECT_FALSE(IsOlderVersion("x.2.3.4", "y.2.3.4"));  // the installed text is taken apart first
  // Fewer than three dots, or a dot first: the component is missing, which counts as malformed.
  EXPECT_FALSE(IsOlderVersion("1.2.3.4", "1.2"));
  EXPECT_TRUE(IsOlderVersion("1.2", "1.2.3.4"));
  EXPECT_FALSE(IsOlderVersion("1.2.3.4", ".1.2.3"));
  EXPECT_FALSE(IsOlderVersion("", ""));
  // An earlier component decides before a malformed later one is reached.
  EXPECT_TRUE(IsOlderVersion("1.2.x.4", "1.3.x.4"));
}

TEST(MakeTempNameTest, PutsATildeInFrontOfTheFileName) {
  EXPECT_EQ(MakeTempName("C:\\P\\vlfw.3bs"), "C:\\P\\~vlfw.3bs");
  EXPECT_EQ(MakeTempName("vlfw.3bs"), "~vlfw.3bs");
  EXPECT_EQ(MakeTempName("C:\\a\\b!c\\x.lng"), "C:\\a\\b!c\\~x.lng");
  EXPECT_EQ(MakeTempName("C:/P/vlfw.3bs"), "~C:/P/vlfw.3bs");  // only "\" separates
  EXPECT_EQ(MakeTempName("C:\\P\\"), "C:\\~P\\");              // a trailing "\" is not looked at
  EXPECT_EQ(MakeTempName("\\x"), "\\~x");
  EXPECT_EQ(MakeTempName(""), "~");
}

}  // namespace
}  // namespace velora
