// The render surface: fills the client area and shows each presented back buffer as it is —
// no scaling, no filtering.
#pragma once

#include <QImage>
#include <QWidget>

namespace app {

class TRenderSurface : public QWidget {
 public:
  explicit TRenderSurface(QWidget* parent);

  // Copies one finished frame (32-bit X8R8G8B8/A8R8G8B8 rows) and schedules a repaint.
  void ShowFrame(int width, int height, int pitch, const void* pixels);
  const QImage& LastFrame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage frame_;
};

}  // namespace app
