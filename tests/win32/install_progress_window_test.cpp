// The real progress window under Wine: made on first Show, centred, topmost, hidden and shown again
// with a new title and text, and closed with its thread when its owner goes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/progress_window.h"

namespace velora {
namespace {

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool IsTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST(ProgressWindowTest, NothingIsMadeBeforeTheFirstShow) {
  win32::Win32ProgressWindow progress;
  progress.Hide();
  progress.SetTitle("not yet");
  progress.SetText("not yet");
  EXPECT_EQ(FindWindowA("PlainWindow", /*lpWindowName=*/nullptr), nullptr);
}

TEST(ProgressWindowTest, AppearsCentredAndTopmostHidesAndShowsAgainWithANewTitle) {
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  {
    win32::Win32ProgressWindow progress;
    progress.Show("", "");
    HWND window = FindWindowA("PlainWindow", /*lpWindowName=*/nullptr);
    ASSERT_NE(window, nullptr);
    HWND label = FindWindowExA(window, /*hWndChildAfter=*/nullptr, "STATIC", /*lpszWindow=*/nullptr);
    ASSERT_NE(label, nullptr);
    EXPECT_NE(FindWindowExA(window, /*hWndChildAfter=*/nullptr, "msctls_progress32", /*lpszWindow=*/nullptr), nullptr);
    RECT placed{};
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, 308);
    EXPECT_EQ(placed.top, 346);
    EXPECT_EQ(placed.right - placed.left, 408);
    EXPECT_EQ(placed.bottom - placed.top, 76);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsTopmost(window));
    EXPECT_EQ(TextOf(window), "");
    EXPECT_EQ(TextOf(label), "");

    progress.Hide();
    EXPECT_FALSE(IsWindowVisible(window));
    progress.Show("Velora update", "vlfw.3bs");
    EXPECT_EQ(FindWindowA("PlainWindow", /*lpWindowName=*/nullptr), window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsTopmost(window));
    RECT again{};
    GetWindowRect(window, &again);
    EXPECT_TRUE(EqualRect(&placed, &again));
    EXPECT_EQ(TextOf(window), "Velora update");
    EXPECT_EQ(TextOf(label), "vlfw.3bs");
  }
  EXPECT_EQ(FindWindowA("PlainWindow", /*lpWindowName=*/nullptr), nullptr);
}

}  // namespace
}  // namespace velora
