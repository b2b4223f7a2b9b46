// Pieces of the rasteriser that its own files share.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/d3d9/raster/raster.h"
#include "platform/d3d9/raster/raster_setup.h"

namespace d3d9soft {

// Calls span(left, right) for each run of columns in [left, right) of row y that the target's
// row mask lets through (the whole range without a mask).
template <class Span>
void ForEachMaskedSpan(const TRasterTarget& target, int y, int left, int right, Span&& span) {
  if (target.RowMask == nullptr) {
    if (left < right) span(left, right);
    return;
  }
  const int width = target.MaskBlockWidth;
  ForEachBitRun(target.RowMask[y], [&](int first, int count) {
    const int from = std::max(left, first * width);
    const int to = std::min(right, (first + count) * width);
    if (from < to) span(from, to);
  });
}

void DrawTriangle(const TRasterTarget& target, const TRasterState& state, const TSetupVertex& a,
                  const TSetupVertex& b, const TSetupVertex& c);

// Writes a target's pending fill into its pixels.
void WritePendingFill(const TRasterTarget& target);

// Draws a two-triangle strip that forms an axis-aligned rectangle with texture coordinates along
// its sides and one colour; false (nothing drawn) for any other strip.
bool DrawQuadShortcut(const TRasterTarget& target, const TRasterState& state,
                      const TRasterVertex* vertices);

// dst[i] = texel src[i] times the colour, then (blend) src-alpha over dst: the game's sprite.
// opaqueAlpha keeps 0xFF in the top byte of every written pixel.
void ModulateSpan(std::uint32_t* dst, const std::uint32_t* src, int count, std::uint32_t colour,
                  bool blend, bool opaqueAlpha);

// ModulateSpan over a target whose pixels all hold `under` but are not yet written: every pixel
// is written, none is read.
void ModulateSpanOver(std::uint32_t* dst, const std::uint32_t* src, int count, std::uint32_t colour,
                      bool blend, bool opaqueAlpha, std::uint32_t under);

// The plain C++ version of ModulateSpan; the vector version must give the same bits.
void ModulateSpanScalar(std::uint32_t* dst, const std::uint32_t* src, int count,
                        std::uint32_t colour, bool blend, bool opaqueAlpha);

// The sprite kernels, plainest first.
enum class TKernels { Plain, Avx2, Avx512 };
bool KernelsAvailable(TKernels kernels);
// Uses those kernels, or the widest available below them.
void UseKernels(TKernels kernels);
// Chooses the widest vector kernels the processor has (default) or the plain ones.
void UseVectorKernels(bool enable);
bool VectorKernelsAvailable();

}  // namespace d3d9soft
