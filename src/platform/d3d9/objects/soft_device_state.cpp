// Device state: render, texture-stage and sampler states with Direct3D 9's defaults, transforms,
// the viewport, the bound texture and the vertex format; and the snapshot a draw call takes.
#include <algorithm>
#include <cstring>

#include "platform/d3d9/objects/soft_device.h"
#include "platform/d3d9/raster/formats.h"
#include "platform/d3d9/standin.h"

namespace d3d9soft {

namespace {

DWORD FloatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, sizeof d);
  return d;
}

D3DMATRIX Identity() {
  D3DMATRIX m;
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

bool IsSupportedOp(DWORD op) {
  switch (op) {
    case D3DTOP_DISABLE:
    case D3DTOP_SELECTARG1:
    case D3DTOP_SELECTARG2:
    case D3DTOP_MODULATE:
    case D3DTOP_MODULATE2X:
    case D3DTOP_MODULATE4X:
    case D3DTOP_ADD:
    case D3DTOP_SUBTRACT:
      return true;
    default:
      return false;
  }
}

bool IsSupportedArg(DWORD arg) {
  if (arg & ~(D3DTA_SELECTMASK | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE)) return false;
  const DWORD source = arg & D3DTA_SELECTMASK;
  return source == D3DTA_DIFFUSE || source == D3DTA_CURRENT || source == D3DTA_TEXTURE ||
         source == D3DTA_TFACTOR || source == D3DTA_SPECULAR;
}

bool IsSupportedFilter(DWORD filter) { return filter == D3DTEXF_POINT || filter == D3DTEXF_LINEAR; }

// The cell for state `type` of stage or sampler `index`; nullptr when either is out of range
// (state 0 is never valid).
template <typename Table>
auto* StateCell(Table& table, DWORD index, DWORD type) {
  return index < table.size() && type != 0 && type < table[0].size() ? &table[index][type]
                                                                     : nullptr;
}

// Reading a state back fails on a pure device (it keeps no copy to return), for a state out of
// range (no cell) and with nowhere to write it.
HRESULT ReadState(const DWORD* cell, DWORD* value, DWORD behaviorFlags) {
  if (value == nullptr || cell == nullptr || (behaviorFlags & D3DCREATE_PUREDEVICE)) {
    return D3DERR_INVALIDCALL;
  }
  *value = *cell;
  return D3D_OK;
}

HRESULT WriteState(DWORD* cell, DWORD value) {
  if (cell == nullptr) return D3DERR_INVALIDCALL;
  *cell = value;
  return D3D_OK;
}

}  // namespace

void TSoftDevice::ResetState() {
  RenderStates_.fill(0);
  auto& rs = RenderStates_;
  rs[D3DRS_ZENABLE] = Params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ZWRITEENABLE] = TRUE;
  rs[D3DRS_LASTPIXEL] = TRUE;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_FOGEND] = FloatBits(1.0f);
  rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
  rs[D3DRS_STENCILFAIL] = 1;  // D3DSTENCILOP_KEEP
  rs[D3DRS_STENCILZFAIL] = 1;
  rs[D3DRS_STENCILPASS] = 1;
  rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
  rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
  rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
  rs[D3DRS_CLIPPING] = TRUE;
  rs[D3DRS_LIGHTING] = TRUE;
  rs[D3DRS_COLORVERTEX] = TRUE;
  rs[D3DRS_LOCALVIEWER] = TRUE;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = 1;   // D3DMCS_COLOR1
  rs[D3DRS_SPECULARMATERIALSOURCE] = 2;  // D3DMCS_COLOR2
  rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
  rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
  rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
  rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
  rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
  rs[D3DRS_COLORWRITEENABLE] = 0xF;
  rs[D3DRS_TWEENFACTOR] = FloatBits(0.0f);
  rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  rs[D3DRS_POSITIONDEGREE] = 3;  // D3DDEGREE_CUBIC
  rs[D3DRS_NORMALDEGREE] = 1;    // D3DDEGREE_LINEAR
  rs[D3DRS_MINTESSELLATIONLEVEL] = FloatBits(1.0f);
  rs[D3DRS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
  rs[D3DRS_ADAPTIVETESS_W] = FloatBits(1.0f);
  rs[D3DRS_CCW_STENCILFAIL] = 1;
  rs[D3DRS_CCW_STENCILZFAIL] = 1;
  rs[D3DRS_CCW_STENCILPASS] = 1;
  rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_COLORWRITEENABLE1] = 0xF;
  rs[D3DRS_COLORWRITEENABLE2] = 0xF;
  rs[D3DRS_COLORWRITEENABLE3] = 0xF;
  rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
  rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
  rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;

  for (DWORD stage = 0; stage < kStages; ++stage) {
    auto& ts = StageStates_[stage];
    ts.fill(0);
    ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    ts[D3DTSS_TEXCOORDINDEX] = stage;
    ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }
  for (auto& ss : SamplerStates_) {
    ss.fill(0);
    ss[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    ss[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    ss[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    ss[D3DSAMP_MAXANISOTROPY] = 1;
  }
  UnbindAll();
  Transforms_.clear();
  Viewport_ = D3DVIEWPORT9{0, 0, Params_.BackBufferWidth, Params_.BackBufferHeight, 0.0f, 1.0f};
  Fvf_ = 0;
  InScene_ = false;
}

void TSoftDevice::UnbindAll() {
  for (TSoftTexture*& t : Textures_) {
    TSoftTexture* old = t;
    t = nullptr;
    if (old != nullptr) old->Unbind();
  }
}

HRESULT TSoftDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (matrix == nullptr) return D3DERR_INVALIDCALL;
  Transforms_[state] = *matrix;
  return D3D_OK;
}

HRESULT TSoftDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  if (matrix == nullptr || (BehaviorFlags_ & D3DCREATE_PUREDEVICE)) return D3DERR_INVALIDCALL;
  const auto found = Transforms_.find(state);
  *matrix = found != Transforms_.end() ? found->second : Identity();
  return D3D_OK;
}

