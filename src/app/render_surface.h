// The render surface: fills the client area and shows each presented back buffer there, at a
// whole multiple of its size (each pixel a block, black around) or fitted smoothly to the area
// (frame_placement.h).
#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <QWindow>

#include <memory>

#include "app/frame_placement.h"
#include "app/x11_output.h"
#include "platform/base/owner_window.h"

namespace app {

class TRenderSurface : public QWidget {
 public:
  explicit TRenderSurface(QWidget* parent);

  // The size of the frames to come (before the first one arrives) and how they are scaled.
  void SetFrameSize(QSize size) { frameSize_ = size; }
  void SetScaling(TScaling scaling);
  // Where the frame stands in the surface now, in device pixels.
  TFramePlacement Placement() const;
  // A rectangle of the surface in device pixels, from one in its own (logical) coordinates.
  QRect ToDevice(const QRect& logical) const;

  // Shows one finished frame (32-bit X8R8G8B8/A8R8G8B8 rows) at once, straight from the
  // presented buffer while it is valid: only where it changed, when the window still shows the
  // frame before it everywhere else. On an X server the frame goes straight into the window,
  // past Qt's painting; the part under the cover, and every other window system, go through Qt.
  void ShowFrame(int width, int height, int pitch, const void* pixels, const TFrameChange& change);
  // Screenshots and tests need the last frame afterwards: with this on, each frame is also
  // kept (one more copy per frame, so it is off unless asked for).
  void SetKeepFrames(bool keep) {
    keepFrames_ = keep;
    if (!keep) frame_ = QImage();  // kept again from a whole frame
  }
  const QImage& LastFrame() const { return frame_; }  // at the frame's own size
  // The last frame went straight into the X window (not through Qt's painting).
  bool ShownByX() const { return shownByX_; }
  // A sibling widget on top of the surface (the answer field). Painting the frame under it makes
  // Qt paint the widget again, so that part is painted only when the frame's pixels there change.
  void SetCoveredBy(QWidget* cover) { cover_ = cover; }
  // From now on the surface is plain black and shows no more frames: behind a fatal error's
  // box, where no frame comes again to paint what the box uncovers.
  void Blank();

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The desktop's scale (device pixels per logical pixel); while a frame is shown, as it was
  // when the frame came.
  double Ratio() const { return frameRatio_ > 0 ? frameRatio_ : devicePixelRatioF(); }
  // The output straight into the X window, made for the window the widget is shown in; none
  // before it is shown or where it cannot serve.
  TX11Output* X11Output();
  // The X output's frame into the window again, but for the cover: after an expose, Qt shows its
  // own backing store there, which frames put straight into the window never reached.
  void PutKeptFrame();
  // The cover's rectangle in this widget, or an empty one.
  QRect CoverRect() const;
  // The frame pixels the cover touches, or an empty rectangle.
  QRect CoverFrameRect(const TFramePlacement& placed) const;
  // A region of frame pixels as the area of this widget (logical coordinates) it is shown in.
  QRegion ToWidget(const TFramePlacement& placed, const QRegion& frameRegion) const;
  // The X window's point where the frame's origin is put.
  QPoint XOrigin(const TFramePlacement& placed) const;
  // The surface less the frame, in the X window's pixels.
  QRegion XAround(const TFramePlacement& placed) const;
  // Keeps the frame's pixels under the cover; true when they changed.
  bool KeepCovered(const QRect& cover, int pitch, const unsigned char* pixels);

  QImage frame_;       // the last frame, kept when keepFrames_ is on
  QImage presenting_;  // wraps the presented buffer during ShowFrame only
  QImage covered_;     // the last frame's pixels under the cover
  QRect coveredRect_;  // where covered_ belongs, in frame pixels
  QSize frameSize_{1, 1};
  TScaling scaling_ = TScaling::Integer;
  TFramePlacement shown_;  // where the last frame was shown
  bool shownByX_ = false;  // and whether it went straight into the X window
  // Frames still shown whole, with black around, after the window changed: the server may
  // resize the X window after some of them arrived.
  int settling_ = 0;
  QRegion stale_;          // frame pixels painted since without a frame: shown with the next one
  double frameRatio_ = 0;  // the scale during ShowFrame (0 outside it)
  QPointer<QWidget> cover_;
  bool keepFrames_ = false;
  bool blank_ = false;
  std::unique_ptr<TX11Output> x11_;
  QPointer<QWindow> x11Window_;  // the window x11_ was made for (tried once per window)
};

}  // namespace app
