// Frames put straight into the game window's X window. Through Qt, every frame is painted into
// the window's backing store, sent into a pixmap on the server and copied from there into the
// window; put straight, each changed part of a frame is one request from the frame's own rows.
#pragma once

#include <QPoint>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <vector>

class QWidget;
struct xcb_connection_t;

namespace app {

class TX11Output {
 public:
  // The output for widget's top-level window, or none where it cannot serve: a windowing system
  // other than X, a scaled window (its pixels are not the frame's), or an X server whose window
  // pixels are not 32-bit little-endian words with 24 bits of colour.
  static std::unique_ptr<TX11Output> For(QWidget* widget);
  ~TX11Output();
  TX11Output(const TX11Output&) = delete;
  TX11Output& operator=(const TX11Output&) = delete;

  // The X window it puts into.
  std::uint32_t Window() const { return window_; }
  // Puts the region of a frame (32-bit X8R8G8B8 rows, pitch bytes apart) into the window, with
  // the frame's origin at window point at, and sends it on its way.
  void Put(const QRegion& region, const unsigned char* pixels, int pitch, QPoint at);

 private:
  TX11Output(xcb_connection_t* connection, std::uint32_t window, std::uint32_t gc,
             std::size_t maxRequestBytes)
      : connection_(connection), window_(window), gc_(gc), maxRequestBytes_(maxRequestBytes) {}

  xcb_connection_t* connection_;
  std::uint32_t window_;
  std::uint32_t gc_;
  std::size_t maxRequestBytes_;        // the largest request the server takes
  std::vector<unsigned char> packed_;  // one part's rows side by side, as a request carries them
};

}  // namespace app