HRESULT TSoftDevice::SetViewport(const D3DVIEWPORT9* viewport) {
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  const D3DVIEWPORT9& v = *viewport;
  if (UINT64{v.X} + v.Width > Params_.BackBufferWidth ||
      UINT64{v.Y} + v.Height > Params_.BackBufferHeight) {
    return D3DERR_INVALIDCALL;
  }
  if (!(v.MinZ >= 0.0f && v.MinZ <= 1.0f && v.MaxZ >= 0.0f && v.MaxZ <= 1.0f)) {
    return D3DERR_INVALIDCALL;
  }
  Viewport_ = v;
  return D3D_OK;
}

HRESULT TSoftDevice::GetViewport(D3DVIEWPORT9* viewport) {
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  *viewport = Viewport_;
  return D3D_OK;
}

HRESULT TSoftDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  return WriteState(state < RenderStates_.size() ? &RenderStates_[state] : nullptr, value);
}

HRESULT TSoftDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  return ReadState(state < RenderStates_.size() ? &RenderStates_[state] : nullptr, value,
                   BehaviorFlags_);
}

HRESULT TSoftDevice::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
  if (texture == nullptr || stage >= kSamplers || (BehaviorFlags_ & D3DCREATE_PUREDEVICE)) {
    return D3DERR_INVALIDCALL;
  }
  *texture = Textures_[stage];
  if (*texture != nullptr) (*texture)->AddRef();
  return D3D_OK;
}

HRESULT TSoftDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  if (stage >= kSamplers) return D3DERR_INVALIDCALL;
  // The texture already set there (sprites of one kind in a row): checked when it was set.
  if (texture != nullptr && texture == static_cast<IDirect3DBaseTexture9*>(Textures_[stage])) {
    return D3D_OK;
  }
  TSoftTexture* soft = nullptr;
  if (texture != nullptr) {
    soft = dynamic_cast<TSoftTexture*>(texture);
    // Only this device's textures in the pools it can draw from.
    if (soft == nullptr || soft->Device() != this ||
        (soft->Pool() != D3DPOOL_DEFAULT && soft->Pool() != D3DPOOL_MANAGED)) {
      return D3DERR_INVALIDCALL;
    }
    soft->Bind();
  }
  TSoftTexture* old = Textures_[stage];
  Textures_[stage] = soft;
  if (old != nullptr) old->Unbind();
  return D3D_OK;
}

HRESULT TSoftDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                          DWORD* value) {
  return ReadState(StateCell(StageStates_, stage, type), value, BehaviorFlags_);
}

HRESULT TSoftDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  return WriteState(StateCell(StageStates_, stage, type), value);
}

HRESULT TSoftDevice::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  return ReadState(StateCell(SamplerStates_, sampler, type), value, BehaviorFlags_);
}

HRESULT TSoftDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  return WriteState(StateCell(SamplerStates_, sampler, type), value);
}

HRESULT TSoftDevice::SetFVF(DWORD fvf) {
  Fvf_ = fvf;
  return D3D_OK;
}

HRESULT TSoftDevice::GetFVF(DWORD* fvf) {
  if (fvf == nullptr) return D3DERR_INVALIDCALL;
  *fvf = Fvf_;
  return D3D_OK;
}

