// What the scene asks of the device: creation and registration, viewport and projection, the
// three queues and their order, the translucent sort, the state cache, capacity growth, device
// rebuild and reset. Calls are recorded by a wrapper around the real software device.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "graphics/scene/math_pack.h"
#include "support/recording_device.h"
#include "support/scene_fixture.h"

namespace {

class SceneStateTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    Recorder = std::make_unique<TRecordingDevice>(Carad->Device());
    Scene->SetDeviceOverride(Recorder.get());
  }
  void TearDown() override {
    Scene->SetDeviceOverride(nullptr);
    SceneTest::TearDown();
  }

  // An overlay sprite at (x, y) with the game's settings.
  bool Sprite(float x, float y, TDGTexture* texture = nullptr, bool filter = false,
              int32_t addressU = D3DTADDRESS_CLAMP, int32_t blendMode = sxbAlphaBlend) {
    const std::vector<TSXVertex> quad = Quad(8, 8, 0xFFFFFFFF);
    return Scene->DrawPolygon(MakeVec2(x, y), quad, texture, blendMode, filter, true, 0.0f,
                              addressU, D3DTADDRESS_CLAMP);
  }

  // The X positions of the drawn polygons, in draw order.
  std::vector<float> DrawnXs() const {
    std::vector<float> xs;
    for (const TRecordedCall& draw : Recorder->Draws()) xs.push_back(draw.Vertices.at(0).X);
    return xs;
  }

  // The calls recorded between draw `i` and draw `i + 1`.
  std::vector<TRecordedCall> CallsBetweenDraws(size_t i) const {
    std::vector<TRecordedCall> between;
    size_t draws = 0;
    for (const TRecordedCall& call : Recorder->Calls) {
      if (call.Method == "DrawPrimitiveUP") {
        ++draws;
        if (draws > i + 1) break;
        continue;
      }
      if (draws == i + 1) between.push_back(call);
    }
    return between;
  }

  DWORD RenderState(D3DRENDERSTATETYPE state) {
    DWORD value = 0xDEADBEEF;
    Carad->Device()->GetRenderState(state, &value);
    return value;
  }
  DWORD SamplerState(D3DSAMPLERSTATETYPE type) {
    DWORD value = 0xDEADBEEF;
    Carad->Device()->GetSamplerState(0, type, &value);
    return value;
  }

  std::unique_ptr<TRecordingDevice> Recorder;
};

// Where a view-space point lands on screen through the scene's projection and viewport.
TVec4 ToScreen(const TSXScene& scene, float x, float y, float z) {
  const TMatrix clip = MatrixMultiply(scene.Projection(), scene.ScreenMatrix());
  TVec4 screen{};
  EXPECT_TRUE(HomogeneousDivide(Vec4Transform(TVec4{x, y, z, 1.0f}, clip), screen));
  return screen;
}

D3DMATRIX DeviceTransform(IDirect3DDevice9* device, D3DTRANSFORMSTATETYPE state) {
  D3DMATRIX matrix;
  device->GetTransform(state, &matrix);
  return matrix;
}

void ExpectSameMatrix(const D3DMATRIX& device, const TMatrix& scene) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(device.m[r][c], scene.m[r][c]) << r << "," << c;
  }
}

