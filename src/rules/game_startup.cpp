// Start-up and close of the game window, in the design's fixed order: the menus' states, the
// folders, the objects (the hooks), the romaji option, the catalogue and the additional
// questions, the status displays, the random seed, the best score, the title screen; and at
// close, writing Settei.ini and Font.dat back (settings.h owns the files and their keys).
#include <system_error>

#include "platform/clock/clock.h"
#include "rules/game_rules.h"
#include "rules/random.h"
#include "rules/save_file.h"
#include "rules/settings.h"

namespace game {
namespace {

constexpr const char* kSaveFailed = "保存できませんでした。";

}  // namespace

void TGameRules::FormCreate() {
  // The menus' designed states: the top-level menus wait for the title prompt.
  for (TMenuItem item : kTopMenus) Window.SetMenuEnabled(item, false);
  Window.SetMenuChecked(TMenuItem::Kanji, true);
  Window.SetMenuChecked(TMenuItem::Hira, false);
  CheckBgmOn(true);
  CheckMusicMode(false);
  Window.SetMenuEnabled(TMenuItem::Save1, false);

  // The folders. The per-user folder is made only when something is written there.
  S.AppDir = GamePaths.AppDir;
  S.UserDir = GamePaths.DocumentsDir / "Amaneya" / "NightwispData";
  // A save killed midway is finished or undone before anything reads its files; a save in
  // progress of another running game on the same folder is left to it.
  std::string pairError;
  if (!SaveFolder.Take(S.UserDir)) {
    ShowBox(SaveFolderTakenMessage(S.UserDir));
  } else if (!RecoverSavePair(S.UserDir / kSaveFileName, TSettingsFiles(S.UserDir).IniFileName(),
                              pairError)) {
    ShowBox("前回の保存を仕上げられませんでした。\n" + pairError);
  }

  // Settei.ini and Font.dat, once; what they lack keeps its default.
  S.Settings = TSettingsFiles(S.UserDir).Read();

  // The device, the scene, the 1 ms timer resolution, the fonts and the two text writers.
  CreateScreen();

  // The romaji option and the meaning beneath a revealed answer: on unless Settei.ini turns
  // them off (files from before them mean on), and the reading over a revealed answer's kanji.
  Window.SetMenuChecked(TMenuItem::Romaji1, S.Settings.RomajiHenkan);
  Window.SetMenuChecked(TMenuItem::Imi1, S.Settings.ImiHyoji);
  Window.SetMenuChecked(TMenuItem::Ruby1, S.Settings.Furigana);

  // The answer mode the player last chose (a resumed game takes its own later); from here the
  // record keeps the mode in play.
  if (S.Settings.ChosenKaitoMode == 0 || S.Settings.ChosenKaitoMode == 1) {
    S.KaitoMode = S.Settings.ChosenKaitoMode;
    Window.SetMenuChecked(TMenuItem::Kanji, S.KaitoMode == 0);
    Window.SetMenuChecked(TMenuItem::Hira, S.KaitoMode == 1);
    SetKaitoModeColour();
  }
  S.Settings.ChosenKaitoMode = S.KaitoMode;

  // The seven effects, wave i on channel i.
  CreateSoundEffects();

  // The catalogue and the additional questions (the player's own copy, once edited).
  BuildMondaiTable(S);
  // A question the screen cannot show is left out here, all of them in one message, rather
  // than running off the screen when it comes up.
  const TuikaLoadResult tuika =
      LoadTuikaMondai(S, TuikaFolder(S.AppDir, S.UserDir),
                      [this](std::u16string_view seikai, std::u16string_view reading) {
                        return TuikaScreenProblem(seikai, reading);
                      });
  if (!tuika.Error.empty()) {
    ShowBox("「追加問題.txt」を読めませんでした。組み込みの問題だけで遊びます。\n" + tuika.Error);
  }
  if (!tuika.LeftOut.empty()) ShowBox(TuikaLeftOutMessage(tuika.LeftOut));

  // The pictures, then the status displays.
  LoadPictures();
  ShowSeikai();
  ShowRenzoku();
  ShowFuseikai();
  ShowCounter(TLabel::Time, "TIME:", 0);
  ShowTokuten();
  S.SaikoTokuten = kInitialSaikoTokuten;
  ShowSaikoTokuten();
  ShowCounter(TLabel::Hint, "HINT:", 3);
  S.TimeLimit = kInitialTimeLimit;

  // The random seed, then the best score of the saved game.
  Randomize();
  ReadSavedGameAtStartup();

  // The title screen: the title reading flies; no title character stays dark.
  S.Saved = 1;
  S.TitleMode = 1;
  S.MondaiText = kTitleMondaiText;
  S.MojiCount = MojiLength(S.MondaiText);
  NewQuestion();
  S.KakushiNo = kTitleMojiCount;

  // The music waits 100 ms from here; the speech engine last.
  S.TitleTime = timeGetTime();
  S.Message1 = Sjis("BGM設定中...");
  ShowMessage1();
  CreateSpeech();
  StartOpeningHistory();
  Created = true;
  S.StartupDone = 1;
}

// The two settings put into the record at close rather than where they change. The character
// font is the Moji writer's own. The music that plays differs from the player's choice on
// purpose (the default in place of music that is missing today, the game-clear tune, music
// turned off because it could not play), and the choice is what stays, with the shuffle's last
// track as the music's name.
void TGameRules::KeepFontAndMusic() {
  const TFontChoice font = CharacterFont();
  S.Settings.FontCharset = font.Charset;
  S.Settings.FontName = font.FaceName;
  S.Settings.FontStyle = font.Style;
  const bool kept = !S.KeptMusicName.empty();
  S.Settings.Music = S.BgmOn != 0 || S.BgmOffByFailure != 0;
  S.Settings.Random = kept ? S.KeptBgmRandom != 0 : S.BgmRandomChecked != 0;
  S.Settings.MusicName = kept ? S.KeptMusicName : S.MusicName;
  S.Settings.MusicFolda = S.MusicFolda;
}

void TGameRules::FormClose() {
  if (!Created || Destroyed) return;
  // The per-user folder with every missing parent. Another running game holding it keeps it:
  // this one writes nothing there (it said so at start-up or at its save).
  std::error_code error;
  std::filesystem::create_directories(S.UserDir, error);
  if (!SaveFolder.Take(S.UserDir)) {
    StopMusic();
    return;
  }

  // Settei.ini: every key that can be written is.
  if (S.GameClear == 1) S.MusicName = S.SavedMusicName;
  KeepFontAndMusic();
  const TSettingsFiles files(S.UserDir);
  std::string iniError;
  const bool iniWritten = files.Write(S.Settings, TSettingsGroup::AtClose, &iniError);

  // Font.dat: the character font's style in one byte.
  S.FontStyle = S.Settings.FontStyle.value_or(0);
  std::string styleError;
  const bool styleWritten = files.WriteFontStyle(S.FontStyle, &styleError);
  // One box for the close, naming each file that could not be written and why.
  if (!iniWritten || !styleWritten) {
    std::string text = kSaveFailed;
    if (!iniWritten) text += "\n" + iniError;
    if (!styleWritten) text += "\n" + styleError;
    ShowBox(text);
  }

  // The music stops.
  StopMusic();
}

}  // namespace game
