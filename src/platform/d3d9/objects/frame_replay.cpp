#include "platform/d3d9/objects/frame_replay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/objects/soft_objects.h"

namespace d3d9soft {

namespace {

// A target over the whole of buffer's 32-bit pixels.
TRasterTarget WholeTarget(std::uint8_t* pixels, const TPixelBuffer& buffer) {
  TRasterTarget t;
  t.Pixels = reinterpret_cast<std::uint32_t*>(pixels);
  t.PitchPixels = static_cast<std::size_t>(buffer.Pitch) / 4;
  t.OpaqueAlpha = buffer.Format == D3DFMT_X8R8G8B8;
  t.ClipRight = static_cast<int>(buffer.Width);
  t.ClipBottom = static_cast<int>(buffer.Height);
  return t;
}

}  // namespace

std::optional<RECT> DrawBounds(const std::vector<TRasterVertex>& vertices) {
  double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
  for (const TRasterVertex& v : vertices) {
    if (!std::isfinite(v.X) || !std::isfinite(v.Y)) return std::nullopt;
    left = std::min<double>(left, v.X);
    top = std::min<double>(top, v.Y);
    right = std::max<double>(right, v.X);
    bottom = std::max<double>(bottom, v.Y);
  }
  // Far outside any target, clamped so that the sums below cannot overflow.
  auto pixel = [](double value) { return static_cast<LONG>(std::clamp(value, -1e6, 1e6)); };
  return RECT{pixel(std::floor(left)) - 1, pixel(std::floor(top)) - 1, pixel(std::ceil(right)) + 1,
              pixel(std::ceil(bottom)) + 1};
}

// ---- TChangedArea -------------------------------------------------------------------------------

void TChangedArea::Reset(UINT width, UINT height) {
  Width_ = width;
  // As narrow as 64 blocks cover the row: a sprite's edge adds little more than it changed.
  BlockWidth_ = std::max<int>(8, static_cast<int>((width + 63) / 64));
  Rows_.assign(height, 0);
}

std::optional<TChangedArea::TBlocks> TChangedArea::BlocksOf(const RECT& r) const {
  const LONG left = std::max<LONG>(r.left, 0);
  const LONG right = std::min<LONG>(r.right, static_cast<LONG>(Width_));
  TBlocks blocks{std::max<LONG>(r.top, 0),
                 std::min<LONG>(r.bottom, static_cast<LONG>(Rows_.size())), 0};
  if (left >= right || blocks.Top >= blocks.Bottom) return std::nullopt;
  const int firstBlock = left / BlockWidth_;
  const int lastBlock = (right - 1) / BlockWidth_;
  blocks.Bits = (lastBlock == 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (lastBlock + 1)) - 1) &
                ~((std::uint64_t{1} << firstBlock) - 1);
  return blocks;
}

void TChangedArea::Add(LONG left, LONG top, LONG right, LONG bottom) {
  if (const auto blocks = BlocksOf(RECT{left, top, right, bottom})) {
    for (LONG y = blocks->Top; y < blocks->Bottom; ++y) Rows_[y] |= blocks->Bits;
  }
}

void TChangedArea::Add(const TChangedArea& other) {
  for (std::size_t y = 0; y < Rows_.size() && y < other.Rows_.size(); ++y)
    Rows_[y] |= other.Rows_[y];
}

bool TChangedArea::Empty() const {
  return std::all_of(Rows_.begin(), Rows_.end(), [](std::uint64_t row) { return row == 0; });
}

bool TChangedArea::All() const {
  const int blocks = static_cast<int>((Width_ + BlockWidth_ - 1) / BlockWidth_);
  const std::uint64_t full = blocks >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << blocks) - 1;
  return std::all_of(Rows_.begin(), Rows_.end(),
                     [full](std::uint64_t row) { return (row & full) == full; });
}

bool TChangedArea::Touches(const RECT& r) const {
  const auto blocks = BlocksOf(r);
  if (!blocks) return false;
  for (LONG y = blocks->Top; y < blocks->Bottom; ++y) {
    if (Rows_[y] & blocks->Bits) return true;
  }
  return false;
}

std::vector<RECT> TChangedArea::Rects() const {
  std::vector<RECT> rects;
  const LONG height = static_cast<LONG>(Rows_.size());
  for (LONG y = 0; y < height;) {
    const std::uint64_t row = Rows_[y];
    LONG end = y + 1;
    while (end < height && Rows_[end] == row) ++end;
    // Each run of blocks is one rectangle.
    ForEachBitRun(row, [&](int first, int count) {
      const LONG left = static_cast<LONG>(first) * BlockWidth_;
      const LONG right = std::min(static_cast<LONG>(Width_), left + count * BlockWidth_);
      rects.push_back(RECT{left, y, right, end});
    });
    y = end;
  }
  return rects;
}

