#include "graphics/scene/sx_scene.h"

#include <cmath>
#include <cstring>

#include "graphics/device/dg_log.h"

namespace {

D3DMATRIX ToD3DMatrix(const TMatrix& matrix) {
  D3DMATRIX d3dMatrix;
  std::memcpy(d3dMatrix.m, matrix.m, sizeof(d3dMatrix.m));
  return d3dMatrix;
}

constexpr float kDefaultFov = 1.5707964f;  // pi / 2, horizontal
constexpr float kDefaultNearZ = 0.01f;
constexpr float kDefaultFarZ = 10000.0f;

}  // namespace

TSXScene::TSXScene(TDGCarad* carad, const std::string& name) : Carad_(carad), Name_(name) {
  OpaqueQueue_ = std::make_unique<TSXRenderingQueue>(carad, this);
  TranslucentQueue_ = std::make_unique<TSXRenderingQueue>(carad, this);
  OverlayQueue_ = std::make_unique<TSXRenderingQueue>(carad, this);
  StateRestorer_ = std::make_unique<TSXStateRestorer>(carad);

  // A rebuilt or reset device starts with default viewport and transforms: give it ours again.
  ResourceID_ = Carad_->RegisterResource(
      this, Name_, {}, [this] { Restore(); }, {}, [this] { Restore(); });

  BlendModes_ = BuiltInBlendModes();
  Camera_ = nullptr;
  SortTranslucent = true;

  RECT client{};
  GetClientRect(Carad_->OwnerControl(), &client);
  const int32_t width = client.right - client.left;
  const int32_t height = client.bottom - client.top;
  SetViewport(0, 0, width, height);
  // A window without a client area (a tool's null window, say) gets a square aspect rather than
  // a division by zero.
  const float aspect = width > 0 ? static_cast<float>(height) / static_cast<float>(width) : 1.0f;
  SetProjection(true, kDefaultFov, aspect, kDefaultNearZ, kDefaultFarZ);
  UpdateCaps();
}

TSXScene::~TSXScene() {
  if (Carad_ != nullptr) Carad_->UnregisterResource(ResourceID_);
}

void TSXScene::DestroyedByCarad() {
  if (Carad_ == nullptr) return;
  Carad_->UnregisterResource(ResourceID_);
  Carad_ = nullptr;
}

IDirect3DDevice9* TSXScene::Device() const {
  if (Carad_ == nullptr) return nullptr;
  return DeviceOverride_ != nullptr ? DeviceOverride_ : Carad_->Device();
}

void TSXScene::Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) {
  if (IDirect3DDevice9* device = Device()) device->Clear(0, nullptr, flags, colour, z, stencil);
}

void TSXScene::SetViewport(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  Viewport_.X = static_cast<DWORD>(left);
  Viewport_.Y = static_cast<DWORD>(top);
  Viewport_.Width = static_cast<DWORD>(right - left);
  Viewport_.Height = static_cast<DWORD>(bottom - top);
  Viewport_.MinZ = 0.0f;
  Viewport_.MaxZ = 1.0f;

  const float width = static_cast<float>(Viewport_.Width);
  const float height = static_cast<float>(Viewport_.Height);
  ScreenMatrix_ = IdentityMatrix;
  ScreenMatrix_.m[0][0] = width / 2;
  ScreenMatrix_.m[1][1] = -height / 2;
  ScreenMatrix_.m[2][2] = Viewport_.MaxZ - Viewport_.MinZ;
  ScreenMatrix_.m[3][0] = static_cast<float>(Viewport_.X) + width / 2;
  ScreenMatrix_.m[3][1] = static_cast<float>(Viewport_.Y) + height / 2;
  ScreenMatrix_.m[3][2] = Viewport_.MinZ;

  if (IDirect3DDevice9* device = Device()) device->SetViewport(&Viewport_);
}

