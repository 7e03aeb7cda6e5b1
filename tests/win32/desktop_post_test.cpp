// What the host's fake desktop assumes of PostMessageA, checked against Windows itself.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/desktop.h"

namespace velora {
namespace {

TEST(DesktopOnWindows, APostToWindowZeroGoesToTheCallersOwnQueue) {
  MSG message{};
  PeekMessageA(&message, /*hWnd=*/nullptr, 0, 0, PM_NOREMOVE);  // gives this thread its queue
  win32::Win32Desktop desktop;
  EXPECT_EQ(desktop.PostToWindow(0, WM_APP + 7), 0u);
  ASSERT_TRUE(PeekMessageA(&message, /*hWnd=*/nullptr, WM_APP + 7, WM_APP + 7, PM_REMOVE));
  EXPECT_EQ(message.hwnd, nullptr);
}

}  // namespace
}  // namespace velora
