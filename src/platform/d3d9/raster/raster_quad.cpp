// The shortcut for axis-aligned quads (every sprite the game draws). It covers exactly the pixels
// the two triangles cover and computes every value with the same exact arithmetic, only once per
// column and once per row instead of once per pixel.
#include <algorithm>
#include <vector>

#include "platform/d3d9/raster/raster_internal.h"
#include "platform/d3d9/raster/raster_pixel.h"

namespace d3d9soft {

namespace {

bool IsTextureTimesDiffuse(DWORD op, DWORD arg1, DWORD arg2) {
  auto isDiffuse = [](DWORD a) { return a == D3DTA_DIFFUSE || a == D3DTA_CURRENT; };
  return op == D3DTOP_MODULATE &&
         ((arg1 == D3DTA_TEXTURE && isDiffuse(arg2)) || (arg2 == D3DTA_TEXTURE && isDiffuse(arg1)));
}

// True when the sprite kernel computes exactly what ShadePixel and OutputPixel would.
bool KernelApplies(const TRasterTarget& rt, const TRasterState& rs, std::uint32_t specular,
                   bool& blend) {
  const TStageSetup& st = rs.Stage;
  if (!IsTextureTimesDiffuse(st.ColorOp, st.ColorArg1, st.ColorArg2) ||
      !IsTextureTimesDiffuse(st.AlphaOp, st.AlphaArg1, st.AlphaArg2)) {
    return false;
  }
  if (rs.SpecularEnable && (specular & 0xFFFFFF) != 0) return false;
  if (rs.AlphaTest && rs.AlphaFunc != D3DCMP_ALWAYS) return false;
  if (rt.Depth != nullptr && (rs.DepthTest || rs.DepthWrite)) return false;
  if (rs.ColorWriteMask != 0xF) return false;
  blend = rs.Blend;
  if (!blend) return true;
  if (rs.BlendOp != D3DBLENDOP_ADD) return false;
  return (rs.SrcBlend == D3DBLEND_SRCALPHA && rs.DestBlend == D3DBLEND_INVSRCALPHA) ||
         rs.SrcBlend == D3DBLEND_BOTHSRCALPHA;
}

// A quad that leaves every pixel as it is still owes the target its pending fill.
bool NothingDrawn(const TRasterTarget& rt) {
  WritePendingFill(rt);
  return true;
}

// Texel coordinates at the pixel centres p, p + one pixel, p + two pixels, ... of a side running
// from (p0, t0) to (p1, t1): floor((t0 (p1 - p) + t1 (p - p0)) / (p1 - p0)) at each. Sprites'
// values fit 64-bit arithmetic, where the quotient and remainder are carried from one centre to
// the next and no division is left per pixel; other values take the exact 128-bit division.
class TSideWalk {
 public:
  TSideWalk(std::int64_t p0, std::int64_t t0, std::int64_t p1, std::int64_t t1, std::int64_t p)
      : P0_(p0), T0_(t0), P1_(p1), T1_(t1), P_(p) {
    constexpr std::int64_t kSmall = std::int64_t{1} << 30;
    auto small = [](std::int64_t x) { return x > -kSmall && x < kSmall; };
    Small_ = small(t0) && small(t1) && small(p1 - p0) && small(p - p0) && small(p1 - p);
    if (!Small_) return;
    std::int64_t num = t0 * (p1 - p) + t1 * (p - p0), step = (t1 - t0) * kSubpixelOne;
    Den_ = p1 - p0;
    if (Den_ < 0) num = -num, step = -step, Den_ = -Den_;
    Split(num, Q_, R_);
    Split(step, StepQ_, StepR_);
  }

  // The coordinate at the current centre; then moves to the next.
  std::int64_t Next() {
    if (!Small_) {
      const std::int64_t p = P_;
      P_ += kSubpixelOne;
      return static_cast<std::int64_t>(
          FloorDiv(Int128(T0_) * (P1_ - p) + Int128(T1_) * (p - P0_), P1_ - P0_));
    }
    const std::int64_t q = Q_;
    Q_ += StepQ_;
    R_ += StepR_;
    if (R_ >= Den_) ++Q_, R_ -= Den_;
    return q;
  }

 private:
  // x = q * Den_ + r with 0 <= r < Den_.
  void Split(std::int64_t x, std::int64_t& q, std::int64_t& r) const {
    q = x / Den_;
    r = x % Den_;
    if (r < 0) --q, r += Den_;
  }