TEST_F(SceneStateTest, CreationRegistersTheSceneAndSetsUpTheWholeClientArea) {
  ASSERT_EQ(Carad->Resources().size(), 1u);
  const TDGResourceDesc& desc = *Carad->Resources()[0];
  EXPECT_EQ(desc.ID, Scene->ResourceID());
  EXPECT_EQ(desc.Owner, Scene.get());
  EXPECT_EQ(desc.Name, "");
  EXPECT_FALSE(desc.OnRelease);
  EXPECT_FALSE(desc.OnBeforeReset);
  EXPECT_TRUE(desc.OnRebuild);
  EXPECT_TRUE(desc.OnAfterReset);

  D3DVIEWPORT9 viewport;
  Carad->Device()->GetViewport(&viewport);
  EXPECT_EQ(viewport.X, 0u);
  EXPECT_EQ(viewport.Y, 0u);
  EXPECT_EQ(viewport.Width, static_cast<DWORD>(kWidth));
  EXPECT_EQ(viewport.Height, static_cast<DWORD>(kHeight));
  ExpectSameMatrix(DeviceTransform(Carad->Device(), D3DTS_PROJECTION), Scene->Projection());

  EXPECT_EQ(Scene->BlendModes().size(), static_cast<size_t>(kSXBuiltInBlendModeCount));
  EXPECT_TRUE(Scene->SortTranslucent);
  EXPECT_EQ(Scene->Camera(), nullptr);
  EXPECT_TRUE(Scene->BlendOpSupported());
  EXPECT_EQ(Scene->StateRestorer().Count(), 0u);
  EXPECT_EQ(Scene->OverlayQueue().AlphaRef, 128);

  // A 90-degree horizontal field of view: x = z reaches the right edge; y = z x tan(FovY / 2)
  // the top edge; the near plane maps to depth 0 and the far plane to 1.
  EXPECT_FLOAT_EQ(Scene->FovX(), 1.5707964f);
  EXPECT_FLOAT_EQ(Scene->Aspect(), static_cast<float>(kHeight) / kWidth);
  const TVec4 right = ToScreen(*Scene, 5.0f, 0.0f, 5.0f);
  EXPECT_NEAR(right.X, kWidth, 1e-3);
  EXPECT_NEAR(right.Y, kHeight / 2.0, 1e-3);
  const TVec4 top = ToScreen(*Scene, 0.0f, 5.0f * std::tan(Scene->FovY() / 2), 5.0f);
  EXPECT_NEAR(top.X, kWidth / 2.0, 1e-3);
  EXPECT_NEAR(top.Y, 0.0, 1e-3);
  EXPECT_NEAR(ToScreen(*Scene, 0, 0, 0.01f).Z, 0.0, 1e-5);
  EXPECT_NEAR(ToScreen(*Scene, 0, 0, 10000.0f).Z, 1.0, 1e-5);
}

TEST_F(SceneStateTest, ViewportAndVerticalProjectionReachTheDeviceAndMapTheirEdges) {
  Scene->SetViewport(8, 4, 40, 36);
  Scene->SetProjection(false, 1.0f, 0.5f, 1.0f, 100.0f);
  D3DVIEWPORT9 viewport;
  Carad->Device()->GetViewport(&viewport);
  EXPECT_EQ(viewport.X, 8u);
  EXPECT_EQ(viewport.Y, 4u);
  EXPECT_EQ(viewport.Width, 32u);
  EXPECT_EQ(viewport.Height, 32u);
  ExpectSameMatrix(DeviceTransform(Carad->Device(), D3DTS_PROJECTION), Scene->Projection());

  EXPECT_FLOAT_EQ(Scene->FovY(), 1.0f);
  // y = z tan(FovY / 2) is the viewport's top edge, x = z tan(FovX / 2) its right edge.
  const TVec4 top = ToScreen(*Scene, 0.0f, 10.0f * std::tan(0.5f), 10.0f);
  EXPECT_NEAR(top.Y, 4.0, 1e-3);
  EXPECT_NEAR(top.X, 24.0, 1e-3);
  const TVec4 right = ToScreen(*Scene, 10.0f * std::tan(Scene->FovX() / 2), 0.0f, 10.0f);
  EXPECT_NEAR(right.X, 40.0, 1e-3);
  EXPECT_NEAR(ToScreen(*Scene, 0, 0, 1.0f).Z, 0.0, 1e-5);
  EXPECT_NEAR(ToScreen(*Scene, 0, 0, 100.0f).Z, 1.0, 1e-5);
}

