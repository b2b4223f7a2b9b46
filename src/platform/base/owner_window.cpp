#include "platform/base/owner_window.h"

#include <cstdint>

TNullWindow::TNullWindow(LONG clientWidth, LONG clientHeight, LONG borderX, LONG borderY)
    : ClientWidth_(clientWidth < 0 ? 0 : clientWidth),
      ClientHeight_(clientHeight < 0 ? 0 : clientHeight),
      BorderX_(borderX < 0 ? 0 : borderX),
      BorderY_(borderY < 0 ? 0 : borderY) {}

RECT TNullWindow::WindowRect() const {
  return RECT{Left_, Top_, Left_ + ClientWidth_ + BorderX_, Top_ + ClientHeight_ + BorderY_};
}

RECT TNullWindow::ClientRect() const { return RECT{0, 0, ClientWidth_, ClientHeight_}; }

bool TNullWindow::MoveWindow(LONG left, LONG top, LONG width, LONG height) {
  if (width < BorderX_ || height < BorderY_) return false;
  Left_ = left;
  Top_ = top;
  ClientWidth_ = width - BorderX_;
  ClientHeight_ = height - BorderY_;
  return true;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  if (window == nullptr || window == HWND_NOTOPMOST || rect == nullptr) return FALSE;
  *rect = window->ClientRect();
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  if (window == nullptr || window == HWND_NOTOPMOST || rect == nullptr) return FALSE;
  *rect = window->WindowRect();
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int x, int y, int cx, int cy, UINT flags) {
  if (window == nullptr || window == HWND_NOTOPMOST) return FALSE;
  const RECT outer = window->WindowRect();
  LONG left = outer.left, top = outer.top;
  LONG width = outer.right - outer.left, height = outer.bottom - outer.top;
  if ((flags & SWP_NOMOVE) == 0) {
    left = x;
    top = y;
  }
  if ((flags & SWP_NOSIZE) == 0) {
    width = cx;
    height = cy;
  }
  if (!window->MoveWindow(left, top, width, height)) return FALSE;
  if (flags & SWP_SHOWWINDOW) window->ShowWindow();
  return TRUE;
}
