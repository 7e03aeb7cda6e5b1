// Starting the product: as the signed-in user with the desktop shell's token, and ShellExecuteA where
// that cannot be done; the product's shared-memory object is let go first.
#include <gtest/gtest.h>

#include <algorithm>

#include "driver/product.h"
#include "driver/session.h"
#include "support/fake_windows.h"
#include "support/test_session.h"

namespace velora {
namespace {

constexpr std::uint32_t kShellProcess = 4242;

class ProductStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.files.AddFolder("C:\\Apps\\Velora");
    session->Environment.ProductFolder = "C:\\Apps\\Velora\\";
  }

  void ExpectShellExecuteFallback() {
    ASSERT_EQ(fake.system.shellStarts.size(), 1u);
    const auto& start = fake.system.shellStarts[0];
    EXPECT_EQ(start.verb, "open");
    EXPECT_EQ(start.file, "C:\\Apps\\Velora\\Velora.exe");
    EXPECT_EQ(start.parameters, "");
    EXPECT_EQ(start.directory, "");
    EXPECT_EQ(start.show, 1);
    EXPECT_EQ(fake.files.CurrentFolder(), "C:\\Apps\\Velora\\");
  }

  fakes::FakeWindows fake;
  std::unique_ptr<Session> session = fakes::MakeTestSession(fake);
};

TEST_F(ProductStartTest, RunsAsTheSignedInUserWithTheShellsTokenInTheProductFolder) {
  fake.ui.shellProcessId = kShellProcess;
  const ProductStart start = StartProduct(*session);
  EXPECT_TRUE(start.asSignedInUser);
  EXPECT_EQ(fake.system.tokenProcessIds, std::vector<std::uint32_t>{kShellProcess});
  ASSERT_EQ(fake.system.tokenStarts.size(), 1u);
  const auto& started = fake.system.tokenStarts[0];
  EXPECT_EQ(started.tokenProcessId, kShellProcess);
  EXPECT_EQ(started.application, "C:\\Apps\\Velora\\Velora.exe");
  EXPECT_EQ(started.commandLine, "\"C:\\Apps\\Velora\\Velora.exe\"");
  EXPECT_EQ(started.directory, "C:\\Apps\\Velora\\");
  EXPECT_EQ(started.show, 1);
  EXPECT_TRUE(fake.system.shellStarts.empty());
  EXPECT_EQ(fake.system.tokensOpen, 0);
}

TEST_F(ProductStartTest, FallsBackToShellExecuteWithoutAShellWindow) {
  const ProductStart start = StartProduct(*session);
  EXPECT_FALSE(start.asSignedInUser);
  EXPECT_EQ(start.fallbackReason, "no desktop shell window");
  EXPECT_TRUE(fake.system.tokenProcessIds.empty());
  ExpectShellExecuteFallback();
  EXPECT_EQ(start.shellExecuteError, 0u);
}

TEST_F(ProductStartTest, FallsBackToShellExecuteWhenTheShellsTokenCannotBeHad) {
  fake.ui.shellProcessId = kShellProcess;
  fake.system.tokenFailure = 5;
  const ProductStart start = StartProduct(*session);
  EXPECT_FALSE(start.asSignedInUser);
  EXPECT_EQ(start.fallbackError, 5u);
  EXPECT_TRUE(fake.system.tokenStarts.empty());
  ExpectShellExecuteFallback();
}

TEST_F(ProductStartTest, FallsBackToShellExecuteWhenTheTokenCannotStartTheProduct) {
  fake.ui.shellProcessId = kShellProcess;
  fake.system.tokenStartFailure = 1314;  // ERROR_PRIVILEGE_NOT_HELD
  const ProductStart start = StartProduct(*session);
  EXPECT_FALSE(start.asSignedInUser);
  EXPECT_EQ(start.fallbackError, 1314u);
  EXPECT_EQ(fake.system.tokenStarts.size(), 1u);
  ExpectShellExecuteFallback();
  EXPECT_EQ(fake.system.tokensOpen, 0);
}

// A product that refuses to start while "velora_memfile" exists must not find ours.
TEST_F(ProductStartTest, LetsTheProductsSharedMemoryGoBeforeEitherStart) {
  fake.system.existingMappings.insert("velora_memfile");
  for (const std::uint32_t shell : {kShellProcess, 0u}) {
    fake.ui.shellProcessId = shell == 0 ? std::nullopt : std::optional<std::uint32_t>(shell);
    ASSERT_TRUE(IsProductRunning(*session));
    fake.journal.clear();
    StartProduct(*session);
    const auto closed = std::find(fake.journal.begin(), fake.journal.end(), "CloseHandle velora_memfile");
    const auto started = std::find_if(fake.journal.begin(), fake.journal.end(), [](const std::string& entry) {
      return entry.rfind("OpenProcessToken", 0) == 0 || entry.rfind("ShellExecute", 0) == 0;
    });
    ASSERT_NE(closed, fake.journal.end());
    EXPECT_LT(closed, started);
    EXPECT_EQ(fake.system.mappingHandlesOpen, 0);
  }
}

}  // namespace
}  // namespace velora