TEST_F(SceneStateTest, EmptyFrameDrawsNothingAndLeavesDepthOnAndNoTexture) {
  Carad->Device()->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
  Scene->Render(nullptr, true);
  EXPECT_EQ(Recorder->Count("DrawPrimitiveUP"), 0u);
  EXPECT_EQ(Recorder->Count("SetFVF"), 0u);
  ASSERT_FALSE(Recorder->Calls.empty());
  EXPECT_EQ(Recorder->Calls.front().Method, "SetTransform");
  EXPECT_EQ(Recorder->Calls.front().A, static_cast<uint32_t>(D3DTS_VIEW));

  EXPECT_EQ(RenderState(D3DRS_ZENABLE), 1u);
  EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), 1u);
  EXPECT_EQ(RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
  IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(1);
  Carad->Device()->GetTexture(0, &bound);
  EXPECT_EQ(bound, nullptr);
  // Texel x diffuse in colour and alpha.
  DWORD op = 0;
  Carad->Device()->GetTextureStageState(0, D3DTSS_ALPHAOP, &op);
  EXPECT_EQ(op, static_cast<DWORD>(D3DTOP_MODULATE));
}

TEST_F(SceneStateTest, PolygonsGoOutAsPretransformedStripsWithoutHalfPixelShift) {
  const std::vector<TSXVertex> quad = {MakeVertex(0x11223344, 0x55667788, 0, 0, 0.25f, 0.5f),
                                       MakeVertex(0x01020304, 0, 10, 0, 0.75f, 0.5f),
                                       MakeVertex(0x0A0B0C0D, 0, 0, 6, 0.25f, 1.0f),
                                       MakeVertex(0xFFFFFFFF, 0, 10, 6, 0.75f, 1.0f)};
  ASSERT_TRUE(Scene->DrawPolygon(MakeVec2(3, 7), quad, nullptr, sxbAlphaBlend, false, false, 0.25f,
                                 D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));
  Scene->Render(nullptr, true);

  ASSERT_EQ(Recorder->Draws().size(), 1u);
  const TRecordedCall draw = Recorder->Draws()[0];
  EXPECT_EQ(draw.A, static_cast<uint32_t>(D3DPT_TRIANGLESTRIP));
  EXPECT_EQ(draw.B, 2u);
  EXPECT_EQ(draw.C, 32u);
  ASSERT_EQ(Recorder->Of("SetFVF").size(), 1u);
  EXPECT_EQ(Recorder->Of("SetFVF")[0].A, 0x1C4u);
  ASSERT_EQ(draw.Vertices.size(), 4u);
  for (int k = 0; k < 4; ++k) {
    const TSXDeviceVertex& v = draw.Vertices[k];
    EXPECT_EQ(v.X, 3.0f + quad[k].X);
    EXPECT_EQ(v.Y, 7.0f + quad[k].Y);
    EXPECT_EQ(v.Z, 0.25f);
    EXPECT_EQ(v.RHW, 0.5f);
    EXPECT_EQ(v.Diffuse, quad[k].Diffuse);
    EXPECT_EQ(v.Specular, quad[k].Specular);
    EXPECT_EQ(v.U, quad[k].U);
    EXPECT_EQ(v.V, quad[k].V);
  }
}

