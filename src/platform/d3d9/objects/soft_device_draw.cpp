// Drawing on the software device: Clear and DrawPrimitiveUP of pre-transformed vertices.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/objects/soft_device.h"
#include "platform/d3d9/raster/formats.h"

namespace d3d9soft {

namespace {

// Size in floats of texture coordinate set i, from the FVF's D3DFVF_TEXCOORDSIZE bits.
UINT TexCoordFloats(DWORD fvf, UINT set) {
  switch ((fvf >> (16 + 2 * set)) & 3) {
    case 1:
      return 3;
    case 2:
      return 4;
    case 3:
      return 1;
    default:
      return 2;
  }
}

struct TVertexLayout {
  UINT Size = 0;
  int Diffuse = -1;  // byte offsets, -1 when absent
  int Specular = -1;
  int TexCoord = -1;  // the set stage 0 reads
  UINT TexCoordFloats = 0;
};

// Only pre-transformed vertices (D3DFVF_XYZRHW) are drawn; false for any other format.
bool ParseLayout(DWORD fvf, DWORD texCoordIndex, TVertexLayout& layout) {
  if ((fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZRHW || (fvf & D3DFVF_NORMAL)) return false;
  UINT offset = 16;
  if (fvf & D3DFVF_PSIZE) offset += 4;
  if (fvf & D3DFVF_DIFFUSE) {
    layout.Diffuse = static_cast<int>(offset);
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    layout.Specular = static_cast<int>(offset);
    offset += 4;
  }
  const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (sets > 8) return false;
  for (UINT set = 0; set < sets; ++set) {
    if (set == texCoordIndex) {
      layout.TexCoord = static_cast<int>(offset);
      layout.TexCoordFloats = TexCoordFloats(fvf, set);
    }
    offset += 4 * TexCoordFloats(fvf, set);
  }
  layout.Size = offset;
  return true;
}

float ReadFloat(const std::uint8_t* p) {
  float f;
  std::memcpy(&f, p, sizeof f);
  return f;
}

DWORD ReadDword(const std::uint8_t* p) {
  DWORD d;
  std::memcpy(&d, p, sizeof d);
  return d;
}

}  // namespace

bool TSoftDevice::ViewportIsWholeTarget() const {
  return Viewport_.X == 0 && Viewport_.Y == 0 && Viewport_.Width == Params_.BackBufferWidth &&
         Viewport_.Height == Params_.BackBufferHeight;
}

TRasterTarget TSoftDevice::MakeTarget(bool passPendingFill) {
  TRasterTarget t;
  TSoftSurface& surface = *BackBuffers_.front();
  const std::optional<std::uint32_t> fill = surface.PendingFill();
  // A clear still to be written goes to the rasteriser only when it covers what it may draw.
  const bool pass = passPendingFill && fill && ViewportIsWholeTarget();
  TPixelBuffer& buffer = pass ? surface.TakePendingFill() : surface.DrawBuffer();
  t.FillPending = pass;
  t.Fill = fill.value_or(0);
  t.Pixels = reinterpret_cast<std::uint32_t*>(buffer.Bits.data());
  t.PitchPixels = static_cast<std::size_t>(buffer.Pitch) / 4;
  t.OpaqueAlpha = buffer.Format == D3DFMT_X8R8G8B8;
  if (DepthStencil_) {
    TPixelBuffer& depth = DepthStencil_->Buffer();
    t.Depth = reinterpret_cast<std::uint32_t*>(depth.Bits.data());
    t.DepthPitch = static_cast<std::size_t>(depth.Pitch) / 4;
  }
  t.ClipLeft = static_cast<int>(Viewport_.X);
  t.ClipTop = static_cast<int>(Viewport_.Y);
  t.ClipRight = static_cast<int>(Viewport_.X + Viewport_.Width);
  t.ClipBottom = static_cast<int>(Viewport_.Y + Viewport_.Height);
  return t;
}

HRESULT TSoftDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                           DWORD /*stencil*/) {
  if ((count > 0) != (rects != nullptr)) return D3DERR_INVALIDCALL;
  if (flags == 0 || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) {
    return D3DERR_INVALIDCALL;
  }
  if ((flags & D3DCLEAR_ZBUFFER) && !DepthStencil_) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_STENCIL) &&
      (!DepthStencil_ || !HasStencil(Params_.AutoDepthStencilFormat))) {
    return D3DERR_INVALIDCALL;
  }
  if ((flags & D3DCLEAR_ZBUFFER) && !(z >= 0.0f && z <= 1.0f)) return D3DERR_INVALIDCALL;
  if (Lost_ != TLost::kNo) return D3D_OK;

  const bool opaqueTarget = Params_.BackBufferFormat == D3DFMT_X8R8G8B8;
  const std::uint32_t pixel = opaqueTarget ? (color | 0xFF000000u) : color;
  // The whole back buffer in one colour is written later, and not at all when the first draw
  // covers it.
  if (count == 0 && (flags & D3DCLEAR_TARGET) && ViewportIsWholeTarget()) {
    BackBuffers_.front()->FillLater(pixel);
    flags &= ~static_cast<DWORD>(D3DCLEAR_TARGET);
    if (flags == 0) return D3D_OK;
  }
  const TRasterTarget target = MakeTarget(false);
  const std::uint32_t depth = QuantizeDepth(z);
  auto clearArea = [&](LONG left, LONG top, LONG right, LONG bottom) {
    left = std::max<LONG>(left, target.ClipLeft);
    top = std::max<LONG>(top, target.ClipTop);
    right = std::min<LONG>(right, target.ClipRight);
    bottom = std::min<LONG>(bottom, target.ClipBottom);
    if (left >= right || top >= bottom) return;
    if (flags & D3DCLEAR_TARGET) BackBuffers_.front()->Touch(left, top, right, bottom);
    for (LONG y = top; y < bottom; ++y) {
      if (flags & D3DCLEAR_TARGET) {
        std::uint32_t* row = target.Pixels + static_cast<std::size_t>(y) * target.PitchPixels;
        std::fill(row + left, row + right, pixel);
      }
      if (flags & D3DCLEAR_ZBUFFER) {
        std::uint32_t* row = target.Depth + static_cast<std::size_t>(y) * target.DepthPitch;
        std::fill(row + left, row + right, depth);
      }
    }
  };
  if (count == 0) {
    clearArea(target.ClipLeft, target.ClipTop, target.ClipRight, target.ClipBottom);
  } else {
    for (DWORD i = 0; i < count; ++i) clearArea(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  }
  return D3D_OK;
}

