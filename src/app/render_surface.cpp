#include "app/render_surface.h"

#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>
#include <cstring>

namespace app {

namespace {

// Pixels Qt's raster engine copies without handing the work to other threads.
constexpr int kBandPixels = 32768;

}  // namespace

TRenderSurface::TRenderSurface(QWidget* parent) : QWidget(parent) {
  // We paint every pixel ourselves: no background fill, no double work.
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  setAttribute(Qt::WA_NoSystemBackground, true);
  setFocusPolicy(Qt::NoFocus);
}

QRect TRenderSurface::CoverRect() const {
  if (cover_ == nullptr || !cover_->isVisible() || cover_->parentWidget() != parentWidget()) {
    return {};
  }
  return cover_->geometry().translated(-pos()).intersected(rect());
}

bool TRenderSurface::KeepCovered(const QRect& cover, int pitch, const unsigned char* pixels) {
  const size_t rowBytes = static_cast<size_t>(cover.width()) * 4;
  auto row = [&](int dy) {
    return pixels + static_cast<size_t>(cover.top() + dy) * pitch +
           static_cast<size_t>(cover.left()) * 4;
  };
  bool changed = cover != coveredRect_ || covered_.size() != cover.size();
  for (int dy = 0; dy < cover.height() && !changed; ++dy) {
    changed = std::memcmp(row(dy), covered_.constScanLine(dy), rowBytes) != 0;
  }
  if (!changed) return false;
  if (covered_.size() != cover.size()) covered_ = QImage(cover.size(), QImage::Format_RGB32);
  coveredRect_ = cover;
  for (int dy = 0; dy < cover.height(); ++dy) std::memcpy(covered_.scanLine(dy), row(dy), rowBytes);
  return true;
}

void TRenderSurface::Blank() {
  blank_ = true;
  x11_.reset();
  frame_ = QImage();
  update();
}

void TRenderSurface::ShowFrame(int width, int height, int pitch, const void* pixels,
                               const TFrameChange& change) {
  if (blank_) return;
  const auto* source = static_cast<const unsigned char*>(pixels);
  const QRect whole(0, 0, width, height);
  QRegion region = stale_;
  stale_ = QRegion();
  if (change.Whole || shown_ != whole.size()) {
    region = whole;
  } else {
    for (const RECT& r : change.Rects)
      region += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    region &= whole;
  }
  shown_ = whole.size();
  TX11Output* x11 = X11Output();
  if (keepFrames_) {
    if (frame_.size() != whole.size()) {
      frame_ = QImage(width, height, QImage::Format_RGB32);
      region = whole;
    }
    CopyFrameRegion(region, source, pitch, frame_);
  }
  // The part under the cover is painted (and the cover over it) only when its pixels change.
  const QRect cover = CoverRect().intersected(whole);
  if (!cover.isEmpty() && (region.intersects(cover) || cover != coveredRect_) &&
      !KeepCovered(cover, pitch, source)) {
    region -= cover;
  }
  if (x11 != nullptr) {
    // All but the cover's part straight into the window; that part is Qt's to paint.
    x11->Put(x11->Keep(width, height, pitch, source, region) - cover,
             mapTo(window(), QPoint(0, 0)));
    region &= cover;
  }
  if (region.isEmpty()) return;
  // Painted now, while the device's buffer is valid: no copy on the way to the screen.
  presenting_ = QImage(source, width, height, pitch, QImage::Format_RGB32);
  repaint(region);
  presenting_ = QImage();
}

TX11Output* TRenderSurface::X11Output() {
  QWindow* shownIn = window()->windowHandle();
  if (shownIn == nullptr) return nullptr;  // not shown yet
  if (shownIn != x11Window_ || (x11_ != nullptr && x11_->Window() != shownIn->winId())) {
    x11Window_ = shownIn;
    x11_ = TX11Output::For(this);
    if (x11_ != nullptr) shownIn->installEventFilter(this);
  }
  // On a scaled screen (from the start or moved there) Qt scales the frame; the X output cannot.
  if (x11_ != nullptr && shownIn->devicePixelRatio() != 1.0) x11_.reset();
  return x11_.get();
}

void TRenderSurface::PutKeptFrame() {
  if (x11_ != nullptr) x11_->Put(QRegion(rect()) - CoverRect(), mapTo(window(), QPoint(0, 0)));
}

bool TRenderSurface::eventFilter(QObject* watched, QEvent* event) {
  if (watched == x11Window_ && event->type() == QEvent::Expose) {
    // After Qt has shown its backing store for the exposed part.
    QMetaObject::invokeMethod(this, &TRenderSurface::PutKeptFrame, Qt::QueuedConnection);
  }
  return QWidget::eventFilter(watched, event);
}

void TRenderSurface::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (blank_) {
    painter.fillRect(event->rect(), Qt::black);
    return;
  }
  if (!presenting_.isNull()) {
    // In bands small enough that Qt copies them on this thread: a large picture is split over
    // its thread pool, which costs more in waking and waiting than the copy itself.
    const int bandRows = std::max(1, kBandPixels / std::max(1, presenting_.width()));
    for (const QRect& area : event->region()) {
      const QRect part = area.intersected(presenting_.rect());
      for (int y = part.top(); y <= part.bottom(); y += bandRows) {
        const QRect band(part.left(), y, part.width(), std::min(bandRows, part.bottom() + 1 - y));
        painter.drawImage(band.topLeft(), presenting_, band);
      }
    }
    return;
  }
  // The last frame, where it is kept.
  const QImage& last = frame_.isNull() && x11_ != nullptr ? x11_->Frame() : frame_;
  if (!last.isNull()) {
    painter.drawImage(0, 0, last);
    return;
  }
  QRegion unpainted = event->region();
  if (!covered_.isNull()) {
    // The cover repaints itself (a caret, new text): the last frame beneath it.
    painter.drawImage(coveredRect_.topLeft(), covered_);
    unpainted -= coveredRect_;
  }
  // The rest (an exposed or resized window) is shown with the next frame, within a tick.
  stale_ += unpainted;
}

}  // namespace app
