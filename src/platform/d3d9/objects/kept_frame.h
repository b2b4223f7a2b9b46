// A frame usually starts as the one before it did: a clear of the whole back buffer, then the
// same background drawn over it. The first draw after such a clear sets every pixel from its own
// inputs alone (the clear colour, the device state, the vertices, the texture's contents), so
// its picture can be kept; when the next frame starts with the very same draw, the back buffer
// already holds that picture everywhere except where the rest of the last frame drew, and only
// those pixels are copied back. The picture is kept from the second frame in a row that starts
// alike, so a first draw that changes every frame costs nothing extra.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/d3d9/raster/raster.h"

namespace d3d9soft {

struct TPixelBuffer;

class TKeptFrame {
 public:
  // Everything the first draw after a whole clear depends on.
  struct TFirstDraw {
    std::uint32_t Fill = 0;
    TRasterState State;
    D3DPRIMITIVETYPE Type = D3DPT_TRIANGLELIST;
    UINT Count = 0;
    std::vector<TRasterVertex> Vertices;
    bool operator==(const TFirstDraw&) const = default;
  };

  // True when drawing `draw` on the cleared target would leave the kept picture.
  bool Holds(const TFirstDraw& draw) const { return Kept_ && Last_ && *Last_ == draw; }
  // Makes the target the kept picture again (valid only after Holds).
  void Restore(TPixelBuffer& target);
  // After a first draw was drawn on target the usual way.
  void Remember(TFirstDraw draw, const TPixelBuffer& target);
  // A later draw may change pixels in [left, right) x [top, bottom) (finite bounds).
  void Damage(double left, double top, double right, double bottom);
  // The target was changed some other way: nothing is known about it any more.
  void Forget() {
    Last_.reset();
    Kept_ = false;
  }

 private:
  std::optional<TFirstDraw> Last_;
  bool Kept_ = false;  // Pixels_ is Last_'s picture; the target differs from it only in Damaged_
  std::vector<std::uint8_t> Pixels_;  // rows as the target lays them out
  UINT Width_ = 0;
  // Per row, one bit for each block of BlockWidth_ columns that may have changed.
  std::vector<std::uint64_t> Damaged_;
  int BlockWidth_ = 32;
};

}  // namespace d3d9soft
