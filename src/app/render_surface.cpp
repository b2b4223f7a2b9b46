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
  if (frame_.width() != width || frame_.height() != height) {
    frame_ = QImage(width, height, QImage::Format_RGB32);
  }
  const auto* source = static_cast<const unsigned char*>(pixels);
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  for (int y = 0; y < height; ++y) {
    std::memcpy(frame_.scanLine(y), source + static_cast<size_t>(y) * pitch, rowBytes);
  }
  update();
}

void TRenderSurface::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (frame_.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  painter.drawImage(0, 0, frame_);
}

}  // namespace app