void TSXScene::SetProjection(bool horizontal, float fov, float aspect, float nearZ, float farZ) {
  const double halfFov = static_cast<double>(fov) / 2;
  double xs;
  double ys;
  if (horizontal) {
    xs = std::cos(halfFov) / std::sin(halfFov);
    ys = xs / aspect;
    FovX_ = fov;
    FovY_ = static_cast<float>(2 * std::atan(1 / ys));
  } else {
    ys = std::cos(halfFov) / std::sin(halfFov);
    xs = ys * aspect;
    FovX_ = static_cast<float>(2 * std::atan(1 / xs));
    FovY_ = fov;
  }

  const double q = static_cast<double>(farZ) / (static_cast<double>(farZ) - nearZ);
  Projection_ = IdentityMatrix;
  Projection_.m[0][0] = static_cast<float>(xs);
  Projection_.m[1][1] = static_cast<float>(ys);
  Projection_.m[2][2] = static_cast<float>(q);
  Projection_.m[2][3] = 1.0f;
  Projection_.m[3][2] = static_cast<float>(-q * nearZ);
  Projection_.m[3][3] = 0.0f;

  if (IDirect3DDevice9* device = Device()) {
    const D3DMATRIX projection = ToD3DMatrix(Projection_);
    device->SetTransform(D3DTS_PROJECTION, &projection);
  }
  FarZ_ = farZ;
  NearZ_ = nearZ;
  Aspect_ = aspect;
}

int32_t TSXScene::AddBlendMode(const TSXBlendMode& mode) {
  BlendModes_.push_back(mode);
  return static_cast<int32_t>(BlendModes_.size()) - 1;
}

void TSXScene::UpdateCaps() {
  D3DCAPS9 caps{};
  IDirect3D9* d3d = Carad_ != nullptr ? Carad_->D3D() : nullptr;
  if (d3d == nullptr ||
      d3d->GetDeviceCaps(Carad_->Adapter(), Carad_->DeviceType(), &caps) != D3D_OK) {
    // Without caps the blend operation is left alone: ADD is every device's default.
    BlendOpSupported_ = false;
    return;
  }
  BlendOpSupported_ = (caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP) != 0;
}

void TSXScene::Restore() {
  if (IDirect3DDevice9* device = Device()) {
    device->SetViewport(&Viewport_);
    const D3DMATRIX projection = ToD3DMatrix(Projection_);
    device->SetTransform(D3DTS_PROJECTION, &projection);
  }
  UpdateCaps();
}

bool TSXScene::DrawPolygon(const TVec2& pos, std::span<const TSXVertex> vertices,
                           TDGTexture* texture, int32_t blendMode, bool filter, bool overlay,
                           float depth, int32_t addressU, int32_t addressV) {
  if (vertices.size() < 4) {
    DGCarad9::DebugLog(DGCarad9::Format(
        "TSXScene.DrawPolygon: a polygon needs four vertices, %zu given; nothing is queued",
        vertices.size()));
    return false;
  }
  if (blendMode < 0 || static_cast<size_t>(blendMode) >= BlendModes_.size()) {
    DGCarad9::DebugLog(DGCarad9::Format(
        "TSXScene.DrawPolygon: blend mode %d is not in the table (%zu modes); nothing is queued",
        blendMode, BlendModes_.size()));
    return false;
  }
  float z;
  TSXRenderingQueue* queue;
  if (overlay) {
    z = 0.0f;
    queue = OverlayQueue_.get();
  } else {
    z = depth;
    queue = BlendModes_[blendMode].Translucent ? TranslucentQueue_.get() : OpaqueQueue_.get();
  }
  return queue->AddPolygon(filter, addressU, addressV, blendMode, MakeVec3(pos.X, pos.Y, z),
                           texture, vertices);
}

void TSXScene::Render(TSXFrame* rootFrame, bool clearQueues) {
  // This system defines no scene graph, so a root frame adds nothing to the queues.
  (void)rootFrame;
  IDirect3DDevice9* device = Device();
  const TMatrix view = IdentityMatrix;  // there is no camera
  if (device != nullptr) {
    const D3DMATRIX d3dView = ToD3DMatrix(view);
    device->SetTransform(D3DTS_VIEW, &d3dView);
  }
  OpaqueQueue_->Render(false, view, Viewport_, clearQueues);
  TranslucentQueue_->Render(SortTranslucent, view, Viewport_, clearQueues);
  if (device != nullptr) {
    device->SetRenderState(D3DRS_ZENABLE, 0);
    device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  }
  OverlayQueue_->Render(false, view, Viewport_, clearQueues);
  if (device != nullptr) {
    device->SetRenderState(D3DRS_ZENABLE, 1);
    device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetTexture(0, nullptr);
  }
}
