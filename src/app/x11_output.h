// Frames put straight into the game window's X window. Through Qt, every frame is painted into
// the window's backing store, sent into a pixmap on the server and copied from there into the
// window. Here the output keeps the last frame where the server can read it (shared memory on the
// same machine), and each changed part is one small request naming its rectangle.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <vector>

class QWidget;
struct xcb_connection_t;

namespace app {

// Copies the region of a frame (32-bit rows, pitch bytes apart) into the same place of image;
// with a scale k, each frame pixel becomes a k × k block of image at k times its place.
void CopyFrameRegion(const QRegion& region, const unsigned char* pixels, int pitch, QImage& image,
                     int scale = 1);

// Copies one rectangle of a frame into image as CopyFrameRegion does, but only the pixels of each
// row from the first to the last that differ from image's (the top byte of a pixel aside); returns
// the smallest rectangle holding every pixel that differed (empty when none did).
QRect CopyChangedFrameRect(const QRect& part, const unsigned char* pixels, int pitch, QImage& image,
                           int scale = 1);

class TX11Output {
 public:
  // The output for widget's top-level window, or none where it cannot serve: a windowing system
  // other than X, or an X server whose window pixels are not 32-bit little-endian words with 24
  // bits of colour. (The caller puts a fractional scale through Qt.)
  static std::unique_ptr<TX11Output> For(QWidget* widget);
  ~TX11Output();
  TX11Output(const TX11Output&) = delete;
  TX11Output& operator=(const TX11Output&) = delete;

  // The X window it puts into.
  std::uint32_t Window() const { return window_; }
  // Keeps the region of a frame (32-bit X8R8G8B8 rows, pitch bytes apart); a frame of another
  // size or scale than the kept one (the first, too) is kept whole. With a scale k the frame is
  // kept k times as large, each pixel a k × k block. From 2× on, within shownAsKept (where the
  // window shows the kept frame) only the pixels that differ are kept and counted. Returns the
  // region kept (in frame pixels), which is what needs putting.
  QRegion Keep(int width, int height, int pitch, const unsigned char* pixels, const QRegion& region,
               int scale = 1, const QRegion& shownAsKept = {});
  // Puts the region (in frame pixels) of the kept frame into the window, with the frame's origin
  // at window point at, and sends it on its way.
  void Put(const QRegion& region, QPoint at);
  // Fills the region of the window (window pixels) black; sent with the next Put.
  void FillBlack(const QRegion& region);
  // The kept frame at its scale (null before the first).
  const QImage& Frame() const { return frame_; }

 private:
  TX11Output(xcb_connection_t* connection, std::uint32_t window, std::uint32_t gc,
             std::size_t maxRequestBytes)
      : connection_(connection), window_(window), gc_(gc), maxRequestBytes_(maxRequestBytes) {}
  // Memory for a frame of that size: shared with the server where it can attach it.
  void Allocate(int width, int height);
  void Release();
  // Waits until the server has read what the last Put asked for, before the kept frame changes.
  void WaitForServer();

  xcb_connection_t* connection_;
  std::uint32_t window_;
  std::uint32_t gc_;
  std::size_t maxRequestBytes_;  // the largest request the server takes
  QImage frame_;                 // over the memory below, scale_ times the frame's size
  int scale_ = 1;
  std::vector<unsigned char> memory_;  // the frame's memory when it is not shared
  void* shared_ = nullptr;             // the frame's memory when it is shared
  std::uint32_t segment_ = 0;          // the server's name for the shared memory
  bool sharedRefused_ = false;         // the server could not attach shared memory: not again
  std::uint32_t fence_ = 0;            // a request sent after the last Put's
  bool fencePending_ = false;
  bool blackPending_ = false;          // FillBlack sent since the last Put
  std::vector<unsigned char> packed_;  // one part's rows side by side, as a request carries them
};

}  // namespace app
