#include "game_way.h"

#include <cstring>
#include <map>

#include "game/game.h"
#include "game/game_owned.h"
#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_scene.h"
#include "platform/base/files.h"
#include "platform/base/owner_window.h"
#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"
#include "platform/shell/shell.h"
#include "platform/speech/aquestalk.h"

namespace benchframe {
namespace {

// A window that answers every question with its default and shows nothing.
class TQuietWindow : public game::TGameWindow {
 public:
  std::u16string AnswerText() const override { return {}; }
  void SetAnswerText(const std::u16string&) override {}
  void SetMenuChecked(game::TMenuItem, bool) override {}
  bool MenuChecked(game::TMenuItem) const override { return false; }
  void SetMenuEnabled(game::TMenuItem, bool) override {}
  bool MenuEnabled(game::TMenuItem) const override { return true; }
  void ShowMessage(const std::string&) override {}
  game::TConfirmAnswer Confirm(const std::string&, bool) override {
    return game::TConfirmAnswer::No;
  }
  int ClientWidth() const override { return kScreenWidth; }
  int ClientHeight() const override { return kScreenHeight; }
  int OuterWidth() const override { return kScreenWidth + 6; }
  int OuterHeight() const override { return kScreenHeight + 48; }
};

// The picture part of a texture as A8R8G8B8 pixels.
TPicture PictureOf(TDGTexture& texture) {
  TPicture p{static_cast<int>(texture.Width()), static_cast<int>(texture.Height()), {}};
  p.Pixels.resize(static_cast<std::size_t>(p.Width) * p.Height);
  INT pitch = 0;
  void* bits = nullptr;
  if (p.Width > 0 && p.Height > 0 &&
      texture.LockRect(0, RECT{0, 0, p.Width, p.Height}, pitch, bits, D3DLOCK_READONLY) == D3D_OK) {
    for (int y = 0; y < p.Height; ++y) {
      std::memcpy(&p.Pixels[static_cast<std::size_t>(y) * p.Width],
                  static_cast<const std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pitch,
                  static_cast<std::size_t>(p.Width) * 4);
    }
    texture.UnlockRect();
  }
  return p;
}

}  // namespace

struct TGameWay::TImpl {
  // The clock stands still, so the bonus picture stays up in every frame.
  clockstandin::ManualClock Clock{1'000'000};
  TNullWindow Owner{kScreenWidth, kScreenHeight, 6, 48};
  TQuietWindow Window;
  std::unique_ptr<game::TGame> Game;
  TFrameContent Content;
};

TGameWay::TGameWay() : Impl_(std::make_unique<TImpl>()) {
  speechstandin::SetPlaybackEnabled(false);
  game::TGamePaths paths;
  paths.AppDir = files::ExecutableFolder();
  paths.DocumentsDir = std::filesystem::temp_directory_path() / "nightwisp-bench-frame";
  Impl_->Game = std::make_unique<game::TGame>(Impl_->Window, Impl_->Owner, paths);
  game::TGame& g = *Impl_->Game;
  g.FormCreate();
  // What start-up marked is rendered now, so the first frame drawn does not redraw those
  // labels over the ones set below.
  g.RefreshScreen();
  TGameState& s = g.State();
  auto& o = g.Objects();

  // A 39-character question of stage 3 between questions, every display on.
  const std::u16string reading =
      u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよら";
  s.MondaiText = reading.substr(0, kMojiSlots);
  s.MojiCount = kMojiSlots;
  s.SeikaiCount = 25;
  s.Playing = 0;
  s.TitleMode = 1;
  s.ShowSpelling = s.ShowReading = 1;
  s.BonusMode = 1;
  s.BonusTime = timeGetTime();
  s.BgmOn = 1;
  s.HintCount = 1;
  s.Akarusa.assign(s.MojiCount, 0);
  s.Akarumu.assign(s.MojiCount, 1);
  s.Fukuramu.assign(s.MojiCount, 0);
  s.HotaruSizeW.assign(s.MojiCount, 0);
  s.HotaruSizeH.assign(s.MojiCount, 0);
  s.MojiSizeW.assign(s.MojiCount, 0);
  s.MojiSizeH.assign(s.MojiCount, 0);
  for (int k = 0; k < s.MojiCount; ++k) {
    s.Moji[k] =
        MojiRecord{20 + 16 * k, 40 + 8 * k, 1 + k % 2, 2 - k % 2, s.MondaiText.substr(k, 1)};
    g.MakeTextTexture(o.MojiTextures[k].get(), nullptr, s.Moji[k].Char, o.MojiWriter.get());
    s.Akarusa[k] = (k * 37) % 256;
    s.HotaruSizeW[k] = static_cast<float>(o.HotaruTexture->Width()) * (0.5f + 0.01f * k);
    s.HotaruSizeH[k] = static_cast<float>(o.HotaruTexture->Height()) * (0.5f + 0.01f * k);
    s.MojiSizeW[k] = static_cast<float>(o.MojiTextures[k]->Width()) * (0.5f + 0.01f * k);
    s.MojiSizeH[k] = static_cast<float>(o.MojiTextures[k]->Height()) * (0.5f + 0.01f * k);
  }
  g.MakeTextTexture(o.Label(TLabel::Spelling).get(), o.Panel(TLabel::Spelling).get(),
                    u"石の上にも三年、急がば回れ、猿も木から落ちる", o.MojiWriter.get());
  g.MakeTextTexture(o.Label(TLabel::Reading).get(), nullptr, s.MondaiText, o.MojiWriter.get());
  s.Message1 = codepage::Utf8ToSjis("解答モードの変更は「ゲーム」から設定してください。");
  s.Message2 = codepage::Utf8ToSjis("Ctrlキーを押すとゲームが始まります。");
  g.MakeTextTexture(o.Label(TLabel::Message1).get(), nullptr, codepage::SjisToUtf16(s.Message1),
                    o.LabelWriter.get());
  g.MakeTextTexture(o.Label(TLabel::Message2).get(), nullptr, codepage::SjisToUtf16(s.Message2),
                    o.LabelWriter.get());
  o.SosaTexture->LoadFromFile((paths.AppDir / "Data" / "Sosa2.bmp").string(), "");
  s.Marks.SetLabel(TLabel::MusicTitle, u"/home/player/music/tamsu08-1.mp3");
  g.RefreshScreen();

  // One frame's queue, as plain content for the peer.
  o.Scene->OverlayQueue().ResetQueue();
  g.AnimateFireflies();
  g.DrawGameScreen();
  TSXRenderingQueue& queue = o.Scene->OverlayQueue();
  std::map<TDGTexture*, int> pictures;
  for (int i = 0; i < queue.PolygonCount(); ++i) {
    const TSXPolygonItem& item = queue.Polygon(i);
    auto [it, added] = pictures.emplace(item.Texture, static_cast<int>(pictures.size()));
    if (added) Impl_->Content.Pictures.push_back(PictureOf(*item.Texture));
    Impl_->Content.Sprites.push_back(
        TSprite{it->second, static_cast<int>(item.X), static_cast<int>(item.Y),
                static_cast<int>(item.Vertices[3].X), static_cast<int>(item.Vertices[3].Y),
                item.Vertices[0].Diffuse});
  }
  queue.ResetQueue();
}

TGameWay::~TGameWay() = default;

bool TGameWay::Ok() const { return Impl_->Game->Objects().DG->Device() != nullptr; }

void TGameWay::DrawFrame() { Impl_->Game->DrawFrame(); }

void TGameWay::DrawWholeFrame() {
  // One pixel cleared to its own colour after the last frame: the device no longer knows the
  // back buffer as that frame's, and draws the next one whole. (The game's back buffer cannot
  // be locked.)
  const D3DRECT pixel{0, 0, 1, 1};
  Impl_->Game->Objects().DG->Device()->Clear(1, &pixel, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  Impl_->Game->DrawFrame();
}

const TFrameContent& TGameWay::Content() const { return Impl_->Content; }

}  // namespace benchframe
