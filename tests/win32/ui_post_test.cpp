// What the host's fake user interface assumes of PostMessageA, checked against Windows itself.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/ui.h"

namespace velora {
namespace {

TEST(UiOnWindows, APostToWindowZeroGoesToTheCallersOwnQueue) {
  MSG message{};
  PeekMessageA(&message, /*hWnd=*/nullptr, 0, 0, PM_NOREMOVE);  // gives this thread its queue
  win32::Win32Ui ui;
  EXPECT_EQ(ui.PostToWindow(0, WM_APP + 7), 0u);
  ASSERT_TRUE(PeekMessageA(&message, /*hWnd=*/nullptr, WM_APP + 7, WM_APP + 7, PM_REMOVE));
  EXPECT_EQ(message.hwnd, nullptr);
}

}  // namespace
}  // namespace velora