// What the rasteriser cannot do is reported with Direct3D's own codes.
HRESULT TSoftDevice::CheckStages() const {
  const auto& ts = StageStates_[0];
  if (!IsSupportedOp(ts[D3DTSS_COLOROP])) return D3DERR_UNSUPPORTEDCOLOROPERATION;
  if (ts[D3DTSS_COLOROP] != D3DTOP_DISABLE) {
    if (!IsSupportedArg(ts[D3DTSS_COLORARG1]) || !IsSupportedArg(ts[D3DTSS_COLORARG2])) {
      return D3DERR_UNSUPPORTEDCOLORARG;
    }
    if (!IsSupportedOp(ts[D3DTSS_ALPHAOP])) return D3DERR_UNSUPPORTEDALPHAOPERATION;
    if (!IsSupportedArg(ts[D3DTSS_ALPHAARG1]) || !IsSupportedArg(ts[D3DTSS_ALPHAARG2])) {
      return D3DERR_UNSUPPORTEDALPHAARG;
    }
    if (StageStates_[1][D3DTSS_COLOROP] != D3DTOP_DISABLE) return D3DERR_TOOMANYOPERATIONS;
  }
  const auto& ss = SamplerStates_[0];
  if (!IsSupportedFilter(ss[D3DSAMP_MAGFILTER]) || !IsSupportedFilter(ss[D3DSAMP_MINFILTER]) ||
      ss[D3DSAMP_MIPFILTER] > D3DTEXF_LINEAR) {
    return D3DERR_UNSUPPORTEDTEXTUREFILTER;
  }
  return D3D_OK;
}

HRESULT TSoftDevice::ValidateDevice(DWORD* numPasses) {
  if (numPasses == nullptr) return D3DERR_INVALIDCALL;
  const HRESULT hr = CheckStages();
  *numPasses = SUCCEEDED(hr) ? 1 : 0;
  return hr;
}

TRasterState TSoftDevice::MakeRasterState() const {
  const auto& rs = RenderStates_;
  const auto& ts = StageStates_[0];
  const auto& ss = SamplerStates_[0];
  TRasterState s;
  if (const TSoftTexture* texture = Textures_[0]) {
    const TPixelBuffer& level = texture->Level(0);
    s.Sampler.Bound = true;
    s.Sampler.Level = TTextureLevelView{level.Bits.data(),
                                        level.Pitch,
                                        static_cast<int>(level.Width),
                                        static_cast<int>(level.Height),
                                        level.Format,
                                        static_cast<int>(BytesPerPixel(level.Format)),
                                        texture->Generation()};
  }
  s.Sampler.AddressU = ss[D3DSAMP_ADDRESSU];
  s.Sampler.AddressV = ss[D3DSAMP_ADDRESSV];
  s.Sampler.MagFilter = ss[D3DSAMP_MAGFILTER];
  s.Sampler.MinFilter = ss[D3DSAMP_MINFILTER];
  s.Sampler.BorderColor = ss[D3DSAMP_BORDERCOLOR];
  s.Stage = TStageSetup{ts[D3DTSS_COLOROP],     ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2],
                        ts[D3DTSS_ALPHAOP],     ts[D3DTSS_ALPHAARG1], ts[D3DTSS_ALPHAARG2],
                        rs[D3DRS_TEXTUREFACTOR]};
  s.SpecularEnable = rs[D3DRS_SPECULARENABLE] != FALSE;
  s.FlatShade = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  s.CullMode = rs[D3DRS_CULLMODE];
  s.AlphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
  s.AlphaFunc = rs[D3DRS_ALPHAFUNC];
  s.AlphaRef = rs[D3DRS_ALPHAREF] & 0xFF;
  s.Blend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
  s.SrcBlend = rs[D3DRS_SRCBLEND];
  s.DestBlend = rs[D3DRS_DESTBLEND];
  // A device without the blend-operation capability always adds.
  s.BlendOp = d3d9standin::GetConfig().BlendOpSupported ? rs[D3DRS_BLENDOP]
                                                        : static_cast<DWORD>(D3DBLENDOP_ADD);
  s.BlendFactor = rs[D3DRS_BLENDFACTOR];
  s.ColorWriteMask = rs[D3DRS_COLORWRITEENABLE] & 0xF;
  s.DepthTest = DepthStencil_ != nullptr && rs[D3DRS_ZENABLE] != D3DZB_FALSE;
  s.DepthFunc = rs[D3DRS_ZFUNC];
  s.DepthWrite = s.DepthTest && rs[D3DRS_ZWRITEENABLE] != FALSE;
  s.QuadFastPath = d3d9standin::GetConfig().QuadFastPath;
  return s;
}

}  // namespace d3d9soft