TEST_F(SceneStateTest, QueuesDrawOpaqueThenSortedTranslucentThenOverlayInSubmissionOrder) {
  const std::vector<TSXVertex> quad = Quad(4, 4, 0xFFFFFFFF);
  auto polygon = [&](float x, int32_t mode, bool overlay, float depth) {
    ASSERT_TRUE(Scene->DrawPolygon(MakeVec2(x, 0), quad, nullptr, mode, false, overlay, depth,
                                   D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));
  };
  polygon(60, sxbAlphaBlend, true, 0.9f);  // overlay: depth ignored
  polygon(2, sxbAlphaBlend, false, 0.3f);
  polygon(1, sxbOpaque, false, 0.5f);
  polygon(3, sxbAdditive, false, 0.7f);
  polygon(4, sxbMultiply, false, -1.0f);  // behind the viewer: never drawn
  polygon(61, sxbOpaque, true, 0.1f);
  polygon(5, sxbDarken, false, 0.5f);
  polygon(6, sxbOpaqueAlphaTest, false, 0.2f);
  EXPECT_EQ(Scene->OpaqueQueue().PolygonCount(), 2);
  EXPECT_EQ(Scene->TranslucentQueue().PolygonCount(), 4);
  EXPECT_EQ(Scene->OverlayQueue().PolygonCount(), 2);
  EXPECT_EQ(Scene->OverlayQueue().Polygon(0).Z, 0.0f);

  Scene->Render(nullptr, true);
  EXPECT_EQ(DrawnXs(), (std::vector<float>{1, 6, 3, 5, 2, 60, 61}));
  EXPECT_EQ(Scene->TranslucentQueue().SortedPolygonCount(), 3);
  for (const TRecordedCall& draw : Recorder->Draws()) {
    if (draw.Vertices[0].X >= 60) {
      EXPECT_EQ(draw.Vertices[0].Z, 0.0f);
    }
  }
  // The overlay pass runs with the depth compare switched to ALWAYS.
  const auto zfunc = Recorder->RenderStates(D3DRS_ZFUNC);
  ASSERT_EQ(zfunc.size(), 2u);
  EXPECT_EQ(zfunc[0].B, static_cast<uint32_t>(D3DCMP_ALWAYS));
  EXPECT_EQ(zfunc[1].B, static_cast<uint32_t>(D3DCMP_LESSEQUAL));
  // Every queue was emptied.
  EXPECT_EQ(Scene->OpaqueQueue().PolygonCount(), 0);
  EXPECT_EQ(Scene->TranslucentQueue().PolygonCount(), 0);
  EXPECT_EQ(Scene->OverlayQueue().PolygonCount(), 0);
}

TEST_F(SceneStateTest, UnsortedTranslucentQueueKeepsSubmissionOrderAndQueuesCanBeKept) {
  Scene->SortTranslucent = false;
  const std::vector<TSXVertex> quad = Quad(4, 4, 0xFFFFFFFF);
  for (float depth : {0.3f, 0.7f, -1.0f, 0.5f}) {
    Scene->DrawPolygon(MakeVec2(depth * 10, 0), quad, nullptr, sxbAlphaBlend, false, false, depth,
                       D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP);
  }
  Scene->Render(nullptr, false);
  EXPECT_EQ(DrawnXs(), (std::vector<float>{3, 7, 5}));
  // Without ClearQueues the same polygons are drawn again by the next Render.
  EXPECT_EQ(Scene->TranslucentQueue().PolygonCount(), 4);
  Recorder->Calls.clear();
  Scene->Render(nullptr, true);
  EXPECT_EQ(DrawnXs(), (std::vector<float>{3, 7, 5}));
  EXPECT_EQ(Scene->TranslucentQueue().PolygonCount(), 0);
}

