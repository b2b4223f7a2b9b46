// Vertex snapping and exact integer helpers shared by the triangle path and the quad shortcut.
#pragma once

#include <cmath>
#include <cstdint>

#include "platform/d3d9/raster/raster.h"

namespace d3d9soft {

using Int128 = __int128;

// Positions carry 8 fraction bits: pixel centre x sits at x << 8.
inline constexpr int kSubpixelBits = 8;
inline constexpr std::int64_t kSubpixelOne = std::int64_t{1} << kSubpixelBits;
// Vertices further out than this are not drawn (keeps every product inside 128 bits).
inline constexpr double kMaxCoordinate = 1048576.0;
// Texture coordinates are clamped to this many texels either way before snapping.
inline constexpr double kMaxTexelCoordinate = 16777216.0;

struct TSetupVertex {
  std::int64_t X = 0, Y = 0;  // 1/256 pixel
  std::int64_t U = 0, V = 0;  // 1/65536 texel
  std::uint32_t Z = 0;        // depth-buffer units
  float Rhw = 1;
  std::uint32_t Diffuse = 0, Specular = 0;
};

inline bool SnapPosition(float value, std::int64_t& out) {
  if (!std::isfinite(value) || std::fabs(value) > kMaxCoordinate) return false;
  out = static_cast<std::int64_t>(std::nearbyint(static_cast<double>(value) * kSubpixelOne));
  return true;
}

inline std::int64_t SnapTexel(float coordinate, int size) {
  double t = static_cast<double>(coordinate) * size;
  if (std::isnan(t)) t = 0;
  if (t > kMaxTexelCoordinate) t = kMaxTexelCoordinate;
  if (t < -kMaxTexelCoordinate) t = -kMaxTexelCoordinate;
  return static_cast<std::int64_t>(std::nearbyint(t * 65536.0));
}

// Snaps one vertex; false when its position cannot be drawn.
inline bool SetupVertex(const TRasterVertex& in, const TSamplerSetup& sampler, TSetupVertex& out) {
  if (!SnapPosition(in.X, out.X) || !SnapPosition(in.Y, out.Y)) return false;
  const int w = sampler.Bound ? sampler.Level.Width : 1;
  const int h = sampler.Bound ? sampler.Level.Height : 1;
  out.U = SnapTexel(in.U, w);
  out.V = SnapTexel(in.V, h);
  out.Z = QuantizeDepth(in.Z);
  out.Rhw = in.Rhw;
  out.Diffuse = in.Diffuse;
  out.Specular = in.Specular;
  return true;
}

// Floor of num / den for any signs (den != 0).
inline Int128 FloorDiv(Int128 num, Int128 den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  Int128 q = num / den;
  if ((num % den) != 0 && num < 0) --q;
  return q;
}

// Ceiling of num / den for den > 0.
inline std::int64_t CeilDiv64(std::int64_t num, std::int64_t den) {
  std::int64_t q = num / den;
  if (num % den != 0 && num > 0) ++q;
  return q;
}

inline Int128 Abs128(Int128 v) { return v < 0 ? -v : v; }

// Which filter applies: minification when the texture moves more than one texel per pixel along
// any screen axis. gradient = texel-units (1/65536) change across span subpixel units.
inline bool IsMinified(Int128 texelChange, Int128 subpixelSpan) {
  return Abs128(texelChange) * kSubpixelOne > Abs128(subpixelSpan) * 65536;
}

}  // namespace d3d9soft
