#include "graphics/scene/sx_queue.h"

#include <algorithm>
#include <cstring>

#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_blend.h"
#include "graphics/scene/sx_scene.h"
#include "graphics/scene/sx_sort.h"

namespace {

TMatrix FromD3DMatrix(const D3DMATRIX& d3dMatrix) {
  TMatrix matrix;
  std::memcpy(matrix.m, d3dMatrix.m, sizeof(matrix.m));
  return matrix;
}

// The sampler states a pass saves at its first polygon and puts back at its end, in this order.
constexpr D3DSAMPLERSTATETYPE kSavedSamplerStates[5] = {
    D3DSAMP_MIPFILTER, D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER, D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV};

// Sets a render state only when it differs from the value the queue set last.
void SetChangedState(IDirect3DDevice9* device, D3DRENDERSTATETYPE state, DWORD value,
                     DWORD& cached) {
  if (value == cached) return;
  device->SetRenderState(state, value);
  cached = value;
}

}  // namespace

TSXRenderingQueue::TSXRenderingQueue(TDGCarad* carad, TSXScene* scene)
    : Carad_(carad), Scene_(scene) {
  SetFrameCapacity(kInitialCapacity);
  SetBillboardCapacity(kInitialCapacity);
  SetPolygonCapacity(kInitialCapacity);
}

bool TSXRenderingQueue::AddPolygon(bool filter, int32_t addressU, int32_t addressV,
                                   int32_t blendMode, const TVec3& pos, TDGTexture* texture,
                                   std::span<const TSXVertex> vertices) {
  if (vertices.size() < 4) return false;
  if (PolygonCapacity_ <= PolygonCount_) {
    // Doubling; a queue whose capacity was set to 0 starts again from one entry.
    SetPolygonCapacity(std::max(PolygonCapacity_ * 2, PolygonCount_ + 1));
  }
  TSXPolygonItem& item = Polygons_[PolygonCount_];
  item.Filter = filter;
  item.AddressU = addressU;
  item.AddressV = addressV;
  item.BlendMode = blendMode;
  item.Texture = texture;
  item.X = pos.X;
  item.Y = pos.Y;
  item.Z = pos.Z;
  std::copy_n(vertices.begin(), 4, item.Vertices);
  ++PolygonCount_;
  return true;
}

void TSXRenderingQueue::SetPolygonCapacity(int32_t n) {
  PolygonCapacity_ = std::max({n, PolygonCount_, 0});
  Polygons_.resize(PolygonCapacity_);
  ResizeSortList();
}

void TSXRenderingQueue::ResizeSortList() {
  const size_t total = static_cast<size_t>(FrameCapacity_) + BillboardCapacity_ + PolygonCapacity_;
  SortIndex_.resize(total);
  SortKey_.resize(total);
}

void TSXRenderingQueue::ResetQueue() {
  FrameCount_ = 0;
  BillboardCount_ = 0;
  PolygonCount_ = 0;
}

void TSXRenderingQueue::Render(bool sort, const TMatrix& view, const D3DVIEWPORT9& viewport,
                               bool clearAfter) {
  // The viewport is already part of the scene's screen matrix; frames and billboards would read
  // it through Combined().
  (void)viewport;
  IDirect3DDevice9* device = Scene_->Device();
  if (device != nullptr) {
    D3DMATRIX projection;
    device->GetTransform(D3DTS_PROJECTION, &projection);
    Combined_ =
        MatrixMultiply(MatrixMultiply(view, FromD3DMatrix(projection)), Scene_->ScreenMatrix());

    ResetDeviceState(device);
    if (sort) {
      const int32_t entries = BuildSortList();
      const int32_t firstBillboard = FrameCount_;
      const int32_t firstPolygon = FrameCount_ + BillboardCount_;
      for (int32_t e = 0; e < entries; ++e) {
        const int32_t index = SortIndex_[e];
        if (index < firstBillboard) {
          DrawFrame(device, index);
        } else if (index < firstPolygon) {
          DrawBillboard(device, index - firstBillboard);
        } else {
          DrawPolygonItem(device, Polygons_[index - firstPolygon]);
        }
      }
    } else {
      for (int32_t i = 0; i < FrameCount_; ++i) DrawFrame(device, i);
      for (int32_t i = 0; i < BillboardCount_; ++i) DrawBillboard(device, i);
      for (int32_t i = 0; i < PolygonCount_; ++i) DrawPolygonItem(device, Polygons_[i]);
    }
    if (SamplerStatesSaved_) RestoreSamplerStates(device);
  }
  if (clearAfter) ResetQueue();
}

