// The window the device draws for and the sound device belongs to. Windows knows a window only by
// its handle; here the handle (HWND) is a pointer to this interface, which the game's real window
// implements (and TNullWindow for tests and tools). The Direct3D device's Present hands the
// finished back buffer to the window's presenter; a window without one simply shows nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/base/windows_types.h"

// Where a presented frame may differ from the frame presented before it through the same window.
struct TFrameChange {
  bool Whole = true;        // nothing is known: any pixel may differ
  std::vector<RECT> Rects;  // otherwise only pixels inside these (none: the very same frame)
};

// Receives one presented frame: Width x Height pixels of 32 bits each (A8R8G8B8 layout; with an
// X8R8G8B8 back buffer the top byte means nothing), rows Pitch bytes apart, and where it changed.
// The pixels are only valid during the call.
using TPresenter = std::function<void(UINT width, UINT height, INT pitch,
                                      const std::uint32_t* pixels, const TFrameChange& change)>;

class TOwnerWindow {
 public:
  virtual ~TOwnerWindow() = default;

  // The platform's own handle (for logs and native calls); 0 when there is none.
  virtual std::uintptr_t NativeHandle() const = 0;
  // Outer frame in screen coordinates.
  virtual RECT WindowRect() const = 0;
  // Client area: left = top = 0, right = width, bottom = height.
  virtual RECT ClientRect() const = 0;
  // Moves and sizes the outer frame; false when the window refused.
  virtual bool MoveWindow(LONG left, LONG top, LONG width, LONG height) = 0;
  // Shows the window (SetWindowPos with SWP_SHOWWINDOW).
  virtual void ShowWindow() {}

  void SetPresenter(TPresenter presenter) { Presenter_ = std::move(presenter); }
  const TPresenter& Presenter() const { return Presenter_; }

 private:
  TPresenter Presenter_;
};

// A window that exists only in memory: a client area of the given size inside a frame whose
// borders tests can choose, remembering every move.
class TNullWindow : public TOwnerWindow {
 public:
  TNullWindow(LONG clientWidth, LONG clientHeight, LONG borderX = 0, LONG borderY = 0);

  std::uintptr_t NativeHandle() const override { return 0; }
  RECT WindowRect() const override;
  RECT ClientRect() const override;
  bool MoveWindow(LONG left, LONG top, LONG width, LONG height) override;
  void ShowWindow() override { Shown_ = true; }

  bool Shown() const { return Shown_; }

 private:
  LONG Left_ = 0;
  LONG Top_ = 0;
  LONG ClientWidth_;
  LONG ClientHeight_;
  LONG BorderX_;  // outer width - client width
  LONG BorderY_;  // outer height - client height
  bool Shown_ = false;
};

// ---- The window functions the graphics code calls, as Windows names them ------------------------
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;

// Z-order pseudo-handles for SetWindowPos; never dereferenced (there is no z-order here).
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2));

BOOL GetClientRect(HWND window, RECT* rect);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