TEST_F(SceneStateTest, RedundantStateChangesAreSkippedBetweenDraws) {
  auto a = MakeTexture(8, 8, [](int, int) { return 0xFFFFFFFFu; });
  auto b = MakeTexture(8, 8, [](int, int) { return 0xFF000000u; });
  Sprite(0, 0, a.get());
  Sprite(1, 0, a.get());                                       // same everything
  Sprite(2, 0, b.get());                                       // another texture
  Sprite(3, 0, b.get(), true);                                 // linear filter
  Sprite(4, 0, b.get(), true, D3DTADDRESS_WRAP);               // another U address
  Sprite(5, 0, b.get(), true, D3DTADDRESS_WRAP, sxbAdditive);  // another blend mode
  Sprite(6, 0, b.get(), true, D3DTADDRESS_WRAP, sxbAdditive);  // same again
  Scene->Render(nullptr, true);
  ASSERT_EQ(Recorder->Draws().size(), 7u);

  auto methods = [](const std::vector<TRecordedCall>& calls) {
    std::vector<std::string> names;
    for (const TRecordedCall& call : calls) {
      std::string name = call.Method;
      if (call.Method == "SetSamplerState") name += ":" + std::to_string(call.B);
      if (call.Method == "SetRenderState") name += ":" + std::to_string(call.A);
      names.push_back(name);
    }
    return names;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(methods(CallsBetweenDraws(0)), V{"SetFVF"});
  EXPECT_EQ(methods(CallsBetweenDraws(1)), (V{"SetTexture", "SetFVF"}));
  EXPECT_EQ(methods(CallsBetweenDraws(2)),
            (V{"SetSamplerState:7", "SetSamplerState:5", "SetSamplerState:6", "SetFVF"}));
  EXPECT_EQ(methods(CallsBetweenDraws(3)), (V{"SetSamplerState:1", "SetFVF"}));
  EXPECT_EQ(methods(CallsBetweenDraws(4)),
            (V{"SetRenderState:27", "SetRenderState:14", "SetRenderState:19", "SetRenderState:20",
               "SetRenderState:171", "SetRenderState:15", "SetFVF"}));
  EXPECT_EQ(methods(CallsBetweenDraws(5)), V{"SetFVF"});

  // The linear filter switch set MIP none, MAG and MIN linear.
  const auto filter = CallsBetweenDraws(2);
  EXPECT_EQ(filter[0].C, static_cast<uint32_t>(D3DTEXF_NONE));
  EXPECT_EQ(filter[1].C, static_cast<uint32_t>(D3DTEXF_LINEAR));
  EXPECT_EQ(filter[2].C, static_cast<uint32_t>(D3DTEXF_LINEAR));
  EXPECT_EQ(CallsBetweenDraws(1)[0].Pointer, b->Texture());
}

TEST_F(SceneStateTest, SamplerStatesFoundBeforeAPassAreRestoredAfterIt) {
  IDirect3DDevice9* device = Carad->Device();
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
  Sprite(0, 0, nullptr, false, D3DTADDRESS_CLAMP);
  Sprite(1, 0, nullptr, true, D3DTADDRESS_BORDER);
  Scene->Render(nullptr, true);

  EXPECT_EQ(Recorder->Count("GetSamplerState"), 5u);
  EXPECT_EQ(SamplerState(D3DSAMP_MAGFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
  EXPECT_EQ(SamplerState(D3DSAMP_MINFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
  EXPECT_EQ(SamplerState(D3DSAMP_MIPFILTER), static_cast<DWORD>(D3DTEXF_POINT));
  EXPECT_EQ(SamplerState(D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_MIRROR));
  EXPECT_EQ(SamplerState(D3DSAMP_ADDRESSV), static_cast<DWORD>(D3DTADDRESS_WRAP));

  // A pass without polygons neither saves nor restores anything.
  Recorder->Calls.clear();
  Scene->Render(nullptr, true);
  EXPECT_EQ(Recorder->Count("GetSamplerState"), 0u);
  EXPECT_EQ(Recorder->Count("SetSamplerState"), 0u);
}

TEST_F(SceneStateTest, BlendModesSetTheirStatesAndAlphaTestUsesReference128) {
  const std::vector<TSXVertex> quad = Quad(4, 4, 0xFFFFFFFF);
  Scene->DrawPolygon(MakeVec2(0, 0), quad, nullptr, sxbOpaqueAlphaTest, false, true, 0,
                     D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP);
  Scene->Render(nullptr, true);
  EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), 1u);
  EXPECT_EQ(RenderState(D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATER));
  EXPECT_EQ(RenderState(D3DRS_ALPHAREF), 128u);
  EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u);

  Scene->DrawPolygon(MakeVec2(0, 0), quad, nullptr, sxbDarken, false, true, 0, D3DTADDRESS_CLAMP,
                     D3DTADDRESS_CLAMP);
  Scene->Render(nullptr, true);
  EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), 0u);
  EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 1u);
  EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ZERO));
  EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_INVSRCCOLOR));
  EXPECT_EQ(RenderState(D3DRS_BLENDOP), static_cast<DWORD>(D3DBLENDOP_ADD));
  // The pass ends with lighting off (a polygon was drawn); Render turns depth writes back on.
  EXPECT_EQ(RenderState(D3DRS_LIGHTING), 0u);
  EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), 1u);
}

