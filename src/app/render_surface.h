// The render surface: fills the client area and shows each presented back buffer as it is —
// no scaling, no filtering.
#pragma once

#include <QImage>
#include <QWidget>

namespace app {

class TRenderSurface : public QWidget {
 public:
  explicit TRenderSurface(QWidget* parent);

  // Shows one finished frame (32-bit X8R8G8B8/A8R8G8B8 rows) at once, painted straight from
  // the presented buffer while it is valid.
  void ShowFrame(int width, int height, int pitch, const void* pixels);
  // Screenshots and tests need the last frame afterwards: with this on, each frame is also
  // kept (one more copy per frame, so it is off unless asked for).
  void SetKeepFrames(bool keep) { keepFrames_ = keep; }
  const QImage& LastFrame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage frame_;       // the last frame, kept when keepFrames_ is on
  QImage presenting_;  // wraps the presented buffer during ShowFrame only
  bool keepFrames_ = false;
};

}  // namespace app
