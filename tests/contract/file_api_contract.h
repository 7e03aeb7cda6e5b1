// What every implementation of the file seam must do as Windows does it: share modes and the sharing
// violation, moves with and without replacing, attributes, wildcard listings, appending writes, hard
// links and the link count. One suite, instantiated over the host's fake and over the real adapter under Wine,
// so the fake cannot drift from Windows unnoticed.
//
// A System type gives: a member `files` (the platform::FileApi), Root() (an empty scratch folder
// ending in "\") and MakeFolder(path).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_api.h"
#include "platform/win_constants.h"

namespace velora::contract {

template <class System>
class FileApiContract : public ::testing::Test {
 protected:
  platform::FileApi& files() { return system_.files; }
  std::string At(const std::string& name) { return system_.Root() + name; }
  void MakeFolder(const std::string& name) { system_.MakeFolder(At(name)); }

  /// Creates (or empties) the file and writes bytes into it.
  void MakeFile(const std::string& name, const std::string& bytes) {
    auto file = files().Open(At(name), win::kGenericWrite, win::kFileShareNone, win::kCreateAlways);
    ASSERT_EQ(file.error, 0u) << name;
    ASSERT_EQ(file.value->Write(bytes), 0u) << name;
  }
  std::string ContentsOf(const std::string& name) {
    auto file = files().Open(At(name), win::kGenericRead, win::kFileShareRead, win::kOpenExisting);
    if (!file.ok()) return "<error " + std::to_string(file.error) + ">";
    return file.value->Read(4096).value;
  }
  platform::WinError OpenError(const std::string& name, std::uint32_t access, std::uint32_t share,
                               std::uint32_t disposition = win::kOpenExisting) {
    return files().Open(At(name), access, share, disposition).error;
  }

