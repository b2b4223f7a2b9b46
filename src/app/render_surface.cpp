#include "app/render_surface.h"

#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace app {

namespace {

// Pixels Qt's raster engine copies without handing the work to other threads.
constexpr int kBandPixels = 32768;
// Frames shown whole after the frame's place changed (the window resized, the scale changed).
constexpr int kSettlingFrames = 8;

}  // namespace

TRenderSurface::TRenderSurface(QWidget* parent) : QWidget(parent) {
  // We paint every pixel ourselves: no background fill, no double work.
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  setAttribute(Qt::WA_NoSystemBackground, true);
  setFocusPolicy(Qt::NoFocus);
}

void TRenderSurface::SetScaling(TScaling scaling) {
  if (scaling_ == scaling) return;
  scaling_ = scaling;
  update();
}

QRect TRenderSurface::ToDevice(const QRect& logical) const {
  const double ratio = Ratio();
  if (ratio == 1.0) return logical;
  const QPoint topLeft(qRound(logical.left() * ratio), qRound(logical.top() * ratio));
  const QPoint end(qRound((logical.right() + 1) * ratio), qRound((logical.bottom() + 1) * ratio));
  return {topLeft, end - QPoint(1, 1)};
}

TFramePlacement TRenderSurface::Placement() const {
  return PlaceFrame(frameSize_, ToDevice(rect()).size(), scaling_);
}

QRegion TRenderSurface::ToWidget(const TFramePlacement& placed, const QRegion& frameRegion) const {
  const double ratio = Ratio();
  if (placed.Scale == 1 && placed.Target.topLeft().isNull() && ratio == 1.0) return frameRegion;
  QRegion area;
  for (const QRect& part : frameRegion) {
    const QRectF device = placed.ToAreaF(part);
    area += QRectF(device.topLeft() / ratio, device.size() / ratio).toAlignedRect();
  }
  return area;
}

QPoint TRenderSurface::XOrigin(const TFramePlacement& placed) const {
  const QPoint at = mapTo(window(), QPoint(0, 0));
  const double ratio = Ratio();
  return QPoint(qRound(at.x() * ratio), qRound(at.y() * ratio)) + placed.Target.topLeft();
}

QRegion TRenderSurface::XAround(const TFramePlacement& placed) const {
  const QPoint origin = XOrigin(placed) - placed.Target.topLeft();
  return QRegion(QRect(origin, ToDevice(rect()).size())) - placed.Target.translated(origin);
}

QRect TRenderSurface::CoverRect() const {
  if (cover_ == nullptr || !cover_->isVisible() || cover_->parentWidget() != parentWidget()) {
    return {};
  }
  return cover_->geometry().translated(-pos()).intersected(rect());
}

QRect TRenderSurface::CoverFrameRect(const TFramePlacement& placed) const {
  const QRect cover = CoverRect();
  if (cover.isEmpty()) return {};
  return placed.ToFrame(ToDevice(cover));
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
  // The desktop's scale looked up once for the frame: each lookup asks for the widget's screen.
  struct TRatioForTheFrame {
    double& Kept;
    ~TRatioForTheFrame() { Kept = 0; }
  } ratioForTheFrame{frameRatio_ = devicePixelRatioF()};
  const auto* source = static_cast<const unsigned char*>(pixels);
  const QRect whole(0, 0, width, height);
  frameSize_ = whole.size();
  const TFramePlacement placed = Placement();
  TX11Output* x11 = X11Output();
  // Fractions of a pixel are Qt's to scale smoothly; whole multiples go straight to X.
  if (placed.Scale == 0) x11 = nullptr;

  QRegion region = stale_;
  const QRegion stale = stale_;
  stale_ = QRegion();
  if (!(shown_ == placed) || shownByX_ != (x11 != nullptr)) settling_ = kSettlingFrames;
  const bool settling = settling_ > 0;
  if (settling) --settling_;
  if (change.Whole || settling) {
    region = whole;
  } else {
    for (const RECT& r : change.Rects)
      region += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    region &= whole;
  }
  shown_ = placed;
  shownByX_ = x11 != nullptr;
  if (keepFrames_) {
    if (frame_.size() != whole.size()) {
      frame_ = QImage(width, height, QImage::Format_RGB32);
      region = whole;
    }
    CopyFrameRegion(region, source, pitch, frame_);
  }
  // The part under the cover is painted (and the cover over it) only when its pixels change.
  const QRect cover = CoverFrameRect(placed).intersected(whole);
  if (!cover.isEmpty() && (region.intersects(cover) || cover != coveredRect_) &&
      !KeepCovered(cover, pitch, source)) {
    region -= cover;
  }
  if (x11 != nullptr) {
    if (settling) x11->FillBlack(XAround(placed));
    // Where the window shows the last frame put, only the pixels that differ from it go.
    const QRegion shownAsKept =
        change.Whole || settling ? QRegion() : QRegion(whole) - stale - cover;
    // All but the cover's part straight into the window; that part is Qt's to paint.
    x11->Put(x11->Keep(width, height, pitch, source, region, placed.Scale, shownAsKept) - cover,
             XOrigin(placed));
    region &= cover;
  }
  QRegion paint = ToWidget(placed, region);
  // Black around a frame whose place changed.
  if (settling && x11 == nullptr) paint += QRegion(rect()) - ToWidget(placed, whole);
  if (paint.isEmpty()) return;
  // Painted now, while the device's buffer is valid: no copy on the way to the screen.
  presenting_ = QImage(source, width, height, pitch, QImage::Format_RGB32);
  repaint(paint);
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
  return x11_.get();
}