TEST_F(SceneStateTest, BlendOperationIsNeverSetOnADeviceWithoutIt) {
  d3d9standin::GetConfig().BlendOpSupported = false;
  Scene->UpdateCaps();
  EXPECT_FALSE(Scene->BlendOpSupported());
  for (int32_t mode = 0; mode < kSXBuiltInBlendModeCount; ++mode) {
    Sprite(static_cast<float>(mode), 0, nullptr, false, D3DTADDRESS_CLAMP, mode);
  }
  Scene->Render(nullptr, true);
  EXPECT_EQ(Recorder->Draws().size(), static_cast<size_t>(kSXBuiltInBlendModeCount));
  EXPECT_TRUE(Recorder->RenderStates(D3DRS_BLENDOP).empty());

  d3d9standin::GetConfig().BlendOpSupported = true;
  Scene->UpdateCaps();
  Recorder->Calls.clear();
  Sprite(0, 0);
  Scene->Render(nullptr, true);
  EXPECT_EQ(Recorder->RenderStates(D3DRS_BLENDOP).size(), 1u);
}

TEST_F(SceneStateTest, The33rdPolygonDoublesTheCapacityAndKeepsEarlierOnesQueued) {
  TSXRenderingQueue& queue = Scene->OverlayQueue();
  EXPECT_EQ(queue.PolygonCapacity(), 32);
  EXPECT_EQ(queue.SortListSize(), 96u);
  for (int i = 0; i < 32; ++i) ASSERT_TRUE(Sprite(static_cast<float>(i), 1));
  EXPECT_EQ(queue.PolygonCapacity(), 32);
  ASSERT_TRUE(Sprite(32, 1));
  EXPECT_EQ(queue.PolygonCapacity(), 64);
  EXPECT_EQ(queue.PolygonCount(), 33);
  EXPECT_EQ(queue.SortListSize(), 32u + 32u + 64u);
  for (int i = 0; i < 33; ++i) EXPECT_EQ(queue.Polygon(i).X, static_cast<float>(i));
  for (int i = 33; i < 65; ++i) Sprite(static_cast<float>(i), 1);
  EXPECT_EQ(queue.PolygonCapacity(), 128);

  Scene->Render(nullptr, true);
  EXPECT_EQ(Recorder->Draws().size(), 65u);
  std::vector<float> expected;
  for (int i = 0; i < 65; ++i) expected.push_back(static_cast<float>(i));
  EXPECT_EQ(DrawnXs(), expected);
  // Emptied, with the grown arrays kept for the next frame.
  EXPECT_EQ(queue.PolygonCount(), 0);
  EXPECT_EQ(queue.PolygonCapacity(), 128);
}

TEST_F(SceneStateTest, CapacityNeverDropsQueuedPolygons) {
  TSXRenderingQueue& queue = Scene->OverlayQueue();
  for (int i = 0; i < 5; ++i) Sprite(static_cast<float>(i), 0);
  queue.SetPolygonCapacity(2);
  EXPECT_EQ(queue.PolygonCapacity(), 5);
  queue.ResetQueue();
  queue.SetPolygonCapacity(0);
  EXPECT_EQ(queue.PolygonCapacity(), 0);
  EXPECT_EQ(queue.SortListSize(), 64u);
  ASSERT_TRUE(Sprite(7, 0));
  ASSERT_TRUE(Sprite(8, 0));
  EXPECT_EQ(queue.PolygonCount(), 2);
  EXPECT_GE(queue.PolygonCapacity(), 2);
  Scene->Render(nullptr, true);
  EXPECT_EQ(DrawnXs(), (std::vector<float>{7, 8}));
}