HRESULT TSoftDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                     const void* vertexData, UINT vertexStride) {
  if (!InScene_ || vertexData == nullptr || primitiveCount == 0) return D3DERR_INVALIDCALL;
  if (primitiveType != D3DPT_TRIANGLELIST && primitiveType != D3DPT_TRIANGLESTRIP &&
      primitiveType != D3DPT_TRIANGLEFAN) {
    return D3DERR_INVALIDCALL;
  }
  if (primitiveCount > kMaxPrimitiveCount) return D3DERR_INVALIDCALL;
  TVertexLayout layout;
  if (!ParseLayout(Fvf_, StageStates_[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF, layout) ||
      vertexStride < layout.Size) {
    return D3DERR_INVALIDCALL;
  }
  if (RenderStates_[D3DRS_FILLMODE] != D3DFILL_SOLID) return D3DERR_INVALIDCALL;
  if (const HRESULT hr = CheckStages(); FAILED(hr)) return hr;
  if (Textures_[0] != nullptr && Textures_[0]->AnyLevelLocked()) return D3DERR_INVALIDCALL;
  if (Lost_ != TLost::kNo) return D3D_OK;

  const UINT vertexCount =
      primitiveType == D3DPT_TRIANGLELIST ? primitiveCount * 3 : primitiveCount + 2;
  Vertices_.resize(vertexCount);
  const auto* bytes = static_cast<const std::uint8_t*>(vertexData);
  for (UINT i = 0; i < vertexCount; ++i) {
    const std::uint8_t* v = bytes + static_cast<std::size_t>(i) * vertexStride;
    TRasterVertex& out = Vertices_[i];
    out.X = ReadFloat(v);
    out.Y = ReadFloat(v + 4);
    out.Z = ReadFloat(v + 8);
    out.Rhw = ReadFloat(v + 12);
    out.Diffuse = layout.Diffuse >= 0 ? ReadDword(v + layout.Diffuse) : 0xFFFFFFFFu;
    out.Specular = layout.Specular >= 0 ? ReadDword(v + layout.Specular) : 0;
    out.U = layout.TexCoord >= 0 ? ReadFloat(v + layout.TexCoord) : 0.0f;
    out.V = layout.TexCoord >= 0 && layout.TexCoordFloats >= 2 ? ReadFloat(v + layout.TexCoord + 4)
                                                               : 0.0f;
  }
  TSoftSurface& surface = *BackBuffers_.front();
  const TRasterState state = MakeRasterState();
  const std::optional<RECT> bounds = DrawBounds(Vertices_);
  // A frame after a whole clear is recorded and written when someone looks at it.
  const bool replayable = bounds && ViewportIsWholeTarget() && !DepthStencil_ &&
                          BytesPerPixel(Params_.BackBufferFormat) == 4;
  if (replayable && (surface.Replay().Recording() || surface.PendingFill())) {
    if (!surface.Replay().Recording()) surface.StartReplay();
    surface.Replay().Record(state, primitiveType, primitiveCount, Vertices_, *bounds);
    return D3D_OK;
  }
  const TRasterTarget target = MakeTarget(true);
  if (bounds) {
    surface.Touch(bounds->left, bounds->top, bounds->right, bounds->bottom);
  } else {
    surface.TouchAll();
  }
  DrawTriangles(target, state, primitiveType, Vertices_.data(), primitiveCount);
  return D3D_OK;
}

}  // namespace d3d9soft
