// The general path: one triangle at a time, edge functions in integers, every value at a pixel
// computed exactly from integer barycentric weights.
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/d3d9/raster/raster.h"
#include "platform/d3d9/raster/raster_internal.h"
#include "platform/d3d9/raster/raster_pixel.h"
#include "platform/d3d9/raster/raster_setup.h"

namespace d3d9soft {

std::uint32_t QuantizeDepth(float z) {
  double d = static_cast<double>(z);
  if (!(d > 0)) d = 0;  // NaN too
  if (d > 1) d = 1;
  return static_cast<std::uint32_t>(std::nearbyint(d * kDepthMax));
}

namespace {

struct TEdge {
  std::int64_t A, B;    // E(x, y) = A * x + B * y + C, written in steps below
  std::int64_t Ax, Ay;  // edge start
  bool Inclusive;       // a top or left edge owns the centres exactly on it
};

TEdge MakeEdge(const TSetupVertex& a, const TSetupVertex& b) {
  const std::int64_t dx = b.X - a.X, dy = b.Y - a.Y;
  return TEdge{-dy, dx, a.X, a.Y, (dy == 0 && dx > 0) || dy < 0};
}

inline std::int64_t EdgeAt(const TEdge& e, std::int64_t x, std::int64_t y) {
  return e.B * (y - e.Ay) + e.A * (x - e.Ax);
}

inline bool Inside(const TEdge& e, std::int64_t value) {
  return value > 0 || (value == 0 && e.Inclusive);
}

// Weights of the three vertices at a pixel; they sum to the doubled area.
struct TWeights {
  std::int64_t W0, W1, W2;
};

class TTriangleInterpolator {
 public:
  TTriangleInterpolator(const TSetupVertex* v[3], std::int64_t area2) : Area2_(area2) {
    for (int i = 0; i < 3; ++i) V_[i] = v[i];
    Perspective_ = !(v[0]->Rhw == v[1]->Rhw && v[1]->Rhw == v[2]->Rhw);
  }

  // Exact floor of the interpolated value (texture coordinates).
  std::int64_t Floor(const TWeights& w, std::int64_t a0, std::int64_t a1, std::int64_t a2) const {
    if (a0 == a1 && a1 == a2) return a0;
    if (Perspective_) return static_cast<std::int64_t>(std::floor(PerspectiveValue(w, a0, a1, a2)));
    const Int128 num = Int128(w.W0) * a0 + Int128(w.W1) * a1 + Int128(w.W2) * a2;
    return static_cast<std::int64_t>(FloorDiv(num, Area2_));
  }

  // Interpolated value rounded to nearest (colours, depth).
  std::int64_t Round(const TWeights& w, std::int64_t a0, std::int64_t a1, std::int64_t a2) const {
    if (a0 == a1 && a1 == a2) return a0;
    if (Perspective_) {
      return static_cast<std::int64_t>(std::floor(PerspectiveValue(w, a0, a1, a2) + 0.5));
    }
    const Int128 num = Int128(w.W0) * a0 + Int128(w.W1) * a1 + Int128(w.W2) * a2;
    return static_cast<std::int64_t>(FloorDiv(2 * num + Area2_, 2 * Int128(Area2_)));
  }

  std::uint32_t Colour(const TWeights& w, std::uint32_t c0, std::uint32_t c1,
                       std::uint32_t c2) const {
    if (c0 == c1 && c1 == c2) return c0;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const std::int64_t v = Round(w, Channel(c0, shift), Channel(c1, shift), Channel(c2, shift));
      out |= static_cast<std::uint32_t>(std::clamp<std::int64_t>(v, 0, 255)) << shift;
    }
    return out;
  }

 private:
  double PerspectiveValue(const TWeights& w, std::int64_t a0, std::int64_t a1,
                          std::int64_t a2) const {
    const double q0 = static_cast<double>(w.W0) * V_[0]->Rhw;
    const double q1 = static_cast<double>(w.W1) * V_[1]->Rhw;
    const double q2 = static_cast<double>(w.W2) * V_[2]->Rhw;
    const double sum = q0 + q1 + q2;
    if (sum == 0 || !std::isfinite(sum)) {
      return (static_cast<double>(w.W0) * a0 + static_cast<double>(w.W1) * a1 +
              static_cast<double>(w.W2) * a2) /
             static_cast<double>(Area2_);
    }
    return (q0 * a0 + q1 * a1 + q2 * a2) / sum;
  }

