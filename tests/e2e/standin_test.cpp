// The stand-in product: what it owns while running and how it answers WM_QUIT.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include "installation.h"

namespace velora::e2e {
namespace {

using ::testing::Contains;
using ::testing::EndsWith;
using ::testing::HasSubstr;

constexpr char kFolder[] = "C:\\velora-e2e\\standin\\";

bool CanOpenExclusively(const std::string& path) {
  win32::unique_hfile file(CreateFileA(path.c_str(), GENERIC_READ, /*dwShareMode=*/0,
                                       /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                       /*hTemplateFile=*/nullptr));
  return static_cast<bool>(file);
}

class StandIn : public ::testing::Test {
 protected:
  void Start(const std::string& ini) {
    install_.emplace(InstallSpec{.folder = kFolder, .standInIni = ini, .dataFileVersion = 7});
    process_ = StartStandIn(kFolder);
    ASSERT_TRUE(process_);
    window_ = FindWindowA("TVeloraMainForm", /*lpWindowName=*/nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (process_) {
      TerminateProcess(process_.get(), 1);
      WaitForSingleObject(process_.get(), INFINITE);
    }
    install_.reset();
  }
  std::optional<Installation> install_;
  win32::unique_handle process_;
  HWND window_ = nullptr;
};

TEST_F(StandIn, OwnsTheMappingAndWindowAndHoldsItsFileUntilWmQuit) {
  Start("hold=vlfw.3bs\r\nrelease_on_quit=1\r\n");
  {
    win32::unique_handle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, /*lpFileMappingAttributes=*/nullptr,
                                                    PAGE_READWRITE, /*dwMaximumSizeHigh=*/0,
                                                    /*dwMaximumSizeLow=*/64, "velora_memfile"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  }
  const std::string dataFile = std::string(kFolder) + kDataFileName;
  EXPECT_FALSE(CanOpenExclusively(dataFile));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  PostMessageA(window_, WM_QUIT, /*wParam=*/0, /*lParam=*/0);
  ASSERT_EQ(WaitForSingleObject(process_.get(), 30000), WAIT_OBJECT_0);
  EXPECT_TRUE(CanOpenExclusively(dataFile));

  const auto lines = StandInLogLines(kFolder);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_THAT(lines[0], HasSubstr(" start cmd=\"C:\\velora-e2e\\standin\\velora.exe\""));
  EXPECT_THAT(lines[0], EndsWith(" cwd=C:\\velora-e2e\\standin"));
  EXPECT_THAT(lines, Contains(EndsWith(" holding vlfw.3bs")));
  EXPECT_THAT(lines, Contains(EndsWith(" quit")));
  EXPECT_THAT(lines.back(), EndsWith(" end"));
}

}  // namespace
}  // namespace velora::e2e
