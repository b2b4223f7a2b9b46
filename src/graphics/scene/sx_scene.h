// TSXScene (unit SXlib9): collects the textured polygons of one frame and draws them in a single
// pass at its end. Callers never draw through the device themselves: they queue polygons with
// DrawPolygon while the frame is built, and the main loop calls Render once between the device's
// BeginScene and EndScene.
//
//   TSXScene scene(&DG, "");                  // registers with the device component
//   scene.Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
//   TSXVertex v[4] = {MakeVertex(colour, 0, 0, 0, 0, 0), MakeVertex(colour, 0, w, 0, su, 0),
//                     MakeVertex(colour, 0, 0, h, 0, sv), MakeVertex(colour, 0, w, h, su, sv)};
//   scene.DrawPolygon(MakeVec2(x, y), v, texture, sxbAlphaBlend, false, true, 0, D3DTADDRESS_CLAMP,
//                     D3DTADDRESS_CLAMP);
//   scene.Render(nullptr, true);
//
// Three queues: opaque polygons (submission order, depth test and writes), translucent ones
// (sorted farthest first) and overlay polygons (screen space, submission order, drawn last
// whatever their depth).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "graphics/device/dg_carad.h"
#include "graphics/scene/math_pack.h"
#include "graphics/scene/sx_blend.h"
#include "graphics/scene/sx_queue.h"
#include "graphics/scene/sx_state_restorer.h"
#include "graphics/scene/sx_vertex.h"

class TDGTexture;

class TSXScene : public TDGResourceOwner {
 public:
  // Creates the queues, registers with `carad` (viewport and projection are re-applied whenever
  // the device is rebuilt or reset), fills the built-in blend modes, and sets the viewport to the
  // owner window's client area with a 90-degree horizontal field of view.
  TSXScene(TDGCarad* carad, const std::string& name);
  // Unregisters (unless the component went first) and frees the queues.
  ~TSXScene() override;
  TSXScene(const TSXScene&) = delete;
  TSXScene& operator=(const TSXScene&) = delete;

  // The device's Clear over the whole viewport.
  void Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil);
  void SetViewport(int32_t left, int32_t top, int32_t right, int32_t bottom);
  // Left-handed perspective; Fov is horizontal when `horizontal`, else vertical. Aspect is
  // height / width.
  void SetProjection(bool horizontal, float fov, float aspect, float nearZ, float farZ);
  // Appends a mode; returns its number (its position in the table).
  int32_t AddBlendMode(const TSXBlendMode& mode);

  // Queues one polygon of the first four vertices (top-left, top-right, bottom-left,
  // bottom-right, relative to pos). Overlay polygons go to the overlay queue at depth 0;
  // others to the translucent or opaque queue by their blend mode, at `depth`. Returns false
  // and queues nothing for fewer than four vertices or an unknown blend mode.
  bool DrawPolygon(const TVec2& pos, std::span<const TSXVertex> vertices, TDGTexture* texture,
                   int32_t blendMode, bool filter, bool overlay, float depth, int32_t addressU,
                   int32_t addressV);

  // Draws the opaque, translucent and overlay queues, in this order; empties them when
  // `clearQueues`. Leaves depth test and writes on, ZFUNC LESSEQUAL and no texture on stage 0.
  // This system has no scene graph: a root frame is accepted and ignored.
  void Render(TSXFrame* rootFrame, bool clearQueues);

  // Re-applies viewport and projection to a new or reset device and reads its caps again.
  void Restore();
  // BlendOpSupported := the device's D3DPMISCCAPS_BLENDOP.
  void UpdateCaps();

  // TDGResourceOwner
  std::string ClassName() const override { return "TSXScene"; }
  void DestroyedByCarad() override;

  // The device the scene draws through: the component's, or the override when one is set.
  IDirect3DDevice9* Device() const;
  // Routes every device call of the scene through `device` instead of the component's (a
  // wrapper that records or forwards calls, for tests and tools); nullptr ends the override.
  void SetDeviceOverride(IDirect3DDevice9* device) { DeviceOverride_ = device; }

  TDGCarad* Carad() const { return Carad_; }
  int32_t ResourceID() const { return ResourceID_; }
  const std::string& Name() const { return Name_; }
  TSXFrame* Camera() const { return Camera_; }
  const TMatrix& Projection() const { return Projection_; }
  const TMatrix& ScreenMatrix() const { return ScreenMatrix_; }
  const D3DVIEWPORT9& Viewport() const { return Viewport_; }
  float FovX() const { return FovX_; }
  float FovY() const { return FovY_; }
  float Aspect() const { return Aspect_; }
  float NearZ() const { return NearZ_; }
  float FarZ() const { return FarZ_; }
  bool BlendOpSupported() const { return BlendOpSupported_; }
  const std::vector<TSXBlendMode>& BlendModes() const { return BlendModes_; }
  TSXStateRestorer& StateRestorer() { return *StateRestorer_; }
  TSXRenderingQueue& OverlayQueue() { return *OverlayQueue_; }
  TSXRenderingQueue& OpaqueQueue() { return *OpaqueQueue_; }
  TSXRenderingQueue& TranslucentQueue() { return *TranslucentQueue_; }

  // Sort the translucent queue (true after creation).
  bool SortTranslucent = true;

 private:
  std::unique_ptr<TSXStateRestorer> StateRestorer_;
  TSXFrame* Camera_ = nullptr;  // no camera: the view transform is the identity
  TDGCarad* Carad_;
  int32_t ResourceID_ = -1;
  std::string Name_;
  TMatrix Projection_ = IdentityMatrix;
  TMatrix ScreenMatrix_ = IdentityMatrix;
  D3DVIEWPORT9 Viewport_{};
  float FovX_ = 0.0f;
  float FovY_ = 0.0f;
  float Aspect_ = 0.0f;
  float NearZ_ = 0.0f;
  float FarZ_ = 0.0f;
  bool BlendOpSupported_ = false;
  std::vector<TSXBlendMode> BlendModes_;
  std::unique_ptr<TSXRenderingQueue> OverlayQueue_;
  std::unique_ptr<TSXRenderingQueue> OpaqueQueue_;
  std::unique_ptr<TSXRenderingQueue> TranslucentQueue_;
  IDirect3DDevice9* DeviceOverride_ = nullptr;
};