  const TSetupVertex* V_[3];
  std::int64_t Area2_;
  bool Perspective_;
};

}  // namespace

void DrawTriangle(const TRasterTarget& rt, const TRasterState& rs, const TSetupVertex& a,
                  const TSetupVertex& b, const TSetupVertex& c) {
  std::int64_t area2 = (b.X - a.X) * (c.Y - a.Y) - (c.X - a.X) * (b.Y - a.Y);
  if (area2 == 0) return;
  // With y pointing down a positive area means clockwise on screen.
  if (rs.CullMode == D3DCULL_CCW && area2 < 0) return;
  if (rs.CullMode == D3DCULL_CW && area2 > 0) return;
  const TSetupVertex* v[3] = {&a, &b, &c};
  if (area2 < 0) {
    std::swap(v[1], v[2]);
    area2 = -area2;
  }
  // Flat shading takes the colours of the triangle's first vertex.
  const std::uint32_t flatDiffuse = a.Diffuse, flatSpecular = a.Specular;

  const TEdge e0 = MakeEdge(*v[1], *v[2]);  // weight of v0
  const TEdge e1 = MakeEdge(*v[2], *v[0]);  // weight of v1
  const TEdge e2 = MakeEdge(*v[0], *v[1]);  // weight of v2

  const std::int64_t minX = std::min({v[0]->X, v[1]->X, v[2]->X});
  const std::int64_t maxX = std::max({v[0]->X, v[1]->X, v[2]->X});
  const std::int64_t minY = std::min({v[0]->Y, v[1]->Y, v[2]->Y});
  const std::int64_t maxY = std::max({v[0]->Y, v[1]->Y, v[2]->Y});
  const std::int64_t x0 = std::max<std::int64_t>(CeilDiv64(minX, kSubpixelOne), rt.ClipLeft);
  const std::int64_t x1 = std::min<std::int64_t>(maxX >> kSubpixelBits, rt.ClipRight - 1);
  const std::int64_t y0 = std::max<std::int64_t>(CeilDiv64(minY, kSubpixelOne), rt.ClipTop);
  const std::int64_t y1 = std::min<std::int64_t>(maxY >> kSubpixelBits, rt.ClipBottom - 1);
  if (x0 > x1 || y0 > y1) return;

  const TTriangleInterpolator interp(v, area2);
  const TSamplerSetup& sampler = rs.Sampler;
  bool linear = false;
  if (sampler.Bound) {
    // Gradients of the texel coordinates along x and y decide between the two filters.
    auto gradX = [&](std::int64_t t0, std::int64_t t1, std::int64_t t2) {
      return Int128(t0) * (v[1]->Y - v[2]->Y) + Int128(t1) * (v[2]->Y - v[0]->Y) +
             Int128(t2) * (v[0]->Y - v[1]->Y);
    };
    auto gradY = [&](std::int64_t t0, std::int64_t t1, std::int64_t t2) {
      return Int128(t0) * (v[2]->X - v[1]->X) + Int128(t1) * (v[0]->X - v[2]->X) +
             Int128(t2) * (v[1]->X - v[0]->X);
    };
    const bool minified = IsMinified(gradX(v[0]->U, v[1]->U, v[2]->U), area2) ||
                          IsMinified(gradY(v[0]->U, v[1]->U, v[2]->U), area2) ||
                          IsMinified(gradX(v[0]->V, v[1]->V, v[2]->V), area2) ||
                          IsMinified(gradY(v[0]->V, v[1]->V, v[2]->V), area2);
    linear = (minified ? sampler.MinFilter : sampler.MagFilter) == D3DTEXF_LINEAR;
  }

  for (std::int64_t py = y0; py <= y1; ++py) {
    const std::int64_t sy = py << kSubpixelBits;
    std::uint32_t* row = rt.Pixels + static_cast<std::size_t>(py) * rt.PitchPixels;
    std::uint32_t* depthRow =
        rt.Depth ? rt.Depth + static_cast<std::size_t>(py) * rt.DepthPitch : nullptr;
    ForEachMaskedSpan(
        rt, static_cast<int>(py), static_cast<int>(x0), static_cast<int>(x1) + 1,
        [&](int left, int right) {
          for (std::int64_t px = left; px < right; ++px) {
            const std::int64_t sx = px << kSubpixelBits;
            const TWeights w{EdgeAt(e0, sx, sy), EdgeAt(e1, sx, sy), EdgeAt(e2, sx, sy)};
            if (!Inside(e0, w.W0) || !Inside(e1, w.W1) || !Inside(e2, w.W2)) continue;
            TStageInputs in;
            in.Texture = sampler.Bound ? SampleTexture(sampler, linear,
                                                       interp.Floor(w, v[0]->U, v[1]->U, v[2]->U),
                                                       interp.Floor(w, v[0]->V, v[1]->V, v[2]->V))
                                       : 0xFFFFFFFFu;
            if (rs.FlatShade) {
              in.Diffuse = flatDiffuse;
              in.Specular = flatSpecular;
            } else {
              in.Diffuse = interp.Colour(w, v[0]->Diffuse, v[1]->Diffuse, v[2]->Diffuse);
              in.Specular = interp.Colour(w, v[0]->Specular, v[1]->Specular, v[2]->Specular);
            }
            const std::uint32_t z = static_cast<std::uint32_t>(
                std::clamp<std::int64_t>(interp.Round(w, v[0]->Z, v[1]->Z, v[2]->Z), 0, kDepthMax));
            OutputPixel(rs, rt, row + px, depthRow ? depthRow + px : nullptr, z,
                        ShadePixel(rs, in));
          }
        });
  }
}

