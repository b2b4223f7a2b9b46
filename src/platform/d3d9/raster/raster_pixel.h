// Per-pixel arithmetic of the rasteriser, shared by the triangle path and the quad shortcut so
// that both give the same bits: texture addressing and sampling, the texture stage, alpha test,
// depth compare and blending. Colour channels are 0..255 values; a product of two is divided by
// 255 with rounding to nearest.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/d3d9/raster/formats.h"
#include "platform/d3d9/raster/raster.h"

namespace d3d9soft {

inline std::uint32_t Div255(std::uint32_t x) { return (x + 127) / 255; }
inline std::uint32_t Channel(std::uint32_t c, int shift) { return (c >> shift) & 0xFF; }

// ---- Texture addressing and sampling ------------------------------------------------------------

// Texel index i along a side of the given size, or -1 for the border colour.
inline int AddressTexel(std::int64_t i, int size, DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_MIRROR: {
      const std::int64_t period = 2 * static_cast<std::int64_t>(size);
      std::int64_t m = i % period;
      if (m < 0) m += period;
      return static_cast<int>(m < size ? m : period - 1 - m);
    }
    case D3DTADDRESS_CLAMP:
      return static_cast<int>(std::clamp<std::int64_t>(i, 0, size - 1));
    case D3DTADDRESS_BORDER:
      return (i < 0 || i >= size) ? -1 : static_cast<int>(i);
    case D3DTADDRESS_MIRRORONCE: {
      const std::int64_t j = i < 0 ? -1 - i : i;
      return static_cast<int>(std::min<std::int64_t>(j, size - 1));
    }
    case D3DTADDRESS_WRAP:
    default: {
      std::int64_t m = i % size;
      if (m < 0) m += size;
      return static_cast<int>(m);
    }
  }
}

inline std::uint32_t FetchTexel(const TSamplerSetup& s, int x, int y) {
  if (x < 0 || y < 0) return s.BorderColor;
  const TTextureLevelView& l = s.Level;
  return DecodeTexel(
      l.Bits + static_cast<std::ptrdiff_t>(y) * l.Pitch + static_cast<std::ptrdiff_t>(x) * l.Bpp,
      l.Format);
}

// Texel coordinates carry 16 fraction bits; texel i covers [i, i + 1).
inline constexpr int kTexelFractionBits = 16;

inline std::uint32_t Bilinear(std::uint32_t c00, std::uint32_t c10, std::uint32_t c01,
                              std::uint32_t c11, std::uint32_t fx, std::uint32_t fy) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t top = Channel(c00, shift) * (256 - fx) + Channel(c10, shift) * fx;
    const std::uint32_t bottom = Channel(c01, shift) * (256 - fx) + Channel(c11, shift) * fx;
    out |= ((top * (256 - fy) + bottom * fy + 32768) >> 16) << shift;
  }
  return out;
}

// Linear filtering weighs the four texels whose centres (i + 0.5) surround the coordinate.
struct TLinearTap {
  int I0, I1;
  std::uint32_t Weight;  // 0..255, the share of I1
};

inline TLinearTap LinearTap(std::int64_t coord, int size, DWORD mode) {
  const std::int64_t c = coord - (std::int64_t{1} << (kTexelFractionBits - 1));
  const std::int64_t i0 = c >> kTexelFractionBits;
  return TLinearTap{AddressTexel(i0, size, mode), AddressTexel(i0 + 1, size, mode),
                    static_cast<std::uint32_t>((c >> (kTexelFractionBits - 8)) & 0xFF)};
}

inline std::uint32_t SampleTexture(const TSamplerSetup& s, bool linear, std::int64_t u,
                                   std::int64_t v) {
  if (!s.Bound) return 0xFFFFFFFFu;
  if (!linear) {
    return FetchTexel(s, AddressTexel(u >> kTexelFractionBits, s.Level.Width, s.AddressU),
                      AddressTexel(v >> kTexelFractionBits, s.Level.Height, s.AddressV));
  }
  const TLinearTap tu = LinearTap(u, s.Level.Width, s.AddressU);
  const TLinearTap tv = LinearTap(v, s.Level.Height, s.AddressV);
  return Bilinear(FetchTexel(s, tu.I0, tv.I0), FetchTexel(s, tu.I1, tv.I0),
                  FetchTexel(s, tu.I0, tv.I1), FetchTexel(s, tu.I1, tv.I1), tu.Weight, tv.Weight);
}

