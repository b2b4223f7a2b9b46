#include "graphics/device/dg_carad.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "support/dg_test_env.h"

using ::testing::ElementsAre;

namespace {

constexpr TDGDebugOptions kLogEverything{dgoDebugMessage, dgoDetailedLog};

// A registered resource that records every callback it receives into a shared journal.
class RecordingOwner : public TDGResourceOwner {
 public:
  RecordingOwner(TDGCarad& carad, std::string name, std::vector<std::string>& journal,
                 bool allCallbacks = true)
      : carad_(&carad), name_(std::move(name)), journal_(journal) {
    auto note = [this](const char* what) {
      return [this, what] { journal_.push_back(name_ + ":" + what); };
    };
    id_ = carad.RegisterResource(this, name_, note("release"), note("rebuild"),
                                 allCallbacks ? note("before") : TDGResourceEvent{},
                                 allCallbacks ? note("after") : TDGResourceEvent{});
  }
  ~RecordingOwner() override {
    if (carad_ != nullptr) carad_->UnregisterResource(id_);
  }
  std::string ClassName() const override { return "RecordingOwner"; }
  void DestroyedByCarad() override {
    journal_.push_back(name_ + ":destroyed");
    TDGCarad* carad = carad_;
    carad_ = nullptr;
    carad->UnregisterResource(id_);
  }
  std::int32_t id() const { return id_; }

 private:
  TDGCarad* carad_;
  std::string name_;
  std::vector<std::string>& journal_;
  std::int32_t id_ = -1;
};

// An owner that forgets to unregister when the component goes.
class ForgetfulOwner : public TDGResourceOwner {
 public:
  std::string ClassName() const override { return "ForgetfulOwner"; }
  void DestroyedByCarad() override { ++calls; }
  int calls = 0;
};

class DGCaradTest : public dgtest::DGEnvironment {
 protected:
  // A client area of 640 x 480 inside a frame with 16 and 39 pixels of borders.
  TNullWindow window_{640, 480, 16, 39};
};

}  // namespace

