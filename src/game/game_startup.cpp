// Start-up, close and destroy of the game window: the objects in their fixed order, the font
// settings of Settei.ini and Font.dat and the romaji option, and writing them back at close
// (settings.h owns the files and their keys).
#include <cstdio>
#include <system_error>

#include "game/game.h"
#include "game/game_owned.h"
#include "game/random.h"
#include "game/settings.h"
#include "graphics/device/jpeg_decoder.h"
#include "platform/base/fatal.h"
#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"
#include "platform/base/owner_window.h"
#include "platform/gdi/gdi.h"

namespace game {
namespace {

constexpr UINT kSpiGetIconTitleLogFont = 31;
constexpr int kWindowFontHeight = -32;  // 32-pixel characters
constexpr int kLabelPoints = 18;
constexpr int kDefaultCharset = 128;  // Shift-JIS
constexpr const char* kSaveFailed = "保存できませんでした。";

// The seven effects, wave 0 to wave 6.
constexpr const char* kWaveFiles[kSoundEffectCount] = {
    "seikai.wav",   "renzokuseikai.wav", "fuseikai.wav",  "gameclear.wav",
    "gameover.wav", "bonus.wav",         "stageclear.wav"};

// The archive's pictures shown during a game: the results, the bonus and the stage clears.
constexpr const char* kLaterPictures[] = {"seikai.bmp",   "renzokuseikai.bmp", "fuseikai.bmp",
                                          "GameOver.bmp", "GameClear.bmp",     "Bonus.bmp",
                                          "10toppa.bmp",  "20toppa.bmp"};

std::unique_ptr<TDGTexture> NewTexture(TDGCarad* carad) {
  return std::make_unique<TDGTexture>(
      carad, std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 0,
      D3DPOOL_MANAGED, 0, "");
}

RECT WholePicture(const TDGTexture& texture) {
  return RECT{0, 0, static_cast<LONG>(texture.Width()), static_cast<LONG>(texture.Height())};
}

}  // namespace

void TGame::FormCreate() {
  TOwned& o = *Owned;
  // The menus' designed states: the top-level menus wait for the title prompt.
  for (TMenuItem item : kTopMenus) Window.SetMenuEnabled(item, false);
  Window.SetMenuChecked(TMenuItem::Kanji, true);
  Window.SetMenuChecked(TMenuItem::Hira, false);
  CheckBgmOn(true);
  CheckMusicMode(false);
  Window.SetMenuEnabled(TMenuItem::Save1, false);

  // The device in windowed mode with a back buffer of the client size.
  o.DG->ChangeToWindowMode(S.ScreenWidth, S.ScreenHeight, {}, 0, D3DSWAPEFFECT_DISCARD,
                           D3DMULTISAMPLE_NONE, 0);
  const RECT client = OwnerWindow.ClientRect();
  S.ScreenWidth = client.right - client.left;
  S.ScreenHeight = client.bottom - client.top;
  // The scene, and a 1 ms timer resolution.
  o.Scene = std::make_unique<TSXScene>(o.DG.get(), "");
  if (timeBeginPeriod(1) == TIMERR_NOERROR) o.TimerPeriodSet = true;
  // The folders. The per-user folder is made only when something is written there.
  S.AppDir = GamePaths.AppDir;
  S.UserDir = GamePaths.DocumentsDir / "Amaneya" / "NightwispData";

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
  const TSettingsFiles settings(S.UserDir);
  if (const std::optional<TFontSettings> saved = settings.ReadFont()) {
    if (saved->Style) S.FontStyle = *saved->Style;
    const std::string& name = saved->Name;
    for (const std::string& family : gdi::InstalledFontFamilies()) {
      if (family != name) continue;
      const auto charsetByte = static_cast<BYTE>(saved->Charset & 0xFF);
      o.MojiWriter->Font().SetCharset(charsetByte);
      o.MojiWriter->Font().SetName(name);
      o.MojiWriter->Font().SetStyle(S.FontStyle);
      Window.SetAnswerFont(TFontChoice{name, charsetByte, S.FontStyle});
      break;
    }
  }

  // The romaji option: on unless Settei.ini turns it off (files from before it mean on).
  if (const std::optional<bool> romaji = settings.ReadRomajiHenkan()) {
    S.RomajiHenkan = *romaji ? 1 : 0;
  }
  Window.SetMenuChecked(TMenuItem::Romaji1, S.RomajiHenkan == 1);

  // The seven effects, wave i on channel i.
  const std::filesystem::path data = S.AppDir / "Data";
  for (int i = 0; i < kSoundEffectCount; ++i) {
    o.Waves[i] = std::make_unique<TDDSDWaveData>(o.DDSD1.get(), false, data / kWaveFiles[i]);
    // Binding an empty wave ends the game with the library's copy error, which does not say
    // why: name the effect file that could not be loaded instead.
    if (o.DDSD1->Initialized() && o.Waves[i]->Buffer() == nullptr) {
      fatal::Halt("効果音ファイル「" + (data / kWaveFiles[i]).string() +
                  "」を読み込めませんでした。");
    }
    if (o.DDSD1->Initialized()) o.DDSD1->Channel(i)->SetWaveData(o.Waves[i].get());
  }

  // The catalogue and the additional questions.
  BuildMondaiTable(S);
  const TuikaLoadResult tuika = LoadTuikaMondai(S, S.AppDir);
  if (!tuika.Error.empty()) {
    ShowBox("「追加問題.txt」を読めませんでした。組み込みの問題だけで遊びます。\n" + tuika.Error);
  }

  // A written form wider than any texture could never be shown: it is refused here, once,
  // rather than ending the game when its question comes up.
  const std::int32_t tooWide =
      KeepTuikaMondai(S, [this](std::u16string_view seikai) { return SpellingFits(seikai); });
  if (tooWide > 0) {
    Window.ShowMessage("「追加問題.txt」の答え" + std::to_string(tooWide) +
                       "件は長すぎて表示できないため、出題しません。");
  }

  // The textures.
  TDGCarad* dg = o.DG.get();
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
  o.KotaeTexture = NewTexture(dg);
  o.KotaeTexture2 = NewTexture(dg);
  MakeTextTexture(o.KotaeTexture.get(), o.KotaeTexture2.get(), Sjis("答"), o.MojiWriter.get());
  o.HaikeiTexture = NewTexture(dg);
  try {
    o.HaikeiTexture->LoadFromBitmap(*LoadJPEGFile(data / "Haikei.jpg"));
  } catch (const EJPEGError& e) {
    // The texture loader ends the game on a missing picture; the background does the same.
    fatal::Halt(std::string("背景の画像を読み込めませんでした: ") + e.what());
  }
  for (auto* texture :
       {&o.PictureTexture, &o.SpellingTexture, &o.SpellingTexture2, &o.ReadingTexture,
        &o.SeikaiTexture, &o.RenzokuTexture, &o.FuseikaiTexture, &o.TimeTexture, &o.TokutenTexture,
        &o.SaikoTokutenTexture, &o.Message1Texture, &o.Message2Texture, &o.SosaTexture,
        &o.LogoTexture, &o.MusicTitleTexture, &o.HintTexture}) {
    *texture = NewTexture(dg);
  }
  ShowSeikai();
  ShowRenzoku();
  ShowFuseikai();
  ShowCounter(Owned->TimeTexture.get(), "TIME:", 0);
  ShowTokuten();
  S.SaikoTokuten = kInitialSaikoTokuten;
  ShowSaikoTokuten();
  ShowCounter(Owned->HintTexture.get(), "HINT:", 3);
  S.TimeLimit = kInitialTimeLimit;

  // Every picture the game shows later is loaded once now, so that a damaged archive entry or
  // guide file ends the start-up, naming it, instead of a game in progress.
  {
    const std::unique_ptr<TDGTexture> probe = NewTexture(dg);
    for (const char* entry : kLaterPictures) probe->LoadFromFile(entry, archive);
    for (const char* guide : {"Sosa1.bmp", "Sosa2.bmp"}) {
      probe->LoadFromFile((data / guide).string(), "");
    }
  }

  // The random seed, then the best score of the saved game.
  Randomize();
  ReadSavedGameAtStartup();

  // The title screen.
  S.Saved = 1;
  S.TitleMode = 1;
  o.PictureTexture->LoadFromFile("Title.bmp", archive);
  o.PictureTexture->SetColorKey(WholePicture(*o.PictureTexture), 0);
  o.LogoTexture->LoadFromFile((data / "logo.bmp").string(), "");

  // The title reading flies; no title character stays dark.
  S.MondaiText = kTitleMondaiText;
  S.MojiCount = static_cast<std::int32_t>(S.MondaiText.size());
  NewQuestion();
  S.KakushiNo = kTitleMojiCount;

  // The music waits 100 ms from here; the speech engine last.
  S.TitleTime = timeGetTime();
  S.Message1 = Sjis("BGM設定中...");
  MakeTextTexture(Owned->Message1Texture.get(), nullptr, S.Message1, Owned->LabelWriter.get());
  o.SpeechHandle = AquesTalkDa_Create();
  o.Created = true;
  S.StartupDone = 1;
}

void TGame::FormClose() {
  if (!Owned->Created || Owned->Destroyed) return;
  // The per-user folder with every missing parent.
  std::error_code error;
  std::filesystem::create_directories(S.UserDir, error);

  // Settei.ini: the first failed key ends the INI part.
  if (S.GameClear == 1) S.MusicName = S.SavedMusicName;
  const TSettingsFiles settings(S.UserDir);
  const gdi::TFont& font = Owned->MojiWriter->Font();
  const TBgmSettings bgm{S.BgmOn != 0, S.BgmRandomChecked != 0, S.MusicName, S.MusicFolda};
  if (!settings.WriteAtClose(font.Charset(), font.Name(), bgm, S.RomajiHenkan != 0)) {
    ShowBox(kSaveFailed);
  }

  // Font.dat: the character font's style in one byte.
  S.FontStyle = font.Style() & gdi::kAllFontStyles;
  if (!settings.WriteFontStyle(S.FontStyle)) ShowBox(kSaveFailed);

  // The music stops.
  Owned->WindowsMediaPlayer1->controls.stop();
}

}  // namespace game