// Scene-graph frames are specified but never queued by the game. Queued ones grow and keep their
// list like polygons, take their place in the sort, draw nothing, and leave the polygons' draw
// order alone.
TEST_F(SceneStateTest, QueuedFramesGrowTheirListTakePartInTheSortAndDrawNothing) {
  TSXRenderingQueue& queue = Scene->TranslucentQueue();
  EXPECT_EQ(queue.FrameCapacity(), 32);
  EXPECT_EQ(queue.BillboardCapacity(), 32);
  EXPECT_EQ(queue.SortListSize(), 96u);
  for (int i = 0; i < 33; ++i) queue.AddFrame(nullptr);
  EXPECT_EQ(queue.FrameCount(), 33);
  EXPECT_EQ(queue.FrameCapacity(), 64);
  queue.SetFrameCapacity(10);  // never below what is queued
  EXPECT_EQ(queue.FrameCapacity(), 33);
  queue.SetBillboardCapacity(-4);
  EXPECT_EQ(queue.BillboardCapacity(), 0);
  EXPECT_EQ(queue.SortListSize(), 33u + 0 + 32);

  const std::vector<TSXVertex> quad = Quad(4, 4, 0xFFFFFFFF);
  for (const auto& [x, depth] : {std::pair{2.0f, 0.3f}, {3.0f, 0.7f}, {4.0f, 0.5f}}) {
    ASSERT_TRUE(Scene->DrawPolygon(MakeVec2(x, 0), quad, nullptr, sxbAlphaBlend, false, false,
                                   depth, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));
  }
  Scene->Render(nullptr, true);
  EXPECT_EQ(DrawnXs(), (std::vector<float>{3, 4, 2}));  // farthest first, frames drew nothing
  EXPECT_EQ(queue.SortedPolygonCount(), 3);
  EXPECT_EQ(queue.SortedBillboardCount(), 0);
  EXPECT_EQ(queue.FrameCount(), 0);
  EXPECT_EQ(queue.FrameCapacity(), 33);
}

TEST_F(SceneStateTest, BadPolygonsAreRejectedAndAddedBlendModesAreUsable) {
  const std::vector<TSXVertex> quad = Quad(4, 4, 0xFFFFFFFF);
  const std::span<const TSXVertex> three(quad.data(), 3);
  EXPECT_FALSE(Scene->DrawPolygon(MakeVec2(0, 0), three, nullptr, sxbAlphaBlend, false, true, 0,
                                  D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));
  EXPECT_FALSE(Scene->DrawPolygon(MakeVec2(0, 0), quad, nullptr, 6, false, true, 0,
                                  D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));
  EXPECT_FALSE(Scene->DrawPolygon(MakeVec2(0, 0), quad, nullptr, -1, false, false, 0,
                                  D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));
  EXPECT_FALSE(Scene->OverlayQueue().AddPolygon(false, 3, 3, 0, MakeVec3(0, 0, 0), nullptr, three));
  EXPECT_EQ(Scene->OverlayQueue().PolygonCount(), 0);
  EXPECT_EQ(Scene->OpaqueQueue().PolygonCount(), 0);

  // A fifth vertex is ignored.
  std::vector<TSXVertex> five = quad;
  five.push_back(MakeVertex(0, 0, 99, 99, 0, 0));
  EXPECT_TRUE(Scene->DrawPolygon(MakeVec2(0, 0), five, nullptr, sxbAlphaBlend, false, true, 0,
                                 D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));

  const int32_t added = Scene->AddBlendMode(MakeBlendMode(
      true, true, D3DCMP_GREATEREQUAL, true, D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD));
  EXPECT_EQ(added, 6);
  EXPECT_TRUE(Scene->DrawPolygon(MakeVec2(1, 0), quad, nullptr, added, false, false, 0.5f,
                                 D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));
  EXPECT_EQ(Scene->TranslucentQueue().PolygonCount(), 1);
  Scene->Render(nullptr, true);
  ASSERT_EQ(Recorder->Draws().size(), 2u);
  EXPECT_EQ(Recorder->Draws()[0].Vertices.size(), 4u);
  EXPECT_EQ(RenderState(D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATEREQUAL));
  // The added mode's blend factors were set for its (translucent) polygon.
  const auto srcBlend = Recorder->RenderStates(D3DRS_SRCBLEND);
  ASSERT_FALSE(srcBlend.empty());
  EXPECT_EQ(srcBlend[0].B, static_cast<uint32_t>(D3DBLEND_ONE));
}