// ---- Texture stage 0 ----------------------------------------------------------------------------

struct TStageInputs {
  std::uint32_t Texture;
  std::uint32_t Diffuse;
  std::uint32_t Specular;
};

inline std::uint32_t StageArgument(DWORD arg, const TStageInputs& in, const TStageSetup& st,
                                   bool forAlpha) {
  std::uint32_t v;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_TEXTURE:
      v = in.Texture;
      break;
    case D3DTA_TFACTOR:
      v = st.TextureFactor;
      break;
    case D3DTA_SPECULAR:
      v = in.Specular;
      break;
    case D3DTA_DIFFUSE:
    case D3DTA_CURRENT:  // stage 0: the current colour is the diffuse colour
    default:
      v = in.Diffuse;
      break;
  }
  if (arg & D3DTA_COMPLEMENT) v = ~v;
  if ((arg & D3DTA_ALPHAREPLICATE) && !forAlpha) v = (v >> 24) * 0x01010101u;
  return v;
}

inline std::uint32_t StageOp(DWORD op, std::uint32_t a, std::uint32_t b) {
  switch (op) {
    case D3DTOP_SELECTARG1:
      return a;
    case D3DTOP_SELECTARG2:
      return b;
    case D3DTOP_MODULATE:
      return Div255(a * b);
    case D3DTOP_MODULATE2X:
      return std::min<std::uint32_t>(255, Div255(2 * a * b));
    case D3DTOP_MODULATE4X:
      return std::min<std::uint32_t>(255, Div255(4 * a * b));
    case D3DTOP_ADD:
      return std::min<std::uint32_t>(255, a + b);
    case D3DTOP_SUBTRACT:
      return a > b ? a - b : 0;
    default:
      return a;
  }
}

// Colour and alpha of texture stage 0, plus the specular colour when it is enabled.
inline std::uint32_t ShadePixel(const TRasterState& rs, const TStageInputs& in) {
  const TStageSetup& st = rs.Stage;
  std::uint32_t rgb;
  if (st.ColorOp == D3DTOP_DISABLE) {
    rgb = in.Diffuse & 0xFFFFFF;
  } else {
    const std::uint32_t a = StageArgument(st.ColorArg1, in, st, false);
    const std::uint32_t b = StageArgument(st.ColorArg2, in, st, false);
    rgb = StageOp(st.ColorOp, Channel(a, 16), Channel(b, 16)) << 16 |
          StageOp(st.ColorOp, Channel(a, 8), Channel(b, 8)) << 8 |
          StageOp(st.ColorOp, Channel(a, 0), Channel(b, 0));
  }
  std::uint32_t alpha;
  if (st.ColorOp == D3DTOP_DISABLE || st.AlphaOp == D3DTOP_DISABLE) {
    alpha = in.Diffuse >> 24;
  } else {
    alpha = StageOp(st.AlphaOp, StageArgument(st.AlphaArg1, in, st, true) >> 24,
                    StageArgument(st.AlphaArg2, in, st, true) >> 24);
  }
  if (rs.SpecularEnable) {
    rgb = std::min<std::uint32_t>(255, Channel(rgb, 16) + Channel(in.Specular, 16)) << 16 |
          std::min<std::uint32_t>(255, Channel(rgb, 8) + Channel(in.Specular, 8)) << 8 |
          std::min<std::uint32_t>(255, Channel(rgb, 0) + Channel(in.Specular, 0));
  }
  return alpha << 24 | rgb;
}

// ---- Tests and blending -------------------------------------------------------------------------

inline bool Compare(DWORD func, std::uint32_t value, std::uint32_t reference) {
  switch (func) {
    case D3DCMP_NEVER:
      return false;
    case D3DCMP_LESS:
      return value < reference;
    case D3DCMP_EQUAL:
      return value == reference;
    case D3DCMP_LESSEQUAL:
      return value <= reference;
    case D3DCMP_GREATER:
      return value > reference;
    case D3DCMP_NOTEQUAL:
      return value != reference;
    case D3DCMP_GREATEREQUAL:
      return value >= reference;
    case D3DCMP_ALWAYS:
    default:
      return true;
  }
}