int32_t TSXRenderingQueue::BuildSortList() {
  int32_t n = 0;
  // A frame carries no depth of its own here: it sorts at 0, before the nearest polygons.
  for (int32_t i = 0; i < FrameCount_; ++i) {
    SortKey_[n] = 0.0f;
    SortIndex_[n] = i;
    ++n;
  }
  // A billboard takes part when its point lies in front of the viewer; its key is the point's
  // depth on screen.
  SortedBillboardCount_ = 0;
  for (int32_t k = 0; k < BillboardCount_; ++k) {
    const TVec4 clip = Vec4Transform(Vec3ToVec4(Billboards_[k].Position), Combined_);
    TVec4 screen;
    if (clip.W <= 0.0f || !HomogeneousDivide(clip, screen)) continue;
    SortKey_[n] = screen.Z;
    SortIndex_[n] = FrameCount_ + k;
    ++n;
    ++SortedBillboardCount_;
  }
  SortedPolygonCount_ = 0;
  for (int32_t l = 0; l < PolygonCount_; ++l) {
    if (!(Polygons_[l].Z >= 0.0f)) continue;
    SortKey_[n] = Polygons_[l].Z;
    SortIndex_[n] = FrameCount_ + BillboardCount_ + l;
    ++n;
    ++SortedPolygonCount_;
  }
  SortByKey(SortKey_.data(), SortIndex_.data(), 0, n - 1);
  return n;
}

void TSXRenderingQueue::ResetDeviceState(IDirect3DDevice9* device) {
  device->SetTexture(0, nullptr);
  CachedTexture_ = nullptr;
  device->SetRenderState(D3DRS_SPECULARENABLE, 1);
  CachedSpecular_ = 1;
  device->SetRenderState(D3DRS_LIGHTING, 1);
  CachedLighting_ = 1;
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  CachedFillMode_ = D3DFILL_SOLID;
  device->SetRenderState(D3DRS_WRAP0, 0);
  CachedWrap_ = 0;
  SamplerStatesSaved_ = false;
  // The cache claims blend mode 0 from here on, so the device must match it in full: besides
  // blending, the alpha test an earlier pass may have left on (mode 5) goes off too. Otherwise
  // an opaque polygon following it would lose its low-alpha texels.
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  CachedBlendMode_ = 0;
  device->SetRenderState(D3DRS_ZENABLE, 1);
  device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  // Texel x vertex diffuse, in colour and in alpha.
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

void TSXRenderingQueue::DrawPolygonItem(IDirect3DDevice9* device, const TSXPolygonItem& item) {
  ApplySamplerStates(device, item.Filter, item.AddressU, item.AddressV);
  ApplyItemStates(device, item.BlendMode, item.Texture, 1, D3DFILL_SOLID, 0, 0);
  if (item.Z < 0.0f) return;

  // Corners top-left, top-right, bottom-left, bottom-right: the strip's triangles are (0, 1, 2)
  // and (1, 2, 3).
  TSXDeviceVertex vertices[4];
  for (int k = 0; k < 4; ++k) {
    vertices[k] = MakeDeviceVertex(item.Vertices[k], item.X, item.Y, item.Z);
  }
  device->SetFVF(kSXDeviceVertexFVF);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, sizeof(TSXDeviceVertex));
}

void TSXRenderingQueue::ApplySamplerStates(IDirect3DDevice9* device, bool filter, int32_t addressU,
                                           int32_t addressV) {
  const bool first = !SamplerStatesSaved_;
  if (first) {
    for (int s = 0; s < 5; ++s)
      device->GetSamplerState(0, kSavedSamplerStates[s], &SavedSamplerStates_[s]);
  }
  if (first || filter != CachedFilter_) {
    const DWORD sampling = filter ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, sampling);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, sampling);
    CachedFilter_ = filter;
  }
  if (first || addressU != CachedAddressU_) {
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, static_cast<DWORD>(addressU));
    CachedAddressU_ = addressU;
  }
  if (first || addressV != CachedAddressV_) {
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, static_cast<DWORD>(addressV));
    CachedAddressV_ = addressV;
  }
  SamplerStatesSaved_ = true;
}