TEST_F(SceneStateTest, ResetDeviceGivesTheDeviceTheScenesViewportAndProjectionAgain) {
  Scene->SetViewport(8, 4, 40, 36);
  Scene->SetProjection(true, 1.2f, 0.75f, 0.5f, 50.0f);
  d3d9standin::LoseDevice(Carad->Device(), 1);
  EXPECT_NE(Carad->Device()->TestCooperativeLevel(), D3D_OK);
  ASSERT_EQ(Carad->Device()->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  Recorder->Calls.clear();
  Carad->ResetDevice();
  ASSERT_EQ(Carad->Device()->TestCooperativeLevel(), D3D_OK);

  EXPECT_EQ(Recorder->Count("SetViewport"), 1u);
  D3DVIEWPORT9 viewport;
  Carad->Device()->GetViewport(&viewport);
  EXPECT_EQ(viewport.X, 8u);
  EXPECT_EQ(viewport.Y, 4u);
  EXPECT_EQ(viewport.Width, 32u);
  EXPECT_EQ(viewport.Height, 32u);
  ExpectSameMatrix(DeviceTransform(Carad->Device(), D3DTS_PROJECTION), Scene->Projection());
}

TEST_F(SceneTest, ANewDeviceGetsTheScenesViewportProjectionAndCaps) {
  Scene->SetViewport(2, 2, 30, 20);
  d3d9standin::GetConfig().BlendOpSupported = false;
  Carad->ChangeToWindowMode(80, 60, {}, 0, D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE, 0);
  ASSERT_NE(Carad->Device(), nullptr);
  D3DVIEWPORT9 viewport;
  Carad->Device()->GetViewport(&viewport);
  EXPECT_EQ(viewport.X, 2u);
  EXPECT_EQ(viewport.Width, 28u);
  EXPECT_EQ(viewport.Height, 18u);
  ExpectSameMatrix(DeviceTransform(Carad->Device(), D3DTS_PROJECTION), Scene->Projection());
  EXPECT_FALSE(Scene->BlendOpSupported());
}

TEST_F(SceneTest, DestroyingTheSceneUnregistersIt) {
  auto second = std::make_unique<TSXScene>(Carad.get(), "second");
  ASSERT_EQ(Carad->Resources().size(), 2u);
  EXPECT_EQ(Carad->Resources()[1]->Name, "second");
  EXPECT_NE(second->ResourceID(), Scene->ResourceID());
  Scene.reset();
  ASSERT_EQ(Carad->Resources().size(), 1u);
  EXPECT_EQ(Carad->Resources()[0]->Owner, second.get());
  second.reset();
  EXPECT_TRUE(Carad->Resources().empty());
}

TEST_F(SceneTest, ASceneOutlivingItsComponentIsDetachedAndHarmless) {
  Carad.reset();  // shut-down while the scene is still registered
  EXPECT_EQ(Scene->Carad(), nullptr);
  EXPECT_EQ(Scene->Device(), nullptr);
  const std::vector<TSXVertex> quad = Quad(4, 4, 0xFFFFFFFF);
  EXPECT_TRUE(Scene->DrawPolygon(MakeVec2(0, 0), quad, nullptr, sxbAlphaBlend, false, true, 0,
                                 D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));
  Scene->Clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
  Scene->Render(nullptr, true);
  EXPECT_EQ(Scene->OverlayQueue().PolygonCount(), 0);
  Scene->Restore();
  EXPECT_FALSE(Scene->BlendOpSupported());
  Scene.reset();
}

}  // namespace
