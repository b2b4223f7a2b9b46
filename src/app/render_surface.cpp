#include "app/render_surface.h"

#include <QPainter>

#include <cstring>

namespace app {

TRenderSurface::TRenderSurface(QWidget* parent) : QWidget(parent) {
  // We paint every pixel ourselves: no background fill, no double work.
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  setAttribute(Qt::WA_NoSystemBackground, true);
  setFocusPolicy(Qt::NoFocus);
}

void TRenderSurface::ShowFrame(int width, int height, int pitch, const void* pixels) {
  if (keepFrames_) {
    if (frame_.width() != width || frame_.height() != height) {
      frame_ = QImage(width, height, QImage::Format_RGB32);
    }
    const auto* source = static_cast<const unsigned char*>(pixels);
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
      std::memcpy(frame_.scanLine(y), source + static_cast<size_t>(y) * pitch, rowBytes);
    }
  }
  // Painted now, while the device's buffer is valid: no copy on the way to the screen.
  presenting_ = QImage(static_cast<const uchar*>(pixels), width, height, pitch,
                       QImage::Format_RGB32);
  repaint();
  presenting_ = QImage();
}

void TRenderSurface::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (!presenting_.isNull()) {
    painter.drawImage(0, 0, presenting_);
  } else if (!frame_.isNull()) {
    painter.drawImage(0, 0, frame_);
  }
  // Otherwise (a repaint between frames with nothing kept) the window's backing store still
  // holds the last frame and the next one follows within a tick.
}

}  // namespace app