void TRenderSurface::PutKeptFrame() {
  // After the frame's place changed the next frame is shown whole, black around it; the kept one
  // and its black would land where the answer field is now.
  if (x11_ == nullptr || !shownByX_ || !(shown_ == Placement())) return;
  const QRect whole(QPoint(0, 0), frameSize_);
  x11_->FillBlack(XAround(shown_));
  x11_->Put(QRegion(whole) - CoverFrameRect(shown_), XOrigin(shown_));
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
  const double ratio = Ratio();
  const TFramePlacement placed = Placement();
  const QRectF target(QPointF(placed.Target.topLeft()) / ratio,
                      QSizeF(placed.Target.size()) / ratio);
  if (presenting_.isNull() && frame_.isNull() && x11_ != nullptr && shownByX_ && shown_ == placed &&
      !x11_->Frame().isNull()) {
    // The X output puts the frame and the black around it straight into the window: the kept
    // frame again after an expose (PutKeptFrame), any other part painted here with the next
    // frame. Qt's backing store there is left alone (untouched, a 4K window's store costs no
    // memory); only the part the cover takes is painted, beneath the cover.
    const QRect cover = CoverRect();
    if (!cover.isEmpty()) {
      QImage frame = x11_->Frame();
      frame.setDevicePixelRatio(ratio);
      painter.setClipRect(cover);
      painter.drawImage(target.topLeft(), frame);
    }
    for (const QRect& part : (event->region() & target.toAlignedRect()) - cover) {
      stale_ += placed.ToFrame(ToDevice(part));
    }
    return;
  }
  // Black around the frame.
  const QRegion around = event->region() - target.toAlignedRect();
  for (const QRect& part : around) painter.fillRect(part, Qt::black);

  if (!presenting_.isNull() && placed.Scale == 1 && ratio == 1.0) {
    // In bands small enough that Qt copies them on this thread: a large picture is split over
    // its thread pool, which costs more in waking and waiting than the copy itself.
    const int bandRows = std::max(1, kBandPixels / std::max(1, presenting_.width()));
    const QPoint at = placed.Target.topLeft();
    for (const QRect& area : event->region()) {
      const QRect part = area.translated(-at).intersected(presenting_.rect());
      for (int y = part.top(); y <= part.bottom(); y += bandRows) {
        const QRect band(part.left(), y, part.width(), std::min(bandRows, part.bottom() + 1 - y));
        painter.drawImage(band.topLeft() + at, presenting_, band);
      }
    }
    return;
  }
  // The frame being presented or the last one kept, scaled into its place.
  const QImage& kept = !presenting_.isNull() ? presenting_ : frame_;
  if (!kept.isNull()) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform, placed.Scale == 0);
    painter.drawImage(target, kept, QRectF(kept.rect()));
    return;
  }
  QRegion unpainted = event->region() & target.toAlignedRect();
  if (!covered_.isNull()) {
    // The cover repaints itself (a caret, new text): the last frame beneath it.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, placed.Scale == 0);
    const QRectF under = placed.ToAreaF(coveredRect_);
    painter.drawImage(QRectF(under.topLeft() / ratio, under.size() / ratio), covered_,
                      QRectF(covered_.rect()));
    unpainted -= ToWidget(placed, coveredRect_);
  }
  // The rest (an exposed or resized window) is shown with the next frame, within a tick.
  for (const QRect& part : unpainted) stale_ += placed.ToFrame(ToDevice(part));
}

}  // namespace app
