// The render surface: fills the client area and shows each presented back buffer as it is —
// no scaling, no filtering.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include "platform/base/owner_window.h"

namespace app {

class TRenderSurface : public QWidget {
 public:
  explicit TRenderSurface(QWidget* parent);

  // Shows one finished frame (32-bit X8R8G8B8/A8R8G8B8 rows) at once, painted straight from
  // the presented buffer while it is valid: only where it changed, when the window still shows
  // the frame before it everywhere else.
  void ShowFrame(int width, int height, int pitch, const void* pixels, const TFrameChange& change);
  // Screenshots and tests need the last frame afterwards: with this on, each frame is also
  // kept (one more copy per frame, so it is off unless asked for).
  void SetKeepFrames(bool keep) {
    keepFrames_ = keep;
    if (!keep) frame_ = QImage();  // kept again from a whole frame
  }
  const QImage& LastFrame() const { return frame_; }
  // A sibling widget on top of the surface (the answer field). Painting the frame under it makes
  // Qt paint the widget again, so that part is painted only when the frame's pixels there change.
  void SetCoveredBy(QWidget* cover) { cover_ = cover; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The cover's rectangle in this widget, or an empty one.
  QRect CoverRect() const;
  // Keeps the frame's pixels under the cover; true when they changed.
  bool KeepCovered(const QRect& cover, int pitch, const unsigned char* pixels);

  QImage frame_;       // the last frame, kept when keepFrames_ is on
  QImage presenting_;  // wraps the presented buffer during ShowFrame only
  QImage covered_;     // the last frame's pixels under the cover
  QRect coveredRect_;  // where covered_ belongs
  QSize shown_;        // the size of the last frame shown
  QRegion stale_;      // painted since without a frame: shown again with the next one
  QPointer<QWidget> cover_;
  bool keepFrames_ = false;
};

}  // namespace app