void TSXRenderingQueue::RestoreSamplerStates(IDirect3DDevice9* device) {
  for (int s = 0; s < 5; ++s)
    device->SetSamplerState(0, kSavedSamplerStates[s], SavedSamplerStates_[s]);
}

void TSXRenderingQueue::ApplyItemStates(IDirect3DDevice9* device, int32_t blendMode,
                                        TDGTexture* texture, DWORD specular, DWORD fillMode,
                                        DWORD wrap, DWORD lighting) {
  ApplyBlendMode(device, blendMode);
  if (texture != CachedTexture_) {
    device->SetTexture(0, texture != nullptr ? texture->Texture() : nullptr);
    CachedTexture_ = texture;
  }
  SetChangedState(device, D3DRS_SPECULARENABLE, specular, CachedSpecular_);
  SetChangedState(device, D3DRS_LIGHTING, lighting, CachedLighting_);
  SetChangedState(device, D3DRS_WRAP0, wrap, CachedWrap_);
  SetChangedState(device, D3DRS_FILLMODE, fillMode, CachedFillMode_);
}

void TSXRenderingQueue::ApplyBlendMode(IDirect3DDevice9* device, int32_t n) {
  if (n == CachedBlendMode_) return;
  const std::vector<TSXBlendMode>& modes = Scene_->BlendModes();
  // Only known modes are ever queued; an unknown number keeps the states as they are.
  if (n < 0 || static_cast<size_t>(n) >= modes.size()) return;
  const TSXBlendMode& m = modes[n];
  if (m.AlphaBlend) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    device->SetRenderState(D3DRS_SRCBLEND, static_cast<DWORD>(m.SrcBlend));
    device->SetRenderState(D3DRS_DESTBLEND, static_cast<DWORD>(m.DestBlend));
    if (Scene_->BlendOpSupported()) {
      device->SetRenderState(D3DRS_BLENDOP, static_cast<DWORD>(m.BlendOp));
    }
  } else {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  }
  device->SetRenderState(D3DRS_ALPHATESTENABLE, m.AlphaTest ? 1 : 0);
  if (m.AlphaTest) {
    device->SetRenderState(D3DRS_ALPHAFUNC, static_cast<DWORD>(m.AlphaFunc));
    device->SetRenderState(D3DRS_ALPHAREF, static_cast<DWORD>(AlphaRef));
  }
  CachedBlendMode_ = n;
}

// ---- Specified by the design, not used by the game: scene-graph frames and billboards -----------
// Nothing in this system makes a frame or a billboard; these keep the lists the design gives the
// queue. Render and BuildSortList give queued ones their places in the draw order and the sort.

void TSXRenderingQueue::AddFrame(TSXFrame* frame) {
  if (FrameCapacity_ <= FrameCount_)
    SetFrameCapacity(std::max(FrameCapacity_ * 2, FrameCount_ + 1));
  Frames_[FrameCount_] = frame;
  ++FrameCount_;
}

void TSXRenderingQueue::SetFrameCapacity(int32_t n) {
  FrameCapacity_ = std::max({n, FrameCount_, 0});
  Frames_.resize(FrameCapacity_);
  ResizeSortList();
}

void TSXRenderingQueue::SetBillboardCapacity(int32_t n) {
  BillboardCapacity_ = std::max({n, BillboardCount_, 0});
  Billboards_.resize(BillboardCapacity_);
  ResizeSortList();
}

void TSXRenderingQueue::DrawFrame(IDirect3DDevice9* device, int32_t i) {
  // No frame objects exist in this system, so there is nothing to draw.
  (void)device;
  (void)i;
}

void TSXRenderingQueue::DrawBillboard(IDirect3DDevice9* device, int32_t i) {
  // Nothing queues billboards in this system; their place in the order is kept.
  (void)device;
  (void)i;
}
