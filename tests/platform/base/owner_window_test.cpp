// The window a handle points to: the window functions keep the frame around the client area.
#include "platform/base/owner_window.h"

#include <gtest/gtest.h>

namespace {

TEST(OwnerWindowTest, SetWindowPosKeepsTheFrameAroundTheClientArea) {
  TNullWindow window(100, 50, 16, 39);
  RECT client, outer;
  ASSERT_TRUE(GetClientRect(&window, &client));
  ASSERT_TRUE(GetWindowRect(&window, &outer));
  EXPECT_EQ(100, client.right);
  EXPECT_EQ(116, outer.right - outer.left);
  const int width = 688 + (outer.right - outer.left) - client.right;
  const int height = 528 + (outer.bottom - outer.top) - client.bottom;
  ASSERT_TRUE(SetWindowPos(&window, HWND_NOTOPMOST, outer.left + 7, outer.top, width, height,
                           SWP_SHOWWINDOW));
  ASSERT_TRUE(GetClientRect(&window, &client));
  EXPECT_EQ(688, client.right);
  EXPECT_EQ(528, client.bottom);
  GetWindowRect(&window, &outer);
  EXPECT_EQ(7, outer.left);
  EXPECT_TRUE(window.Shown());
  EXPECT_FALSE(SetWindowPos(nullptr, nullptr, 0, 0, 1, 1, 0));
  EXPECT_FALSE(SetWindowPos(&window, nullptr, 0, 0, 1, 1, 0)) << "smaller than its frame";
  EXPECT_FALSE(GetClientRect(nullptr, &client));
}

}  // namespace