  System system_;
};

TYPED_TEST_SUITE_P(FileApiContract);

TYPED_TEST_P(FileApiContract, OpenHonoursShareModesBothWays) {
  this->MakeFile("data.bin", "0123456789");
  constexpr auto kRead = win::kGenericRead, kWrite = win::kGenericWrite;
  constexpr auto kShareRead = win::kFileShareRead, kShareBoth = win::kFileShareRead | win::kFileShareWrite;
  {
    auto alone = this->files().Open(this->At("data.bin"), kRead, win::kFileShareNone, win::kOpenExisting);
    ASSERT_EQ(alone.error, 0u);
    EXPECT_EQ(this->OpenError("data.bin", kRead, kShareBoth), win::kErrorSharingViolation);
  }
  {
    auto reader = this->files().Open(this->At("data.bin"), kRead, kShareRead, win::kOpenExisting);
    ASSERT_EQ(reader.error, 0u);
    EXPECT_EQ(this->OpenError("data.bin", kRead, kShareRead), 0u);
    EXPECT_EQ(this->OpenError("data.bin", kWrite, kShareBoth), win::kErrorSharingViolation);          // no write shared
    EXPECT_EQ(this->OpenError("data.bin", kRead, win::kFileShareNone), win::kErrorSharingViolation);  // it reads
    EXPECT_EQ(this->OpenError("data.bin", kRead, win::kFileShareWrite), win::kErrorSharingViolation);
  }
  {
    auto writer = this->files().Open(this->At("data.bin"), kWrite, kShareBoth, win::kOpenExisting);
    ASSERT_EQ(writer.error, 0u);
    EXPECT_EQ(this->OpenError("data.bin", kRead, kShareRead), win::kErrorSharingViolation);  // it writes
    EXPECT_EQ(this->OpenError("data.bin", kRead, kShareBoth), 0u);
  }
  EXPECT_EQ(this->OpenError("data.bin", kRead, win::kFileShareNone), 0u);  // every handle closed again
}

TYPED_TEST_P(FileApiContract, OpenOfWhatIsNotThereOrIsAFolder) {
  this->MakeFolder("sub");
  EXPECT_EQ(this->OpenError("missing.bin", win::kGenericRead, 0), win::kErrorFileNotFound);
  EXPECT_EQ(this->OpenError("nowhere\\missing.bin", win::kGenericRead, 0), win::kErrorPathNotFound);
  EXPECT_EQ(this->OpenError("nowhere\\new.bin", win::kGenericWrite, 0, win::kCreateAlways), win::kErrorPathNotFound);
  EXPECT_EQ(this->OpenError("sub", win::kGenericRead, 0), win::kErrorAccessDenied);
  this->MakeFile("data.bin", "long contents");
  this->MakeFile("data.bin", "short");  // CREATE_ALWAYS empties the file first
  EXPECT_EQ(this->ContentsOf("data.bin"), "short");
}

TYPED_TEST_P(FileApiContract, MoveReplacesOnlyWhenAskedAndNeverAFolder) {
  this->MakeFile("new.bin", "new");
  this->MakeFile("old.bin", "old");
  this->MakeFolder("sub");
  auto& files = this->files();
  EXPECT_EQ(files.Move(this->At("new.bin"), this->At("old.bin"), 0), win::kErrorAlreadyExists);
  EXPECT_EQ(files.Move(this->At("new.bin"), this->At("sub"), 0), win::kErrorAlreadyExists);
  EXPECT_EQ(files.Move(this->At("new.bin"), this->At("sub"), win::kMoveFileReplaceExisting), win::kErrorAccessDenied);
  EXPECT_EQ(files.Move(this->At("missing.bin"), this->At("other.bin"), 0), win::kErrorFileNotFound);
  EXPECT_EQ(files.Move(this->At("new.bin"), this->At("nowhere\\new.bin"), 0), win::kErrorPathNotFound);
  EXPECT_EQ(this->ContentsOf("old.bin"), "old");
  EXPECT_EQ(
      files.Move(this->At("new.bin"), this->At("old.bin"), win::kMoveFileReplaceExisting | win::kMoveFileWriteThrough),
      0u);
  EXPECT_EQ(this->ContentsOf("old.bin"), "new");
  EXPECT_EQ(files.Attributes(this->At("new.bin")).error, win::kErrorFileNotFound);
}

TYPED_TEST_P(FileApiContract, AnOpenFileIsNotMovedOrDeletedWithoutDeleteSharing) {
  this->MakeFile("held.bin", "held");
  this->MakeFile("new.bin", "new");
  auto& files = this->files();
  {
    auto held = files.Open(this->At("held.bin"), win::kGenericRead, win::kFileShareRead, win::kOpenExisting);
    ASSERT_EQ(held.error, 0u);
    EXPECT_EQ(files.Move(this->At("held.bin"), this->At("moved.bin"), 0), win::kErrorSharingViolation);
    EXPECT_EQ(files.Move(this->At("new.bin"), this->At("held.bin"), win::kMoveFileReplaceExisting),
              win::kErrorAccessDenied);
    EXPECT_EQ(files.Delete(this->At("held.bin")), win::kErrorSharingViolation);
  }
  EXPECT_EQ(this->ContentsOf("held.bin"), "held");
  EXPECT_EQ(files.Delete(this->At("held.bin")), 0u);
  EXPECT_EQ(files.Delete(this->At("held.bin")), win::kErrorFileNotFound);
}

TYPED_TEST_P(FileApiContract, AttributesOfAFileAFolderAndNothing) {
  this->MakeFile("data.bin", "x");
  this->MakeFolder("sub");
  auto& files = this->files();
  const auto file = files.Attributes(this->At("data.bin"));
  ASSERT_EQ(file.error, 0u);
  EXPECT_EQ(file.value & win::kFileAttributeDirectory, 0u);
  EXPECT_EQ(file.value & win::kFileAttributeArchive, win::kFileAttributeArchive);  // set on every new file
  const auto folder = files.Attributes(this->At("sub"));
  ASSERT_EQ(folder.error, 0u);
  EXPECT_EQ(folder.value & win::kFileAttributeDirectory, win::kFileAttributeDirectory);
  EXPECT_EQ(files.Attributes(this->At("sub\\")).error, 0u);
  EXPECT_EQ(files.Attributes(this->At("missing.bin")).error, win::kErrorFileNotFound);
  EXPECT_EQ(files.Attributes(this->At("nowhere\\missing.bin")).error, win::kErrorPathNotFound);
}

TYPED_TEST_P(FileApiContract, FindFilesListsWhatMatchesThePattern) {
  this->MakeFile("a.txt", "12345");
  this->MakeFile("b.log", "1");
  this->MakeFolder("sub");
  auto names = [this](const std::string& pattern) {
    std::vector<std::string> found;
    for (const auto& entry : this->files().FindFiles(this->At(pattern)).value) {
      found.push_back(entry.name + ((entry.attributes & win::kFileAttributeDirectory) ? "\\" : "") + " " +
                      std::to_string(entry.size));
    }
    std::sort(found.begin(), found.end());  // the order is the file system's own
    return found;
  };
  EXPECT_EQ(names("*.txt"), std::vector<std::string>{"a.txt 5"});
  EXPECT_EQ(names("?.log"), std::vector<std::string>{"b.log 1"});
  EXPECT_EQ(names("*"), (std::vector<std::string>{"..\\ 0", ".\\ 0", "a.txt 5", "b.log 1", "sub\\ 0"}));
  EXPECT_EQ(names("*.*"), names("*"));
  const auto none = this->files().FindFiles(this->At("*.exe"));
  EXPECT_EQ(none.error, win::kErrorFileNotFound);
  EXPECT_TRUE(none.value.empty());
  EXPECT_EQ(this->files().FindFiles(this->At("nowhere\\*")).error, win::kErrorPathNotFound);
}

TYPED_TEST_P(FileApiContract, AppendOnlyWritesGoToTheEndWhereverThePointerIs) {
  this->MakeFile("log.txt", "first\r\n");
  {
    auto log = this->files().Open(this->At("log.txt"), win::kFileAppendData, win::kFileShareRead, win::kOpenAlways);
    ASSERT_EQ(log.error, 0u);
    ASSERT_EQ(log.value->Seek(0), 0u);
    EXPECT_EQ(log.value->Write("second\r\n"), 0u);
  }
  EXPECT_EQ(this->ContentsOf("log.txt"), "first\r\nsecond\r\n");
  {
    auto writer = this->files().Open(this->At("log.txt"), win::kGenericWrite, win::kFileShareNone, win::kOpenExisting);
    ASSERT_EQ(writer.error, 0u);
    EXPECT_EQ(writer.value->Write("FIRST"), 0u);  // with write access the pointer decides: from the start
  }
  EXPECT_EQ(this->ContentsOf("log.txt"), "FIRST\r\nsecond\r\n");
}

TYPED_TEST_P(FileApiContract, InformationOfAnOpenFile) {
  this->MakeFile("data.bin", std::string(3000, 'x'));
  auto file = this->files().Open(this->At("data.bin"), win::kGenericRead, win::kFileShareRead, win::kOpenExisting);
  ASSERT_EQ(file.error, 0u);
  const auto information = file.value->Information();
  ASSERT_EQ(information.error, 0u);
  EXPECT_EQ(information.value.size, 3000u);
  EXPECT_EQ(information.value.links, 1u);
  EXPECT_EQ(information.value.attributes & win::kFileAttributeDirectory, 0u);
  EXPECT_EQ(file.value->Read(10).value, std::string(10, 'x'));
  ASSERT_EQ(file.value->Seek(2995), 0u);
  EXPECT_EQ(file.value->Read(10).value, std::string(5, 'x'));  // fewer at the end
  EXPECT_EQ(file.value->Read(10).value, "");

  // A second name for the same bytes; a name already taken is not one.
  EXPECT_EQ(this->files().AddHardLink(this->At("second name.bin"), this->At("data.bin")), 0u);
  EXPECT_EQ(file.value->Information().value.links, 2u);
  EXPECT_EQ(this->ContentsOf("second name.bin"), std::string(3000, 'x'));
  EXPECT_EQ(this->files().AddHardLink(this->At("second name.bin"), this->At("data.bin")), win::kErrorAlreadyExists);
}

// A rename through a handle replaces only when asked, and the handle goes with the file; a folder opens
// with backup semantics. Wine 8 refuses a rename relative to a folder handle (ERROR_INVALID_PARAMETER)
// and does not ask for DELETE access, which Windows does: only full paths are pinned here.
TYPED_TEST_P(FileApiContract, ARenameThroughAHandleAndAnOpenedFolder) {
  this->MakeFolder("dir");
  this->MakeFile("dir\\new.bin", "new");
  this->MakeFile("dir\\old.bin", "old");
  auto& files = this->files();
  auto folder = files.OpenWithFlags(this->At("dir"), win::kFileReadAttributes, win::kFileShareRead, win::kOpenExisting,
                                    win::kFileFlagBackupSemantics | win::kFileFlagOpenReparsePoint);
  ASSERT_EQ(folder.error, 0u);
  EXPECT_NE(folder.value->Information().value.attributes & win::kFileAttributeDirectory, 0u);
  auto file = files.OpenWithFlags(this->At("dir\\new.bin"), win::kGenericRead | win::kDelete, win::kFileShareNone,
                                  win::kOpenExisting, win::kFileAttributeNormal);
  ASSERT_EQ(file.error, 0u);
  EXPECT_EQ(file.value->RenameTo(nullptr, this->At("dir\\old.bin"), false), win::kErrorAlreadyExists);
  EXPECT_EQ(file.value->RenameTo(nullptr, this->At("dir\\old.bin"), true), 0u);
  EXPECT_EQ(file.value->Information().value.size, 3u);
  file.value.reset();
  EXPECT_EQ(this->ContentsOf("dir\\old.bin"), "new");
  EXPECT_EQ(files.Attributes(this->At("dir\\new.bin")).error, win::kErrorFileNotFound);
}

REGISTER_TYPED_TEST_SUITE_P(FileApiContract, ARenameThroughAHandleAndAnOpenedFolder, OpenHonoursShareModesBothWays,
                            OpenOfWhatIsNotThereOrIsAFolder, MoveReplacesOnlyWhenAskedAndNeverAFolder,
                            AnOpenFileIsNotMovedOrDeletedWithoutDeleteSharing, AttributesOfAFileAFolderAndNothing,
                            FindFilesListsWhatMatchesThePattern, AppendOnlyWritesGoToTheEndWhereverThePointerIs,
                            InformationOfAnOpenFile);

}  // namespace velora::contract
