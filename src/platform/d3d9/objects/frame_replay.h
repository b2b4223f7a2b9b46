// A frame is usually the one before it with a few sprites moved. From a clear of the whole back
// buffer to the moment someone looks at the pixels, the device only records its draws; then it
// compares them with the draws of the frame the back buffer already holds and draws again only
// where the two differ: there it writes the clear colour and every recorded draw that reaches in,
// clipped to that area. Every value at a pixel is computed exactly from the draw's own inputs, so
// a clipped draw writes the very pixels the whole draw writes there.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/d3d9/raster/raster.h"

namespace d3d9soft {

struct TPixelBuffer;

// Parts of a target that may have changed: per row, one bit for each block of columns (64 blocks
// cover a row), read back as rectangles.
class TChangedArea {
 public:
  // A target of that size, nothing changed.
  void Reset(UINT width, UINT height);
  // [left, right) x [top, bottom), clamped to the target.
  void Add(LONG left, LONG top, LONG right, LONG bottom);
  void AddAll() { Add(0, 0, static_cast<LONG>(Width_), static_cast<LONG>(Rows_.size())); }
  void Clear() { std::fill(Rows_.begin(), Rows_.end(), std::uint64_t{0}); }
  // Adds what other holds (a target of the same size).
  void Add(const TChangedArea& other);
  bool Empty() const;
  bool All() const;
  // Whether any changed block lies in [left, right) x [top, bottom).
  bool Touches(const RECT& r) const;
  // Disjoint rectangles covering every changed block, within the target: rows of equal blocks
  // become one rectangle per run of blocks.
  std::vector<RECT> Rects() const;
  // The rasteriser's row mask (see TRasterTarget).
  const std::uint64_t* RowMask() const { return Rows_.data(); }
  int BlockWidth() const { return BlockWidth_; }

 private:
  // The rows of r within the target and the bits of its blocks; none when it lies outside.
  struct TBlocks {
    LONG Top, Bottom;
    std::uint64_t Bits;
  };
  std::optional<TBlocks> BlocksOf(const RECT& r) const;

  UINT Width_ = 0;
  int BlockWidth_ = 8;
  std::vector<std::uint64_t> Rows_;
};

// The pixels a draw of these vertices may change: pixel centres lie at whole coordinates, so a
// covered centre lies within the vertices' bounding box, here widened by a pixel for the snapping
// of positions. None when a coordinate is not finite.
std::optional<RECT> DrawBounds(const std::vector<TRasterVertex>& vertices);

class TFrameReplay {
 public:
  struct TDraw {
    TRasterState State;
    D3DPRIMITIVETYPE Type = D3DPT_TRIANGLELIST;
    UINT Count = 0;
    std::vector<TRasterVertex> Vertices;
    RECT Bounds{};  // the pixels it may change (follows from the vertices)
    // Equal draws write equal pixels.
    bool SameAs(const TDraw& other) const {
      return Type == other.Type && Count == other.Count && State == other.State &&
             Vertices == other.Vertices;
    }
  };

  bool Recording() const { return Recording_; }
  // A frame begins on a target whose every pixel holds fill, not yet written.
  void Start(std::uint32_t fill);
  // Records a draw that changes no pixel outside bounds.
  void Record(const TRasterState& state, D3DPRIMITIVETYPE type, UINT count,
              const std::vector<TRasterVertex>& vertices, const RECT& bounds);
  // A whole clear during the frame: what was recorded would be covered anyway.
  void Drop() {
    Recording_ = false;
    CurrentCount_ = 0;
  }
  // Writes the recorded frame into target (32-bit pixels) where it may differ from what the target
  // holds, and adds those parts to changed.
  void Settle(TPixelBuffer& target, TChangedArea& changed);
  // The target was written some other way: the next frame is drawn whole.
  void Forget() { HoldsLast_ = false; }

 private:
  // Writes the recorded frame into the marked part of target.
  void Redraw(TPixelBuffer& target, const TChangedArea& area);
  // Marks where the recorded draws may give other pixels than the last frame's.
  void MarkDifferences(TChangedArea& area) const;

  // True when Kept_ shows the recorded frame's fill and first draw alone (drawing it first when
  // the frame starts as the last one did).
  bool KeepFirstDraw(const TPixelBuffer& target);

  std::vector<TDraw> Last_, Current_;  // storage reused from frame to frame
  std::size_t LastCount_ = 0, CurrentCount_ = 0;
  std::uint32_t LastFill_ = 0, Fill_ = 0;
  bool HoldsLast_ = false;  // the target shows exactly the last settled frame
  // The picture of a fill and one draw over it (the background, which most frames start with),
  // rows laid out as the target's.
  std::vector<std::uint8_t> Kept_;
  std::optional<TDraw> KeptDraw_;
  std::uint32_t KeptFill_ = 0;
  bool Recording_ = false;
};

}  // namespace d3d9soft
