// A rendering queue of the scene (unit SXlib9): the polygons of one frame, kept by value in
// arrays that only grow, drawn in one pass with a cache that skips redundant device state
// changes. The design gives the queue scene-graph frames and billboards as well; the game never
// queues any, so they stand in their own marked section below.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "graphics/scene/math_pack.h"
#include "graphics/scene/sx_vertex.h"
#include "platform/d3d9/d3d9.h"

class TDGCarad;
class TDGTexture;
class TSXScene;
// A node of a scene graph (see the frames-and-billboards section of TSXRenderingQueue).
class TSXFrame;

// One queued polygon, stored by value.
struct TSXPolygonItem {
  bool Filter;  // linear (true) or point sampling
  int32_t AddressU;
  int32_t AddressV;
  int32_t BlendMode;    // index into the scene's blend table
  TDGTexture* Texture;  // may be nullptr: the polygon shows its vertex colours
  float X, Y, Z;        // position and depth; Z < 0 is never drawn
  TSXVertex Vertices[4];
};

// One queued billboard: a picture that faces the viewer at a point of the scene graph. Specified
// by the design, never queued by the game.
struct TSXBillboardItem {
  bool Filter;
  int32_t AddressU;
  int32_t AddressV;
  int32_t BlendMode;
  TDGTexture* Texture;
  TSXFrame* Frame;
  TVec3 Position;
  TSXVertex Vertices[4];
};

class TSXRenderingQueue {
 public:
  static constexpr int32_t kInitialCapacity = 32;
  static constexpr int32_t kDefaultAlphaRef = 128;

  TSXRenderingQueue(TDGCarad* carad, TSXScene* scene);
  TSXRenderingQueue(const TSXRenderingQueue&) = delete;
  TSXRenderingQueue& operator=(const TSXRenderingQueue&) = delete;

  // Queues a copy of the first four vertices, doubling the polygon capacity when it is full.
  // Returns false and queues nothing when fewer than four vertices are given.
  bool AddPolygon(bool filter, int32_t addressU, int32_t addressV, int32_t blendMode,
                  const TVec3& pos, TDGTexture* texture, std::span<const TSXVertex> vertices);

  // Sets the polygon list's length and sizes SortIndex and SortKey to the sum of the three
  // capacities (frames, billboards, polygons). A capacity is never set below the number of items
  // queued in its list (queued items are never dropped) nor below zero; the same holds for
  // SetFrameCapacity and SetBillboardCapacity.
  void SetPolygonCapacity(int32_t n);

  // Draws the queue: opaque and overlay queues in submission order, the translucent queue
  // sorted farthest first when `sort` is set.
  void Render(bool sort, const TMatrix& view, const D3DVIEWPORT9& viewport, bool clearAfter);

  // Empties the lists; capacities are kept.
  void ResetQueue();

  TDGCarad* Carad() const { return Carad_; }
  TSXScene* Scene() const { return Scene_; }
  int32_t PolygonCapacity() const { return PolygonCapacity_; }
  int32_t PolygonCount() const { return PolygonCount_; }
  int32_t SortedPolygonCount() const { return SortedPolygonCount_; }
  const TSXPolygonItem& Polygon(int32_t i) const { return Polygons_[i]; }
  size_t SortListSize() const { return SortIndex_.size(); }

  int32_t AlphaRef = kDefaultAlphaRef;

  // ---- Specified by the design, not used by the game: scene-graph frames and billboards ---------
  // This system defines no frame, mesh or billboard objects and the game queues none (it renders
  // with no root frame). The queue keeps their lists and capacities, and their places in the sort
  // (a frame at depth 0, a billboard at its point's screen depth when in front of the viewer) and
  // in the draw order; drawing one draws nothing.
  void AddFrame(TSXFrame* frame);
  void SetFrameCapacity(int32_t n);
  void SetBillboardCapacity(int32_t n);
  int32_t FrameCapacity() const { return FrameCapacity_; }
  int32_t BillboardCapacity() const { return BillboardCapacity_; }
  int32_t FrameCount() const { return FrameCount_; }
  int32_t BillboardCount() const { return BillboardCount_; }
  int32_t SortedBillboardCount() const { return SortedBillboardCount_; }
  // The matrix the last pass combined for frames and billboards: View x projection x viewport.
  const TMatrix& Combined() const { return Combined_; }

 private:
  void ResizeSortList();
  void ResetDeviceState(IDirect3DDevice9* device);
  // Frames and billboards draw nothing (see their section above).
  void DrawFrame(IDirect3DDevice9* device, int32_t i);
  void DrawBillboard(IDirect3DDevice9* device, int32_t i);
  void DrawPolygonItem(IDirect3DDevice9* device, const TSXPolygonItem& item);
  // Fills the sort list (frames, billboards that pass, polygons with Z >= 0) and sorts it;
  // returns the number of entries.
  int32_t BuildSortList();

  void ApplySamplerStates(IDirect3DDevice9* device, bool filter, int32_t addressU,
                          int32_t addressV);
  void RestoreSamplerStates(IDirect3DDevice9* device);
  void ApplyItemStates(IDirect3DDevice9* device, int32_t blendMode, TDGTexture* texture,
                       DWORD specular, DWORD fillMode, DWORD wrap, DWORD lighting);
  void ApplyBlendMode(IDirect3DDevice9* device, int32_t n);

  TDGCarad* Carad_;
  TSXScene* Scene_;
  std::vector<TSXFrame*> Frames_;
  std::vector<TSXBillboardItem> Billboards_;
  std::vector<TSXPolygonItem> Polygons_;
  std::vector<int32_t> SortIndex_;
  std::vector<float> SortKey_;
  int32_t FrameCapacity_ = 0;
  int32_t BillboardCapacity_ = 0;
  int32_t PolygonCapacity_ = 0;
  int32_t FrameCount_ = 0;
  int32_t BillboardCount_ = 0;
  int32_t PolygonCount_ = 0;
  int32_t SortedBillboardCount_ = 0;
  int32_t SortedPolygonCount_ = 0;
  TMatrix Combined_ = IdentityMatrix;

  // The state cache of one pass.
  TDGTexture* CachedTexture_ = nullptr;
  int32_t CachedBlendMode_ = 0;
  bool CachedFilter_ = false;
  int32_t CachedAddressU_ = 0;
  int32_t CachedAddressV_ = 0;
  DWORD CachedSpecular_ = 1;
  DWORD CachedLighting_ = 1;
  DWORD CachedFillMode_ = D3DFILL_SOLID;
  DWORD CachedWrap_ = 0;
  bool SamplerStatesSaved_ = false;
  // MIPFILTER, MAGFILTER, MINFILTER, ADDRESSU, ADDRESSV as found at the pass's first polygon.
  DWORD SavedSamplerStates_[5] = {};
};
