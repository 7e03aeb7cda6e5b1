// What an unelevated user can put in the updater's way does not steer it: a link or a folder at the
// name of its temporary copy, and a download folder whose name lies outside the ANSI code page.
#include <windows.h>

#include "updater_fixture.h"

namespace velora::e2e {
namespace {

enum class Planted { SymbolicLink, HardLink, FolderWithAFile };

std::string PlantedName(const ::testing::TestParamInfo<Planted>& info) {
  const char* names[] = {"SymbolicLink", "HardLink", "FolderWithAFile"};
  return names[static_cast<int>(info.param)];
}

class ScratchNameTest : public UpdaterTest, public ::testing::WithParamInterface<Planted> {};

TEST_P(ScratchNameTest, WhatStandsAtTheCopysNameIsLeftAsItWasAndTheUpdateCompletes) {
  Installation install(DefaultInstall(0));
  const std::string scratch = install.path("~vlfw.3bs");
  const std::string target = "C:\\Program Files\\velora-target.bin";  // outside the product folder
  const std::string targetBytes = "somebody else's file, which the updater must not write";
  { std::ofstream(target, std::ios::binary) << targetBytes; }
  switch (GetParam()) {
    case Planted::SymbolicLink:
      ASSERT_TRUE(wine_tests::MakeUnixSymlink(install.folder(), "../velora-target.bin", "~vlfw.3bs"));
      break;
    case Planted::HardLink:
      ASSERT_TRUE(CreateHardLinkA(scratch.c_str(), target.c_str(), /*lpSecurityAttributes=*/nullptr));
      break;
    case Planted::FolderWithAFile:
      ASSERT_TRUE(CreateDirectoryA(scratch.c_str(), /*lpSecurityAttributes=*/nullptr));
      { std::ofstream(scratch + "\\inside.txt", std::ios::binary) << targetBytes; }
      break;
  }

  const RobotResult result = RunUpdater({}, L"modest");
  // A symbolic link is left where it was; deleting it through Windows would take its target.
  if (GetParam() == Planted::SymbolicLink) wine_tests::RemoveUnixName(install.folder(), "~vlfw.3bs");

  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten)) << FormatLog(result);
  EXPECT_TRUE(result.boxes.empty());
  EXPECT_TRUE(ReadFileBytes(install.path(kDataFileName)) == embedded_);
  EXPECT_EQ(ReadFileBytes(target), targetBytes);
  if (GetParam() == Planted::FolderWithAFile) {
    EXPECT_EQ(ReadFileBytes(scratch + "\\inside.txt"), targetBytes);
  }
  DeleteFileA(target.c_str());
}

INSTANTIATE_TEST_SUITE_P(AtTheCopysName, ScratchNameTest,
                         ::testing::Values(Planted::SymbolicLink, Planted::HardLink, Planted::FolderWithAFile),
                         PlantedName);

// A Downloads folder under a user name in another script: the updater reads its own file through the
// wide API, so it checks itself there as anywhere else.
TEST_F(UpdaterTest, ACopyInACyrillicFolderChecksItselfAndUpdates) {
  Installation install(DefaultInstall(0));
  const std::string folder = "C:\\\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7\xD0\xBA\xD0\xB8\\";  // "Загрузки"
  const std::wstring wideFolder = FromUtf8(folder);
  CreateDirectoryW(wideFolder.c_str(), /*lpSecurityAttributes=*/nullptr);
  ASSERT_TRUE(CopyFileW(FromUtf8(WinePath(VELORA_UPDATER_EXE)).c_str(), (wideFolder + L"VeloraUpdate.exe").c_str(),
                        /*bFailIfExists=*/FALSE));

  const RobotResult result = RunUpdater({Answer::Yes, Answer::No}, L"", folder + "VeloraUpdate.exe");
  DeleteFileW((wideFolder + L"VeloraUpdate.exe").c_str());
  RemoveDirectoryW(wideFolder.c_str());

  ASSERT_EQ(result.boxes.size(), 2u) << FormatLog(result);
  EXPECT_EQ(result.boxes[0].caption, "Question");
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(kExitWritten));
  EXPECT_TRUE(ReadFileBytes(install.path(kDataFileName)) == embedded_);
}

}  // namespace
}  // namespace velora::e2e
