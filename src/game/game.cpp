// TGame's objects: the window's components made with it, the device, the fonts, the sound
// effects, the pictures and the speech engine made by start-up (the rules' hooks, in the order
// FormCreate calls them), and destroy freeing it all in the window's order.
#include "game/game.h"

#include <algorithm>

#include "game/game_owned.h"
#include "game/label_table.h"
#include "graphics/device/jpeg_decoder.h"
#include "platform/base/fatal.h"
#include "platform/base/owner_window.h"
#include "platform/clock/clock.h"
#include "platform/gdi/gdi.h"
#include "rules/settings.h"

namespace game {
namespace {

constexpr UINT kSpiGetIconTitleLogFont = 31;
constexpr int kWindowFontHeight = -32;  // 32-pixel characters
constexpr int kDefaultCharset = 128;    // Shift-JIS

// The seven effects, wave 0 to wave 6.
constexpr const char* kWaveFiles[kSoundEffectCount] = {
    "seikai.wav",   "renzokuseikai.wav", "fuseikai.wav",  "gameclear.wav",
    "gameover.wav", "bonus.wav",         "stageclear.wav"};

// The archive's pictures shown during a game: the results and the bonus (the stage clears
// follow them).
constexpr const char* kLaterPictures[] = {kSeikaiPicture,   kRenzokuPicture,   kFuseikaiPicture,
                                          kGameOverPicture, kGameClearPicture, kBonusPicture};

std::unique_ptr<TDGTexture> NewTexture(TDGCarad* carad) {
  return std::make_unique<TDGTexture>(
      carad, std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 0,
      D3DPOOL_MANAGED, 0, "");
}

RECT WholePicture(const TDGTexture& texture) {
  return RECT{0, 0, static_cast<LONG>(texture.Width()), static_cast<LONG>(texture.Height())};
}

}  // namespace

TGame::TGame(TGameWindow& window, TOwnerWindow& ownerWindow, TGamePaths paths)
    : TGameRules(window, std::move(paths)),
      OwnerWindow(ownerWindow),
      Owned(std::make_unique<TOwned>()) {
  // The components the form carries: the device component and the sound component are
  // loaded with the form, both set to end the process on a library failure.
  Owned->DG = std::make_unique<TDGCarad>(&OwnerWindow);
  Owned->DG->SetDebugOption({dgoHaltOnError});
  Owned->DG->Loaded();
  Owned->DDSD1 = std::make_unique<TDDSD>(&OwnerWindow);
  Owned->DDSD1->SetChannelCount(kSoundEffectCount);
  Owned->DDSD1->SetDebugOption({dsoHaltOnError});
  Owned->DDSD1->Loaded();
  Owned->WindowsMediaPlayer1 = std::make_unique<TWindowsMediaPlayer>();
  // While the general decoder opens a file the window goes on painting and answering.
  Owned->WindowsMediaPlayer1->SetWaiting([this] { Window.ProcessMessages(); });
}

TGame::~TGame() {
  FormDestroy();
  // The form's components go with the form: the player, the sound, then the device.
  Owned->WindowsMediaPlayer1.reset();
  Owned->DDSD1.reset();
  Owned->DG.reset();
}

void TGame::CreateScreen() {
  TOwned& o = *Owned;
  // The device in windowed mode with a back buffer of the client size.
  o.DG->ChangeToWindowMode(S.ScreenWidth, S.ScreenHeight, {}, 0, D3DSWAPEFFECT_DISCARD,
                           D3DMULTISAMPLE_NONE, 0);
  const RECT client = OwnerWindow.ClientRect();
  S.ScreenWidth = client.right - client.left;
  S.ScreenHeight = client.bottom - client.top;
  // The scene, and a 1 ms timer resolution.
  o.Scene = std::make_unique<TSXScene>(o.DG.get(), "");
  if (timeBeginPeriod(1) == TIMERR_NOERROR) o.TimerPeriodSet = true;

  // The window font takes the icon-title face.
  gdi::LOGFONTA iconTitle{};
  if (gdi::SystemParametersInfoA(kSpiGetIconTitleLogFont, sizeof(iconTitle), &iconTitle, 0)) {
    o.WindowFont.SetName(gdi::FaceName(iconTitle));
  }
  o.WindowFont.SetHeight(kWindowFontHeight);
  o.WindowFont.SetStyle(gdi::fsBold);
  o.WindowFont.SetCharset(static_cast<BYTE>(kDefaultCharset));
  Window.SetAnswerFont(TFontChoice{o.WindowFont.Name(), kDefaultCharset, gdi::fsBold});

  // The two text writers.
  o.MojiWriter = std::make_unique<TSXTextWriter>(o.DG.get(), D3DFMT_A8R8G8B8, 16);
  o.MojiWriter->SetFont(o.WindowFont);
  o.LabelWriter = std::make_unique<TSXTextWriter>(o.DG.get(), D3DFMT_A8R8G8B8, 16);
  o.LabelWriter->Font().SetName(o.WindowFont.Name());
  o.LabelWriter->Font().SetSize(kLabelPoints);
  o.LabelWriter->Font().SetStyle(gdi::fsBold | gdi::fsItalic);

  // The character font, only when both settings files exist.
  if (const TSettings& saved = S.Settings; saved.FontSaved) {
    if (saved.FontStyle) S.FontStyle = *saved.FontStyle;
    const std::string& name = saved.FontName;
    for (const std::string& family : gdi::InstalledFontFamilies()) {
      if (family != name) continue;
      const auto charsetByte = static_cast<BYTE>(saved.FontCharset & 0xFF);
      o.MojiWriter->Font().SetCharset(charsetByte);
      o.MojiWriter->Font().SetName(name);
      o.MojiWriter->Font().SetStyle(S.FontStyle);
      Window.SetAnswerFont(TFontChoice{name, charsetByte, S.FontStyle});
      break;
    }
  }
}

void TGame::CreateSoundEffects() {
  TOwned& o = *Owned;
  const std::filesystem::path data = S.AppDir / "Data";
  for (int i = 0; i < kSoundEffectCount; ++i) {
    o.Waves[i] = std::make_unique<TDDSDWaveData>(o.DDSD1.get(), false, data / kWaveFiles[i]);
    // Binding an empty wave ends the game with the library's copy error, which does not say
    // why: name the effect file that could not be loaded, and why, instead.
    if (o.DDSD1->Initialized() && o.Waves[i]->Buffer() == nullptr) {
      const std::string& reason = o.Waves[i]->LoadError();
      fatal::Halt(reason.empty() ? "効果音ファイル「" + (data / kWaveFiles[i]).string() +
                                       "」を読み込めませんでした。"
                                 : "効果音ファイルを読み込めませんでした。\n" + reason);
    }
    if (o.DDSD1->Initialized()) o.DDSD1->Channel(i)->SetWaveData(o.Waves[i].get());
  }
}

void TGame::LoadPictures() {
  TOwned& o = *Owned;
  TDGCarad* dg = o.DG.get();
  const std::filesystem::path data = S.AppDir / "Data";
  for (int i = 0; i < kMojiSlots; ++i) {
    o.MojiTextures[i] = NewTexture(dg);
  }
  const std::string archive = (data / "wisplore.qda").string();
  o.HotaruTexture = NewTexture(dg);
  o.HotaruTexture->LoadFromFile("Hotaru.bmp", archive);
  o.HotaruTexture->SetColorKey(WholePicture(*o.HotaruTexture), 0xFFFFFFFFu);
  o.HikariTexture = NewTexture(dg);
  o.HikariTexture->LoadFromFile((data / "Hikari2.bmp").string(), "");
  o.HikariTexture->SetColorKey(WholePicture(*o.HikariTexture), 0xFFFFFFFFu);
  // The layout rules work from these two sizes.
  S.Pictures = TPictureSizes{static_cast<std::int32_t>(o.HotaruTexture->Width()),
                             static_cast<std::int32_t>(o.HotaruTexture->Height()),
                             static_cast<std::int32_t>(o.HikariTexture->Width()),
                             static_cast<std::int32_t>(o.HikariTexture->Height())};
  o.KotaeTexture = NewTexture(dg);
  o.KotaeTexture2 = NewTexture(dg);
  MakeTextTexture(o.KotaeTexture.get(), o.KotaeTexture2.get(), u"答", o.MojiWriter.get());
  o.HaikeiTexture = NewTexture(dg);
  try {
    const auto [maxWidth, maxHeight] = o.HaikeiTexture->MaxSize();
    const auto side = [](UINT max) {
      return static_cast<std::int32_t>(std::min<UINT>(max, kJPEGMaxSide));
    };
    o.HaikeiTexture->LoadFromBitmap(
        *LoadJPEGFile(data / "Haikei.jpg", side(maxWidth), side(maxHeight)));
  } catch (const EJPEGError& e) {
    // The texture loader ends the game on a missing picture; the background does the same.
    fatal::Halt(std::string("背景の画像を読み込めませんでした: ") + e.what());
  }
  for (auto* texture : {&o.PictureTexture, &o.SosaTexture, &o.LogoTexture}) {
    *texture = NewTexture(dg);
  }
  for (const TLabelRow& row : kLabelRows) {
    o.Label(row.Label) = NewTexture(dg);
    if (row.Panel) o.Panel(row.Label) = NewTexture(dg);
  }
  for (auto& texture : o.ResultsTextures) texture = NewTexture(dg);

  // Every picture the game shows later is loaded once now, so that a damaged archive entry or
  // guide file ends the start-up, naming it, instead of a game in progress.
  {
    const std::unique_ptr<TDGTexture> probe = NewTexture(dg);
    for (const char* entry : kLaterPictures) probe->LoadFromFile(entry, archive);
    for (std::int32_t n = kStageSize; n < kGameClearCount; n += kStageSize) {
      probe->LoadFromFile(ToppaPicture(n), archive);
    }
    for (const char* guide : {kKeyGuideFile, kKeyGuideHintFile}) {
      probe->LoadFromFile((data / guide).string(), "");
    }
  }

  // The title screen's pictures.
  o.PictureTexture->LoadFromFile("Title.bmp", archive);
  o.PictureTexture->SetColorKey(WholePicture(*o.PictureTexture), 0);
  o.LogoTexture->LoadFromFile((data / "logo.bmp").string(), "");
}

void TGame::CreateSpeech() { Owned->SpeechHandle = AquesTalkDa_Create(); }

void TGame::FormDestroy() {
  if (Destroyed) return;
  Destroyed = true;
  S.StartupDone = 0;
  if (Owned->TimerPeriodSet) {
    timeEndPeriod(1);
    Owned->TimerPeriodSet = false;
  }
  Owned->MojiWriter.reset();
  Owned->LabelWriter.reset();
  for (int i = 0; i < kSoundEffectCount; ++i) {
    // A channel must not keep a freed wave.
    if (Owned->Waves[i] && Owned->DDSD1 && Owned->DDSD1->ChannelsMade() > i) {
      Owned->DDSD1->Channel(i)->SetWaveData(nullptr);
    }
    Owned->Waves[i].reset();
  }
  for (int i = 0; i < kMojiSlots; ++i) {
    Owned->MojiTextures[i].reset();
  }
  TOwned& o = *Owned;
  for (auto* texture : {&o.HotaruTexture, &o.HikariTexture, &o.PictureTexture, &o.KotaeTexture,
                        &o.KotaeTexture2, &o.SosaTexture, &o.LogoTexture, &o.HaikeiTexture}) {
    texture->reset();
  }
  for (std::size_t i = 0; i < kLabelCount; ++i) {
    o.Labels[i].reset();
    o.Panels[i].reset();
  }
  for (auto& texture : o.ResultsTextures) texture.reset();
  Owned->Scene.reset();
  if (Owned->SpeechHandle != nullptr) {
    AquesTalkDa_Release(Owned->SpeechHandle);
    Owned->SpeechHandle = nullptr;
  }
}

}  // namespace game
