// Where the game's fixed-size frame stands in a window of any size: a whole multiple of it,
// centred with black around (each frame pixel a k × k block), or the largest size that keeps its
// aspect ratio (smoothly scaled). All in the window's device pixels.
#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>

namespace app {

enum class TScaling { Integer, Fit };

struct TFramePlacement {
  QSize Frame;    // the frame's own size
  QRect Target;   // where it is shown, in device pixels of the area
  int Scale = 1;  // the whole multiple, or 0 when the frame is scaled by a fraction (fit)

  // The area a rectangle of frame pixels covers (for a fraction: every device pixel it touches).
  QRect ToArea(const QRect& frameRect) const;
  // The frame pixels a rectangle of the area touches, within the frame.
  QRect ToFrame(const QRect& areaRect) const;
  // The exact place of a frame rectangle in the area, fractions kept.
  QRectF ToAreaF(const QRectF& frameRect) const;
  // Device pixels per frame pixel.
  double Factor() const;

  bool operator==(const TFramePlacement&) const = default;
};

// The frame placed in an area. An area smaller than the frame shows it at 1×, centred (cut).
TFramePlacement PlaceFrame(QSize frame, QSize area, TScaling scaling);

}  // namespace app