void WritePendingFill(const TRasterTarget& rt) {
  if (!rt.FillPending) return;
  for (int y = rt.ClipTop; y < rt.ClipBottom; ++y) {
    std::uint32_t* row = rt.Pixels + static_cast<std::size_t>(y) * rt.PitchPixels;
    std::fill(row + rt.ClipLeft, row + rt.ClipRight, rt.Fill);
  }
}

void DrawTriangles(const TRasterTarget& target, const TRasterState& rs, D3DPRIMITIVETYPE type,
                   const TRasterVertex* vertices, UINT primitiveCount) {
  if (target.ClipLeft >= target.ClipRight || target.ClipTop >= target.ClipBottom) return;
  if (type == D3DPT_TRIANGLESTRIP && primitiveCount == 2 && rs.QuadFastPath &&
      DrawQuadShortcut(target, rs, vertices)) {
    return;
  }
  WritePendingFill(target);
  TRasterTarget rt = target;
  rt.FillPending = false;
  TSetupVertex s[3];
  auto draw = [&](UINT i0, UINT i1, UINT i2) {
    if (SetupVertex(vertices[i0], rs.Sampler, s[0]) &&
        SetupVertex(vertices[i1], rs.Sampler, s[1]) &&
        SetupVertex(vertices[i2], rs.Sampler, s[2])) {
      DrawTriangle(rt, rs, s[0], s[1], s[2]);
    }
  };
  for (UINT p = 0; p < primitiveCount; ++p) {
    switch (type) {
      case D3DPT_TRIANGLELIST:
        draw(3 * p, 3 * p + 1, 3 * p + 2);
        break;
      case D3DPT_TRIANGLESTRIP:
        // Every other triangle swaps its last two vertices to keep the winding.
        if (p % 2 == 0) {
          draw(p, p + 1, p + 2);
        } else {
          draw(p, p + 2, p + 1);
        }
        break;
      case D3DPT_TRIANGLEFAN:
        draw(0, p + 1, p + 2);
        break;
      default:
        return;
    }
  }
}

}  // namespace d3d9soft
