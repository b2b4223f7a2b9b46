#include "app/frame_placement.h"

#include <algorithm>
#include <cmath>

namespace app {

namespace {

double Ratio(int shown, int own) { return own > 0 ? static_cast<double>(shown) / own : 1.0; }

}  // namespace

double TFramePlacement::Factor() const { return Ratio(Target.width(), Frame.width()); }

QRectF TFramePlacement::ToAreaF(const QRectF& frameRect) const {
  const double sx = Ratio(Target.width(), Frame.width());
  const double sy = Ratio(Target.height(), Frame.height());
  return {Target.left() + frameRect.left() * sx, Target.top() + frameRect.top() * sy,
          frameRect.width() * sx, frameRect.height() * sy};
}

QRect TFramePlacement::ToArea(const QRect& frameRect) const {
  if (Scale > 0) {
    return {Target.left() + frameRect.left() * Scale, Target.top() + frameRect.top() * Scale,
            frameRect.width() * Scale, frameRect.height() * Scale};
  }
  const QRectF exact = ToAreaF(frameRect);
  const int left = static_cast<int>(std::floor(exact.left()));
  const int top = static_cast<int>(std::floor(exact.top()));
  return QRect(QPoint(left, top), QPoint(static_cast<int>(std::ceil(exact.right())) - 1,
                                         static_cast<int>(std::ceil(exact.bottom())) - 1));
}

QRect TFramePlacement::ToFrame(const QRect& areaRect) const {
  const double sx = Ratio(Target.width(), Frame.width());
  const double sy = Ratio(Target.height(), Frame.height());
  const int left = static_cast<int>(std::floor((areaRect.left() - Target.left()) / sx));
  const int top = static_cast<int>(std::floor((areaRect.top() - Target.top()) / sy));
  const int right = static_cast<int>(std::ceil((areaRect.right() + 1 - Target.left()) / sx));
  const int bottom = static_cast<int>(std::ceil((areaRect.bottom() + 1 - Target.top()) / sy));
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))
      .intersected(QRect(QPoint(0, 0), Frame));
}

TFramePlacement PlaceFrame(QSize frame, QSize area, TScaling scaling) {
  TFramePlacement placed;
  placed.Frame = frame;
  if (frame.isEmpty()) return placed;
  QSize shown = frame;
  if (scaling == TScaling::Integer) {
    placed.Scale =
        std::max(1, std::min(area.width() / frame.width(), area.height() / frame.height()));
    shown = frame * placed.Scale;
  } else {
    // The largest size of the frame's shape: the narrower of the two ratios decides.
    shown = frame.scaled(area, Qt::KeepAspectRatio);
    if (shown.width() < frame.width()) shown = frame;
    placed.Scale = shown == frame ? 1 : 0;  // smooth even where the ratio happens to be whole
  }
  placed.Target = QRect(
      QPoint((area.width() - shown.width()) / 2, (area.height() - shown.height()) / 2), shown);
  return placed;
}

}  // namespace app