  std::int64_t P0_, T0_, P1_, T1_, P_;
  bool Small_ = false;
  std::int64_t Den_ = 1, Q_ = 0, R_ = 0, StepQ_ = 0, StepR_ = 0;
};

// The per-column tables and the row of texels, kept from one sprite to the next: a frame draws
// a hundred of them.
struct TQuadScratch {
  std::vector<int> Columns, Columns1;
  std::vector<std::uint32_t> ColumnWeights, Texels;
};

TQuadScratch& Scratch() {
  thread_local TQuadScratch scratch;
  return scratch;
}

}  // namespace

bool DrawQuadShortcut(const TRasterTarget& rt, const TRasterState& rs,
                      const TRasterVertex* vertices) {
  const TSamplerSetup& sampler = rs.Sampler;
  TSetupVertex v[4];
  for (int i = 0; i < 4; ++i) {
    if (!SetupVertex(vertices[i], sampler, v[i])) return false;
  }
  if (v[0].Y != v[1].Y || v[2].Y != v[3].Y || v[0].X != v[2].X || v[1].X != v[3].X) return false;
  // Snapped to nothing: neither triangle covers a pixel.
  if (v[0].X == v[1].X || v[0].Y == v[2].Y) return NothingDrawn(rt);
  for (int i = 1; i < 4; ++i) {
    if (v[i].Z != v[0].Z || v[i].Rhw != v[0].Rhw || v[i].Diffuse != v[0].Diffuse ||
        v[i].Specular != v[0].Specular) {
      return false;
    }
  }
  if (sampler.Bound &&
      (v[0].U != v[2].U || v[1].U != v[3].U || v[0].V != v[1].V || v[2].V != v[3].V)) {
    return false;
  }

  // Both triangles wind the same way: clockwise on screen when the area is positive.
  const Int128 area = Int128(v[1].X - v[0].X) * (v[2].Y - v[0].Y);
  if (rs.CullMode == D3DCULL_CCW && area < 0) return NothingDrawn(rt);
  if (rs.CullMode == D3DCULL_CW && area > 0) return NothingDrawn(rt);

  // Centres on the left and top sides are inside, those on the right and bottom sides are not.
  const int col0 = static_cast<int>(
      std::max<std::int64_t>(CeilDiv64(std::min(v[0].X, v[1].X), kSubpixelOne), rt.ClipLeft));
  const int col1 = static_cast<int>(
      std::min<std::int64_t>(CeilDiv64(std::max(v[0].X, v[1].X), kSubpixelOne), rt.ClipRight));
  const int row0 = static_cast<int>(
      std::max<std::int64_t>(CeilDiv64(std::min(v[0].Y, v[2].Y), kSubpixelOne), rt.ClipTop));
  const int row1 = static_cast<int>(
      std::min<std::int64_t>(CeilDiv64(std::max(v[0].Y, v[2].Y), kSubpixelOne), rt.ClipBottom));
  if (col0 >= col1 || row0 >= row1) return NothingDrawn(rt);
  const int width = col1 - col0;

  const std::uint32_t diffuse = v[0].Diffuse, specular = v[0].Specular, z = v[0].Z;
  bool blend = false;
  const bool kernel = KernelApplies(rt, rs, specular, blend);
  // A sprite blended with zero alpha changes nothing.
  if (kernel && blend && (diffuse >> 24) == 0) return NothingDrawn(rt);

  bool linear = false;
  TQuadScratch& scratch = Scratch();
  std::vector<int>& columns = scratch.Columns;    // point: texel column; linear: I0 of each tap
  std::vector<int>& columns1 = scratch.Columns1;  // linear: I1
  std::vector<std::uint32_t>& columnWeights = scratch.ColumnWeights;
  bool contiguous = false;
  bool noBorderColumns = true;
  if (sampler.Bound) {
    const bool minified = IsMinified(v[1].U - v[0].U, v[1].X - v[0].X) ||
                          IsMinified(v[2].V - v[0].V, v[2].Y - v[0].Y);
    linear = (minified ? sampler.MinFilter : sampler.MagFilter) == D3DTEXF_LINEAR;
    columns.resize(width);
    if (linear) {
      columns1.resize(width);
      columnWeights.resize(width);
    }
    TSideWalk walk(v[0].X, v[0].U, v[1].X, v[1].U,
                   static_cast<std::int64_t>(col0) << kSubpixelBits);
    for (int i = 0; i < width; ++i) {
      const std::int64_t u = walk.Next();
      if (linear) {
        const TLinearTap tap = LinearTap(u, sampler.Level.Width, sampler.AddressU);
        columns[i] = tap.I0;
        columns1[i] = tap.I1;
        columnWeights[i] = tap.Weight;
      } else {
        columns[i] = AddressTexel(u >> kTexelFractionBits, sampler.Level.Width, sampler.AddressU);
      }
    }
    noBorderColumns = std::all_of(columns.begin(), columns.end(), [](int c) { return c >= 0; });
    if (!linear && sampler.Level.Format == D3DFMT_A8R8G8B8 && noBorderColumns) {
      contiguous = true;
      for (int i = 1; i < width && contiguous; ++i) contiguous = columns[i] == columns[0] + i;
    }
  }

  // A sprite over the whole viewport just after a clear draws over the clear's colour without
  // the clear ever being written.
  const bool overFill = rt.FillPending && kernel && rt.RowMask == nullptr && col0 == rt.ClipLeft &&
                        col1 == rt.ClipRight && row0 == rt.ClipTop && row1 == rt.ClipBottom;
  if (!overFill) WritePendingFill(rt);

  std::vector<std::uint32_t>& texels = scratch.Texels;
  texels.assign(static_cast<std::size_t>(width), 0xFFFFFFFFu);
  TSideWalk rows(v[0].Y, v[0].V, v[2].Y, v[2].V, static_cast<std::int64_t>(row0) << kSubpixelBits);
  for (int y = row0; y < row1; ++y) {
    const std::uint32_t* src = texels.data();
    if (rt.RowMask != nullptr && rt.RowMask[y] == 0) {
      if (sampler.Bound) rows.Next();
      continue;
    }
    if (sampler.Bound) {
      const std::int64_t t = rows.Next();
      if (linear) {
        const TLinearTap tap = LinearTap(t, sampler.Level.Height, sampler.AddressV);
        for (int i = 0; i < width; ++i) {
          texels[i] = Bilinear(
              FetchTexel(sampler, columns[i], tap.I0), FetchTexel(sampler, columns1[i], tap.I0),
              FetchTexel(sampler, columns[i], tap.I1), FetchTexel(sampler, columns1[i], tap.I1),
              columnWeights[i], tap.Weight);
        }
      } else {
        const int row =
            AddressTexel(t >> kTexelFractionBits, sampler.Level.Height, sampler.AddressV);
        if (row >= 0 && sampler.Level.Format == D3DFMT_A8R8G8B8 && noBorderColumns) {
          const std::uint32_t* texRow = reinterpret_cast<const std::uint32_t*>(
              sampler.Level.Bits + static_cast<std::ptrdiff_t>(row) * sampler.Level.Pitch);
          if (contiguous) {
            src = texRow + columns[0];
          } else {
            // Plain pointers: the loop then keeps them in registers.
            const int* column = columns.data();
            std::uint32_t* texel = texels.data();
            for (int i = 0; i < width; ++i) texel[i] = texRow[column[i]];
          }
        } else {
          for (int i = 0; i < width; ++i) texels[i] = FetchTexel(sampler, columns[i], row);
        }
      }
    }
    std::uint32_t* dst = rt.Pixels + static_cast<std::size_t>(y) * rt.PitchPixels + col0;
    if (overFill) {
      ModulateSpanOver(dst, src, width, diffuse, blend, rt.OpaqueAlpha, rt.Fill);
      continue;
    }
    std::uint32_t* depth =
        rt.Depth ? rt.Depth + static_cast<std::size_t>(y) * rt.DepthPitch + col0 : nullptr;
    ForEachMaskedSpan(rt, y, col0, col1, [&](int left, int right) {
      const int from = left - col0, count = right - left;
      if (kernel) {
        ModulateSpan(dst + from, src + from, count, diffuse, blend, rt.OpaqueAlpha);
        return;
      }
      for (int i = from; i < from + count; ++i) {
        const TStageInputs in{src[i], diffuse, specular};
        OutputPixel(rs, rt, dst + i, depth ? depth + i : nullptr, z, ShadePixel(rs, in));
      }
    });
  }
  return true;
}

}  // namespace d3d9soft
