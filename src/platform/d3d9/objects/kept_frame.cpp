#include "platform/d3d9/objects/kept_frame.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/d3d9/objects/soft_objects.h"
#include "platform/d3d9/raster/formats.h"

namespace d3d9soft {

void TKeptFrame::Restore(TPixelBuffer& target) {
  const std::size_t rowBytes = static_cast<std::size_t>(Width_) * 4;
  for (UINT y = 0; y < target.Height; ++y) {
    std::uint64_t blocks = Damaged_[y];
    Damaged_[y] = 0;
    const std::size_t row = static_cast<std::size_t>(y) * target.Pitch;
    // Each run of damaged blocks is one copy.
    while (blocks != 0) {
      const int first = std::countr_zero(blocks);
      const int count = std::countr_one(blocks >> first);
      blocks = count + first >= 64 ? 0 : blocks & ~((std::uint64_t{1} << (first + count)) - 1);
      const std::size_t from = static_cast<std::size_t>(first) * BlockWidth_ * 4;
      const std::size_t to =
          std::min(rowBytes, from + static_cast<std::size_t>(count) * BlockWidth_ * 4);
      std::memcpy(target.Bits.data() + row + from, Pixels_.data() + row + from, to - from);
    }
  }
}

void TKeptFrame::Remember(TFirstDraw draw, const TPixelBuffer& target) {
  // Only 32-bit targets: the copies work in whole pixels of four bytes.
  const bool keep = BytesPerPixel(target.Format) == 4 && Last_ && *Last_ == draw;
  Last_ = std::move(draw);
  Kept_ = keep;
  if (!keep) return;
  Pixels_.assign(target.Bits.begin(), target.Bits.end());
  Width_ = target.Width;
  Damaged_.assign(target.Height, 0);
  // Up to 64 blocks a row, of 32 columns at least.
  BlockWidth_ = std::max<int>(32, static_cast<int>((target.Width + 63) / 64));
}

void TKeptFrame::Damage(double left, double top, double right, double bottom) {
  if (!Kept_) return;
  const double width = Width_, height = static_cast<double>(Damaged_.size());
  const int x0 = static_cast<int>(std::clamp(left, 0.0, width));
  const int x1 = static_cast<int>(std::clamp(right, 0.0, width));
  const int y0 = static_cast<int>(std::clamp(top, 0.0, height));
  const int y1 = static_cast<int>(std::clamp(bottom, 0.0, height));
  if (x0 >= x1) return;
  const int firstBlock = x0 / BlockWidth_;
  const int lastBlock = (x1 - 1) / BlockWidth_;
  const std::uint64_t bits =
      (lastBlock == 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (lastBlock + 1)) - 1) &
      ~((std::uint64_t{1} << firstBlock) - 1);
  for (int y = y0; y < y1; ++y) Damaged_[y] |= bits;
}

}  // namespace d3d9soft
