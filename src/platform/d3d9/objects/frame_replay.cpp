#include "platform/d3d9/objects/frame_replay.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "platform/d3d9/objects/soft_objects.h"

namespace d3d9soft {

namespace {

// Rows fetched ahead of the one being restored.
constexpr LONG kRowsAhead = 8;

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

void TChangedArea::Add(LONG left, LONG top, LONG right, LONG bottom) {
  left = std::max<LONG>(left, 0);
  top = std::max<LONG>(top, 0);
  right = std::min<LONG>(right, static_cast<LONG>(Width_));
  bottom = std::min<LONG>(bottom, static_cast<LONG>(Rows_.size()));
  if (left >= right || top >= bottom) return;
  const int firstBlock = left / BlockWidth_;
  const int lastBlock = (right - 1) / BlockWidth_;
  const std::uint64_t bits =
      (lastBlock == 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (lastBlock + 1)) - 1) &
      ~((std::uint64_t{1} << firstBlock) - 1);
  for (LONG y = top; y < bottom; ++y) Rows_[y] |= bits;
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
  const LONG left = std::max<LONG>(r.left, 0), right = std::min<LONG>(r.right, Width_);
  const LONG top = std::max<LONG>(r.top, 0);
  const LONG bottom = std::min<LONG>(r.bottom, static_cast<LONG>(Rows_.size()));
  if (left >= right || top >= bottom) return false;
  const int firstBlock = left / BlockWidth_;
  const int lastBlock = (right - 1) / BlockWidth_;
  const std::uint64_t bits =
      (lastBlock == 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (lastBlock + 1)) - 1) &
      ~((std::uint64_t{1} << firstBlock) - 1);
  for (LONG y = top; y < bottom; ++y) {
    if (Rows_[y] & bits) return true;
  }
  return false;
}

std::vector<RECT> TChangedArea::Rects(int bandRows) const {
  std::vector<RECT> rects;
  const LONG height = static_cast<LONG>(Rows_.size());
  const LONG band = std::max(1, bandRows);
  auto blocksAt = [&](LONG y) {
    std::uint64_t blocks = 0;
    for (LONG i = y; i < std::min(height, y + band); ++i) blocks |= Rows_[i];
    return blocks;
  };
  for (LONG y = 0; y < height;) {
    const std::uint64_t row = blocksAt(y);
    LONG end = std::min(height, y + band);
    while (end < height && blocksAt(end) == row) end = std::min(height, end + band);
    // Each run of blocks is one rectangle.
    for (std::uint64_t blocks = row; blocks != 0;) {
      const int first = std::countr_zero(blocks);
      const int count = std::countr_one(blocks >> first);
      blocks = first + count >= 64 ? 0 : blocks & ~((std::uint64_t{1} << (first + count)) - 1);
      const LONG left = static_cast<LONG>(first) * BlockWidth_;
      const LONG right = std::min(static_cast<LONG>(Width_), left + count * BlockWidth_);
      rects.push_back(RECT{left, y, right, end});
    }
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
  TRasterTarget t;
  t.Pixels = reinterpret_cast<std::uint32_t*>(Kept_.data());
  t.PitchPixels = static_cast<std::size_t>(target.Pitch) / 4;
  t.OpaqueAlpha = target.Format == D3DFMT_X8R8G8B8;
  t.ClipRight = static_cast<int>(target.Width);
  t.ClipBottom = static_cast<int>(target.Height);
  t.FillPending = true;
  t.Fill = Fill_;
  DrawTriangles(t, first.State, first.Type, first.Vertices.data(), first.Count);
  KeptDraw_ = first;
  KeptFill_ = Fill_;
  return true;
}

void TFrameReplay::Redraw(TPixelBuffer& target, const TChangedArea& area) {
  TRasterTarget t;
  t.Pixels = reinterpret_cast<std::uint32_t*>(target.Bits.data());
  t.PitchPixels = static_cast<std::size_t>(target.Pitch) / 4;
  t.OpaqueAlpha = target.Format == D3DFMT_X8R8G8B8;
  t.ClipRight = static_cast<int>(target.Width);
  t.ClipBottom = static_cast<int>(target.Height);
  if (!area.All()) {
    t.RowMask = area.RowMask();
    t.MaskBlockWidth = area.BlockWidth();
  }
  // There the frame starts from the kept background, or from the fill.
  const bool fromKept = KeepFirstDraw(target);
  for (const RECT& part : area.Rects()) {
    const std::size_t bytes = static_cast<std::size_t>(part.right - part.left) * 4;
    auto to = [&](LONG y) { return target.Row(static_cast<UINT>(y)) + part.left * 4; };
    auto from = [&](LONG y) {
      return Kept_.data() + static_cast<std::size_t>(y) * target.Pitch + part.left * 4;
    };
    // Both pictures have left the cache since the last frame, and a few dozen bytes a row are
    // too short for the processor to fetch ahead by itself: rows further down are asked for
    // while this one is copied.
    auto fetchAhead = [&](LONG y) {
      if (y >= part.bottom) return;
      for (std::size_t offset = 0; offset < bytes; offset += 64) {
        if (fromKept) __builtin_prefetch(from(y) + offset, 0);
        __builtin_prefetch(to(y) + offset, 1);
      }
    };
    for (LONG y = part.top; y < part.top + kRowsAhead; ++y) fetchAhead(y);
    for (LONG y = part.top; y < part.bottom; ++y) {
      fetchAhead(y + kRowsAhead);
      if (fromKept) {
        std::memcpy(to(y), from(y), bytes);
      } else {
        auto* row = reinterpret_cast<std::uint32_t*>(to(y));
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