// Blend factor for one channel (shift 24 is alpha).
inline std::uint32_t BlendFactor(DWORD factor, std::uint32_t src, std::uint32_t dst, int shift,
                                 std::uint32_t constant) {
  const std::uint32_t sa = src >> 24, da = dst >> 24;
  switch (factor) {
    case D3DBLEND_ZERO:
      return 0;
    case D3DBLEND_SRCCOLOR:
      return Channel(src, shift);
    case D3DBLEND_INVSRCCOLOR:
      return 255 - Channel(src, shift);
    case D3DBLEND_SRCALPHA:
      return sa;
    case D3DBLEND_INVSRCALPHA:
      return 255 - sa;
    case D3DBLEND_DESTALPHA:
      return da;
    case D3DBLEND_INVDESTALPHA:
      return 255 - da;
    case D3DBLEND_DESTCOLOR:
      return Channel(dst, shift);
    case D3DBLEND_INVDESTCOLOR:
      return 255 - Channel(dst, shift);
    case D3DBLEND_SRCALPHASAT:
      return shift == 24 ? 255 : std::min(sa, 255 - da);
    case D3DBLEND_BLENDFACTOR:
      return Channel(constant, shift);
    case D3DBLEND_INVBLENDFACTOR:
      return 255 - Channel(constant, shift);
    case D3DBLEND_ONE:
    default:
      return 255;
  }
}

// Source over destination with the blend factors and operation; dst carries 0xFF as its alpha
// when the target has none.
inline std::uint32_t BlendPixel(const TRasterState& rs, std::uint32_t src, std::uint32_t dst) {
  DWORD sf = rs.SrcBlend, df = rs.DestBlend;
  if (sf == D3DBLEND_BOTHSRCALPHA) {
    sf = D3DBLEND_SRCALPHA;
    df = D3DBLEND_INVSRCALPHA;
  } else if (sf == D3DBLEND_BOTHINVSRCALPHA) {
    sf = D3DBLEND_INVSRCALPHA;
    df = D3DBLEND_SRCALPHA;
  }
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t s = Channel(src, shift), d = Channel(dst, shift);
    std::uint32_t v;
    switch (rs.BlendOp) {
      case D3DBLENDOP_MIN:
        v = std::min(s, d);
        break;
      case D3DBLENDOP_MAX:
        v = std::max(s, d);
        break;
      default: {
        const std::int32_t sp =
            static_cast<std::int32_t>(s * BlendFactor(sf, src, dst, shift, rs.BlendFactor));
        const std::int32_t dp =
            static_cast<std::int32_t>(d * BlendFactor(df, src, dst, shift, rs.BlendFactor));
        std::int32_t x = rs.BlendOp == D3DBLENDOP_SUBTRACT      ? sp - dp
                         : rs.BlendOp == D3DBLENDOP_REVSUBTRACT ? dp - sp
                                                                : sp + dp;
        v = x <= 0 ? 0 : std::min<std::uint32_t>(255, Div255(static_cast<std::uint32_t>(x)));
        break;
      }
    }
    out |= v << shift;
  }
  return out;
}

inline std::uint32_t WriteMaskBits(DWORD mask) {
  return ((mask & 1) ? 0x00FF0000u : 0) | ((mask & 2) ? 0x0000FF00u : 0) |
         ((mask & 4) ? 0x000000FFu : 0) | ((mask & 8) ? 0xFF000000u : 0);
}

// Alpha test, depth test and write, blending and the colour write mask for one pixel.
inline void OutputPixel(const TRasterState& rs, const TRasterTarget& rt, std::uint32_t* pixel,
                        std::uint32_t* depth, std::uint32_t z, std::uint32_t colour) {
  if (rs.AlphaTest && !Compare(rs.AlphaFunc, colour >> 24, rs.AlphaRef)) return;
  if (rs.DepthTest && depth != nullptr) {
    if (!Compare(rs.DepthFunc, z, *depth)) return;
  }
  if (rs.DepthWrite && depth != nullptr) *depth = z;
  const std::uint32_t dst = rt.OpaqueAlpha ? (*pixel | 0xFF000000u) : *pixel;
  std::uint32_t out = rs.Blend ? BlendPixel(rs, colour, dst) : colour;
  if (rs.ColorWriteMask != 0xF) {
    const std::uint32_t keep = WriteMaskBits(rs.ColorWriteMask);
    out = (out & keep) | (dst & ~keep);
  }
  if (rt.OpaqueAlpha) out |= 0xFF000000u;
  *pixel = out;
}

}  // namespace d3d9soft
