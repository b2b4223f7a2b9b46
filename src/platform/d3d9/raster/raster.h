// The rasteriser of our software device: what one draw call needs to know (a snapshot of the
// device state), the render target, and the entry point that draws pre-transformed triangles.
//
// Direct3D 9's rules: pixel centres lie at integer coordinates; a pixel is covered when its centre
// is inside the triangle, and a centre exactly on an edge belongs to the triangle only on a top or
// left edge. Positions are snapped to 1/256 pixel and texture coordinates to 1/65536 texel, and
// every value at a pixel is then computed exactly (integer barycentrics), so the two triangles of
// a quad meet without gaps or overlap and an axis-aligned quad can take a shortcut with the very
// same result.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "platform/d3d9/d3d9states.h"

namespace d3d9soft {

struct TTextureLevelView {
  const std::uint8_t* Bits = nullptr;
  INT Pitch = 0;
  int Width = 0;
  int Height = 0;
  D3DFORMAT Format = D3DFMT_UNKNOWN;
  int Bpp = 0;
  // Changes whenever the level may have been written: equal views show equal texels.
  std::uint64_t Generation = 0;
  bool operator==(const TTextureLevelView&) const = default;
};

struct TSamplerSetup {
  bool Bound = false;  // without a texture the stage reads opaque white
  TTextureLevelView Level;
  DWORD AddressU = D3DTADDRESS_WRAP;
  DWORD AddressV = D3DTADDRESS_WRAP;
  DWORD MagFilter = D3DTEXF_POINT;
  DWORD MinFilter = D3DTEXF_POINT;
  std::uint32_t BorderColor = 0;
  bool operator==(const TSamplerSetup&) const = default;
};

struct TStageSetup {
  DWORD ColorOp = D3DTOP_MODULATE;
  DWORD ColorArg1 = D3DTA_TEXTURE;
  DWORD ColorArg2 = D3DTA_CURRENT;
  DWORD AlphaOp = D3DTOP_SELECTARG1;
  DWORD AlphaArg1 = D3DTA_TEXTURE;
  DWORD AlphaArg2 = D3DTA_CURRENT;
  std::uint32_t TextureFactor = 0xFFFFFFFFu;
  bool operator==(const TStageSetup&) const = default;
};

struct TRasterState {
  TSamplerSetup Sampler;
  TStageSetup Stage;
  bool SpecularEnable = false;
  bool FlatShade = false;
  DWORD CullMode = D3DCULL_CCW;
  bool AlphaTest = false;
  DWORD AlphaFunc = D3DCMP_ALWAYS;
  std::uint32_t AlphaRef = 0;
  bool Blend = false;
  DWORD SrcBlend = D3DBLEND_ONE;
  DWORD DestBlend = D3DBLEND_ZERO;
  DWORD BlendOp = D3DBLENDOP_ADD;
  std::uint32_t BlendFactor = 0xFFFFFFFFu;
  DWORD ColorWriteMask = 0xF;
  bool DepthTest = false;  // only with a depth buffer
  DWORD DepthFunc = D3DCMP_LESSEQUAL;
  bool DepthWrite = false;  // only with a depth buffer
  bool QuadFastPath = true;
  bool operator==(const TRasterState&) const = default;
};

struct TRasterTarget {
  std::uint32_t* Pixels = nullptr;
  std::size_t PitchPixels = 0;
  bool OpaqueAlpha = false;        // X8R8G8B8: the top byte always holds 0xFF
  std::uint32_t* Depth = nullptr;  // 24-bit depth values, nullptr without a depth buffer
  std::size_t DepthPitch = 0;
  // The viewport: only pixels inside it are drawn.
  int ClipLeft = 0;
  int ClipTop = 0;
  int ClipRight = 0;
  int ClipBottom = 0;
  // Optional, besides the viewport: per row, bit b marks the columns [b * MaskBlockWidth,
  // (b + 1) * MaskBlockWidth); only pixels of marked blocks are drawn.
  const std::uint64_t* RowMask = nullptr;
  int MaskBlockWidth = 0;
  // Every pixel inside the viewport holds Fill but is not yet written (a clear put off until the
  // first draw). A draw writes them first, unless it writes every one of them itself.
  bool FillPending = false;
  std::uint32_t Fill = 0;
};

// One vertex of FVF XYZRHW | DIFFUSE | SPECULAR | TEX1 as the rasteriser takes it.
struct TRasterVertex {
  float X = 0, Y = 0, Z = 0, Rhw = 1;
  std::uint32_t Diffuse = 0xFFFFFFFFu;
  std::uint32_t Specular = 0;
  float U = 0, V = 0;
  bool operator==(const TRasterVertex&) const = default;
};

// Calls run(first, count) for each run of set bits in bits, the lowest first (the blocks of a row
// mask).
template <class Run>
void ForEachBitRun(std::uint64_t bits, Run&& run) {
  while (bits != 0) {
    const int first = std::countr_zero(bits);
    const int count = std::countr_one(bits >> first);
    bits = first + count >= 64 ? 0 : bits & ~((std::uint64_t{1} << (first + count)) - 1);
    run(first, count);
  }
}

// Draws primitiveCount triangles of a list, strip or fan.
void DrawTriangles(const TRasterTarget& target, const TRasterState& state, D3DPRIMITIVETYPE type,
                   const TRasterVertex* vertices, UINT primitiveCount);

// Largest depth value; depth buffers hold 24-bit values whatever their format.
inline constexpr std::uint32_t kDepthMax = 0xFFFFFF;

// Depth of a vertex z (clamped to 0..1) as the depth buffer stores it.
std::uint32_t QuantizeDepth(float z);

}  // namespace d3d9soft