// ---- TFrameReplay -------------------------------------------------------------------------------

void TFrameReplay::Start(std::uint32_t fill) {
  Fill_ = fill;
  CurrentCount_ = 0;
  Recording_ = true;
}

void TFrameReplay::Record(const TRasterState& state, D3DPRIMITIVETYPE type, UINT count,
                          const std::vector<TRasterVertex>& vertices, const RECT& bounds) {
  if (CurrentCount_ == Current_.size()) Current_.emplace_back();
  TDraw& draw = Current_[CurrentCount_++];
  draw.State = state;
  draw.Type = type;
  draw.Count = count;
  draw.Vertices.assign(vertices.begin(), vertices.end());
  draw.Bounds = bounds;
}

void TFrameReplay::MarkDifferences(TChangedArea& area) const {
  auto mark = [&area](const TDraw& draw) {
    area.Add(draw.Bounds.left, draw.Bounds.top, draw.Bounds.right, draw.Bounds.bottom);
  };
  // Draws are paired in order: the common start, the common end, and between them draw by draw
  // when both frames have as many there (a sprite moved), or not at all. A pixel outside every
  // unpaired draw is written by the same draws in the same order in both frames.
  const std::size_t n = CurrentCount_, m = LastCount_;
  std::size_t start = 0;
  while (start < n && start < m && Current_[start].SameAs(Last_[start])) ++start;
  std::size_t end = 0;
  while (end < n - start && end < m - start && Current_[n - 1 - end].SameAs(Last_[m - 1 - end])) {
    ++end;
  }
  if (n == m) {
    for (std::size_t i = start; i < n - end; ++i) {
      if (!Current_[i].SameAs(Last_[i])) {
        mark(Current_[i]);
        mark(Last_[i]);
      }
    }
    return;
  }
  for (std::size_t i = start; i < n - end; ++i) mark(Current_[i]);
  for (std::size_t i = start; i < m - end; ++i) mark(Last_[i]);
}

bool TFrameReplay::KeepFirstDraw(const TPixelBuffer& target) {
  if (CurrentCount_ == 0) return false;
  const TDraw& first = Current_[0];
  if (KeptDraw_ && KeptFill_ == Fill_ && KeptDraw_->SameAs(first) &&
      Kept_.size() == target.Bits.size()) {
    return true;
  }
  // Kept from the second frame in a row that starts alike: a first draw that changes every frame
  // costs nothing extra.
  if (!(LastCount_ > 0 && LastFill_ == Fill_ && Last_[0].SameAs(first))) return false;
  Kept_.resize(target.Bits.size());
  TRasterTarget t = WholeTarget(Kept_.data(), target);
  t.FillPending = true;
  t.Fill = Fill_;
  DrawTriangles(t, first.State, first.Type, first.Vertices.data(), first.Count);
  KeptDraw_ = first;
  KeptFill_ = Fill_;
  return true;
}

void TFrameReplay::Redraw(TPixelBuffer& target, const TChangedArea& area) {
  TRasterTarget t = WholeTarget(target.Bits.data(), target);
  if (!area.All()) {
    t.RowMask = area.RowMask();
    t.MaskBlockWidth = area.BlockWidth();
  }
  // There the frame starts from the kept background, or from the fill.
  const bool fromKept = KeepFirstDraw(target);
  for (const RECT& part : area.Rects()) {
    for (LONG y = part.top; y < part.bottom; ++y) {
      const std::size_t offset = static_cast<std::size_t>(y) * target.Pitch + part.left * 4;
      if (fromKept) {
        std::memcpy(target.Bits.data() + offset, Kept_.data() + offset,
                    static_cast<std::size_t>(part.right - part.left) * 4);
      } else {
        auto* row = reinterpret_cast<std::uint32_t*>(target.Bits.data() + offset);
        std::fill(row, row + (part.right - part.left), Fill_);
      }
    }
  }
  for (std::size_t i = fromKept ? 1 : 0; i < CurrentCount_; ++i) {
    const TDraw& draw = Current_[i];
    if (area.Touches(draw.Bounds)) {
      DrawTriangles(t, draw.State, draw.Type, draw.Vertices.data(), draw.Count);
    }
  }
}

void TFrameReplay::Settle(TPixelBuffer& target, TChangedArea& changed) {
  if (!Recording_) return;
  Recording_ = false;
  TChangedArea redraw;
  redraw.Reset(target.Width, target.Height);
  if (HoldsLast_ && LastFill_ == Fill_) {
    MarkDifferences(redraw);
  } else {
    redraw.AddAll();
  }
  if (!redraw.Empty()) Redraw(target, redraw);
  changed.Add(redraw);
  std::swap(Last_, Current_);
  LastCount_ = CurrentCount_;
  CurrentCount_ = 0;
  LastFill_ = Fill_;
  HoldsLast_ = true;
}

}  // namespace d3d9soft