TEST_F(DGCaradTest, StartUpCreatesAWindowedDeviceOfTheClientSize) {
  TDGCarad dg(&window_);
  EXPECT_EQ(dg.DebugOption(), (TDGDebugOptions{dgoHaltOnError, dgoDebugMessage, dgoDetailedLog}));
  dg.SetDebugOption({});
  dg.Loaded();
  ASSERT_NE(dg.D3D(), nullptr);
  ASSERT_NE(dg.Device(), nullptr);
  EXPECT_TRUE(dg.Windowed());
  EXPECT_EQ(dg.BackBufferWidth(), 640u);
  EXPECT_EQ(dg.BackBufferHeight(), 480u);
  EXPECT_EQ(dg.BackBufferFormat(), d3d9standin::GetConfig().DesktopFormat);
  EXPECT_EQ(dg.DeviceType(), D3DDEVTYPE_HAL);
  EXPECT_EQ(dg.Adapter(), 0u);
  EXPECT_EQ(dg.BackBufferCount(), 1);
  ASSERT_NE(dg.GetBackBuffer(0), nullptr);
  EXPECT_EQ(dg.GetBackBuffer(1), nullptr);
  EXPECT_EQ(dg.GetBackBuffer(-1), nullptr);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(dg.GetBackBuffer(0)->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 640u);
  EXPECT_EQ(desc.Height, 480u);
  // No depth formats asked for: no automatic depth-stencil surface.
  EXPECT_EQ(dg.PresentParams().EnableAutoDepthStencil, FALSE);
  EXPECT_EQ(dg.DepthStencil(), nullptr);
  EXPECT_EQ(dg.PresentParams().SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(dg.PresentParams().hDeviceWindow, &window_);
  EXPECT_TRUE(window_.Shown());
  D3DDEVICE_CREATION_PARAMETERS creation{};
  ASSERT_EQ(dg.Device()->GetCreationParameters(&creation), D3D_OK);
  EXPECT_EQ(creation.BehaviorFlags, D3DCREATE_HARDWARE_VERTEXPROCESSING);
}

TEST_F(DGCaradTest, ChangeToWindowModeSizesTheClientAreaExactly) {
  TDGCarad dg(&window_);
  dg.SetDebugOption({});
  dg.Loaded();
  ASSERT_TRUE(window_.MoveWindow(100, 50, 300 + 16, 200 + 39));
  dg.ChangeToWindowMode(688, 528, {}, 0, D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE, 0);
  const RECT outer = window_.WindowRect();
  const RECT client = window_.ClientRect();
  EXPECT_EQ(client.right, 688);
  EXPECT_EQ(client.bottom, 528);
  EXPECT_EQ(outer.left, 100);  // the window stays where it was
  EXPECT_EQ(outer.top, 50);
  EXPECT_EQ(outer.right - outer.left, 688 + 16);
  EXPECT_EQ(dg.BackBufferWidth(), 688u);
  EXPECT_EQ(dg.BackBufferHeight(), 528u);
  // The desktop's refresh rate and format stay with the new mode.
  EXPECT_EQ(dg.BackBufferFormat(), d3d9standin::GetConfig().DesktopFormat);
}

TEST_F(DGCaradTest, RecreatingTheDeviceReleasesThenRebuildsEachResourceInOrder) {
  TDGCarad dg(&window_);
  dg.SetDebugOption({});
  dg.Loaded();
  std::vector<std::string> journal;
  RecordingOwner a(dg, "a", journal), b(dg, "b", journal), c(dg, "c", journal);
  EXPECT_EQ(a.id(), 0);
  EXPECT_EQ(c.id(), 2);
  // An owner with release and rebuild left unassigned is skipped.
  const std::int32_t silent = dg.RegisterResource(nullptr, "silent", {}, {}, {}, {});
  dg.ChangeToWindowMode(320, 240, {}, 0, D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE, 0);
  EXPECT_THAT(journal, ElementsAre("a:release", "b:release", "c:release", "a:rebuild", "b:rebuild",
                                   "c:rebuild"));
  dg.UnregisterResource(silent);

  // IDs are never reused, and an unregistered resource is no longer called.
  journal.clear();
  {
    RecordingOwner gone(dg, "gone", journal);
    EXPECT_EQ(gone.id(), 4);
  }
  RecordingOwner d(dg, "d", journal);
  EXPECT_EQ(d.id(), 5);
  EXPECT_EQ(dg.NextResourceID(), 6);
  dg.ReleaseAllResources();
  dg.RebuildAllResources();
  EXPECT_THAT(journal, ElementsAre("a:release", "b:release", "c:release", "d:release", "a:rebuild",
                                   "b:rebuild", "c:rebuild", "d:rebuild"));
}

TEST_F(DGCaradTest, ACallbackMayUnregisterResourcesDuringAPass) {
  TDGCarad dg(&window_);
  dg.SetDebugOption({});
  dg.Loaded();
  std::vector<std::string> journal;
  std::int32_t second = -1;
  const std::int32_t first = dg.RegisterResource(nullptr, "first",
                                                 [&] {
                                                   journal.push_back("first");
                                                   dg.UnregisterResource(second);
                                                 },
                                                 {}, {}, {});
  second = dg.RegisterResource(nullptr, "second", [&] { journal.push_back("second"); }, {}, {}, {});
  dg.ReleaseAllResources();
  EXPECT_THAT(journal, ElementsAre("first"));
  dg.UnregisterResource(first);
  EXPECT_TRUE(dg.Resources().empty());
}

TEST_F(DGCaradTest, ResetCallsBeforeAndAfterAroundTheResetOfALostDevice) {
  TDGCarad dg(&window_);
  dg.SetDebugOption({});
  dg.Loaded();
  std::vector<std::string> journal;
  RecordingOwner a(dg, "a", journal), b(dg, "b", journal, /*allCallbacks=*/false),
      c(dg, "c", journal);
  IDirect3DSurface9* const oldBackBuffer = dg.GetBackBuffer(0);
  d3d9standin::LoseDevice(dg.Device(), 1);
  EXPECT_EQ(dg.Device()->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(dg.Device()->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  dg.ResetDevice();
  EXPECT_THAT(journal, ElementsAre("a:before", "c:before", "a:after", "c:after"));
  EXPECT_EQ(dg.Device()->TestCooperativeLevel(), D3D_OK);
  EXPECT_FALSE(d3d9standin::IsDeviceLost(dg.Device()));
  ASSERT_NE(dg.GetBackBuffer(0), nullptr);
  (void)oldBackBuffer;
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(dg.GetBackBuffer(0)->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 640u);
}

TEST_F(DGCaradTest, LogOfStartUpAndShutDown) {
  {
    TDGCarad dg(&window_);
    dg.SetDebugOption(kLogEverything);
    dg.Loaded();
  }
  const std::string log = Log();
  EXPECT_TRUE(
      log.starts_with("#00001 | \r\n#00002 | ■■■起動時の初期化をします■■■\r\n"
                      "#00003 |   Direct3Dを生成します\r\n"))
      << log.substr(0, 200);
  for (const char* line :
       {"|   ウィンドウのクライアント領域のサイズに合わせて初期化を開始します\r\n",
        "|   ■■■Windowモードへ移行します■■■\r\n",
        "|       ウィンドウモード 640x480で初期化します\r\n",
        "|       ハードウェアアクセラレーションを利用します\r\n",
        "|       希望のデプスステンシルサーフェスのフォーマットが見つかりませんでした\r\n",
        "|       デプスステンシルサーフェスのフォーマット...UNKNOWN\r\n",
        "|       ハードウェアT&Lを利用します\r\n",
        "|       Direct3DDeviceオブジェクトの生成を行います\r\n",
        "|       全てのDGCaradリソースを再構築します\r\n", "| ■■■DGCarad 起動しました■■■\r\n",
        "| ■■■お別れの時がやってまいりました■■■\r\n",
        "|   DGCaradオブジェクトの解放に伴い、全ての関連オブジェクトを解放します\r\n",
        "|     バックバッファを解放します\r\n",
        "|     Direct3DDeviceオブジェクトの解放を行います\r\n",
        "|   Direct3Dオブジェクトの解放を行います\r\n", "| ■■■それではごきげんよう■■■\r\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
  EXPECT_TRUE(std::regex_search(log, std::regex("VendorID : [0-9A-F]{8}, DeviceID : [0-9A-F]{8}, "
                                                "SubSysID : [0-9A-F]{8}, Revision : [0-9A-F]{8}")));
  // The goodbye banner and an empty line close the log.
  EXPECT_TRUE(
      std::regex_search(log, std::regex("■■■それではごきげんよう■■■\r\n#[0-9]{5} \\| \r\n$")));
  EXPECT_EQ(DGCarad9::LogDepth, 0);
  // No failure was logged on the way.
  EXPECT_EQ(log.find("Error Code"), std::string::npos);
}

TEST_F(DGCaradTest, CapabilitiesChooseDeviceTypeAndVertexProcessing) {
  struct Case {
    bool hal, tnl, refDevice, softwareVP;
    D3DDEVTYPE type;
    DWORD behavior;
    const char* line;
  };
  const Case cases[] = {
      {true, true, false, false, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING,
       "ハードウェアT&L"},
      {true, false, false, false, D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
       "ソフトウェアT&L"},
      {true, true, false, true, D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
       "ソフトウェアT&L"},
      {true, true, true, false, D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
       "ソフトウェアエミュレーション"},
      {false, true, false, false, D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
       "ソフトウェアエミュレーション"},
  };
  for (const Case& c : cases) {
    d3d9standin::GetConfig().HalAvailable = c.hal;
    d3d9standin::GetConfig().HardwareTnL = c.tnl;
    DGCarad9::SetLogFolder(folder_);
    TDGCarad dg(&window_);
    dg.SetDebugOption(kLogEverything);
    dg.SetUseREFDevice(c.refDevice);
    dg.SetUseSoftwareVertexProcessing(c.softwareVP);
    dg.Loaded();
    ASSERT_NE(dg.Device(), nullptr);
    EXPECT_EQ(dg.DeviceType(), c.type);
    D3DDEVICE_CREATION_PARAMETERS creation{};
    ASSERT_EQ(dg.Device()->GetCreationParameters(&creation), D3D_OK);
    EXPECT_EQ(creation.DeviceType, c.type);
    EXPECT_EQ(creation.BehaviorFlags, c.behavior);
    EXPECT_TRUE(LogHas(c.line)) << c.line;
  }
}

TEST_F(DGCaradTest, DepthFormatsPickTheFirstMatchingOne) {
  TDGCarad dg(&window_);
  dg.SetDebugOption({});
  dg.Loaded();
  const D3DFORMAT wanted[] = {D3DFMT_D15S1, D3DFMT_D24X8, D3DFMT_D16};
  EXPECT_EQ(dg.FindDepthStencilFormat(0, D3DDEVTYPE_HAL,
                                      D3DPRESENT_PARAMETERS{.BackBufferFormat = D3DFMT_X8R8G8B8,
                                                            .EnableAutoDepthStencil = TRUE},
                                      wanted),
            D3DFMT_D24X8);
  // Without an automatic depth-stencil surface the list is not even looked at.
  EXPECT_EQ(
      dg.FindDepthStencilFormat(0, D3DDEVTYPE_HAL,
                                D3DPRESENT_PARAMETERS{.BackBufferFormat = D3DFMT_X8R8G8B8}, wanted),
      D3DFMT_UNKNOWN);
  dg.ChangeToWindowMode(320, 200, wanted, 0, D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE, 0);
  EXPECT_EQ(dg.PresentParams().EnableAutoDepthStencil, TRUE);
  EXPECT_EQ(dg.PresentParams().AutoDepthStencilFormat, D3DFMT_D24X8);
  ASSERT_NE(dg.DepthStencil(), nullptr);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(dg.DepthStencil()->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Format, D3DFMT_D24X8);
  EXPECT_EQ(desc.Width, 320u);
}

TEST_F(DGCaradTest, UnknownIdIsReportedAndChangesNothing) {
  TDGCarad dg(&window_);
  dg.SetDebugOption({dgoDebugMessage});
  dg.Loaded();
  const std::int32_t id = dg.RegisterResource(nullptr, "kept", {}, {}, {}, {});
  dg.UnregisterResource(id + 7);
  EXPECT_EQ(dg.Resources().size(), 1u);
  EXPECT_TRUE(LogHas("リストに入ってないDGCaradリソース(ID:" + std::to_string(id + 7) +
                     ")が、UnregisterResource手続きに渡されました(Error Code = UNKNOWN ERROR ... "
                     "$00000001)"));
  dg.UnregisterResource(id);
  EXPECT_TRUE(dg.Resources().empty());
}

TEST_F(DGCaradTest, HaltOnErrorEndsTheProcessWithTheMessage) {
  EXPECT_EXIT(
      {
        TDGCarad dg(&window_);
        dg.SetDebugOption({dgoHaltOnError});
        dg.Loaded();
        dg.UnregisterResource(42);
      },
      ::testing::ExitedWithCode(1), "リストに入ってないDGCaradリソース\\(ID:42\\)");
  EXPECT_EQ(Log(), "");  // halting alone writes no log
}

TEST_F(DGCaradTest, ReferencesLeftBehindCountAsFailures) {
  TDGCarad dg(&window_);
  dg.SetDebugOption({dgoDebugMessage});
  dg.Loaded();
  IDirect3DSurface9* extra = dg.GetBackBuffer(0);
  extra->AddRef();
  dg.ReleaseDevice();
  EXPECT_TRUE(
      LogHas("バックバッファ #0　の解放に失敗しました(Error Code = UNKNOWN ERROR ... $00000001)"));
  EXPECT_EQ(dg.Device(), nullptr);
  EXPECT_EQ(dg.GetBackBuffer(0), nullptr);
  extra->Release();
}

TEST_F(DGCaradTest, ShutDownDestroysResourcesStillRegistered) {
  std::vector<std::string> journal;
  ForgetfulOwner forgetful;
  auto dg = std::make_unique<TDGCarad>(&window_);
  dg->SetDebugOption(kLogEverything);
  dg->Loaded();
  // The owner's memory is not the component's: it outlives the component here.
  auto leaked = std::make_unique<RecordingOwner>(*dg, "leaked", journal);
  dg->RegisterResource(&forgetful, "forgetful", {}, {}, {}, {});
  dg.reset();
  EXPECT_THAT(journal, ElementsAre("leaked:destroyed"));
  EXPECT_EQ(forgetful.calls, 1);
  leaked.reset();  // its destructor no longer touches the component
  EXPECT_TRUE(LogHas("ID 0(leaked) のDGCaradリソースは、明示的に解放されていません"));
  EXPECT_TRUE(LogHas("DGCaradリソース(RecordingOwner) : ID 0(leaked) を登録解除します"));
  EXPECT_TRUE(LogHas("ID 1(forgetful) のDGCaradリソースは、明示的に解放されていません"));
  EXPECT_TRUE(LogHas("■■■それではごきげんよう■■■"));
}
