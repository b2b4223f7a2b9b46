// The menus' actions: answer mode, save, exit, the additional-questions file, romaji into
// kana, the character font, the music (on, off, a chosen file, a random folder), help and
// the about box; and the close query with its save prompt.
#include "game/game_rules.h"
#include "game/music_files.h"
#include "game/random.h"
#include "platform/codepage/codepage.h"

namespace game {
namespace {

constexpr const char* kSaveQuestion = "ゲームを保存しますか?\n以前のデータは破棄されます";
constexpr const char* kMusicDialogTitle = "BGMの指定";
constexpr const char* kFolderPrompt =
    "オーディオファイルが存在するフォルダかドライブを選んでください。";

}  // namespace

void TGameRules::TopMenuClick() { Pause(); }

void TGameRules::MenuClick(TMenuItem item) {
  switch (item) {
    case TMenuItem::Kanji:
    case TMenuItem::Hira:
      if (Window.MenuChecked(item)) return;
      S.KaitoMode = item == TMenuItem::Hira ? 1 : 0;
      Window.SetMenuChecked(TMenuItem::Kanji, S.KaitoMode == 0);
      Window.SetMenuChecked(TMenuItem::Hira, S.KaitoMode == 1);
      SetKaitoModeColour();
      break;
    case TMenuItem::Save1:
      if (S.ReviewGame == 1) {
        ShowBox("復習のゲームは保存しません。");
        return;
      }
      if (AskBox(kSaveQuestion, false) != TConfirmAnswer::Yes) return;
      SaveGame();
      S.Saved = 1;
      Window.SetMenuEnabled(TMenuItem::Save1, false);
      break;
    case TMenuItem::Fukushu1:
      StartReviewGame();
      break;
    case TMenuItem::Exit1:
      Window.CloseWindow();
      break;
    case TMenuItem::A1:
      if (!Window.ShellOpen((S.AppDir / kTuikaFileName).string())) {
        ShowBox("「追加問題.txt」を開けませんでした。");
      }
      break;
    case TMenuItem::Romaji1:
      S.RomajiHenkan = S.RomajiHenkan == 0 ? 1 : 0;
      Window.SetMenuChecked(TMenuItem::Romaji1, S.RomajiHenkan == 1);
      break;
    case TMenuItem::Imi1:
      S.ImiHyoji = S.ImiHyoji == 0 ? 1 : 0;
      Window.SetMenuChecked(TMenuItem::Imi1, S.ImiHyoji == 1);
      break;
    case TMenuItem::Font1:
      ChooseCharacterFont();
      break;
    case TMenuItem::ON1:
      if (Window.MenuChecked(TMenuItem::ON1)) return;
      CheckBgmOn(true);
      PlayMusic();
      S.BgmOn = 1;
      ShowMusicTitle();
      break;
    case TMenuItem::OFF1:
      if (Window.MenuChecked(TMenuItem::OFF1)) return;
      CheckBgmOn(false);
      StopMusic();
      S.BgmOn = 0;  // the title is no longer drawn
      break;
    case TMenuItem::S2:
      ChooseMusicFile();
      break;
    case TMenuItem::R1:
      ChooseRandomMusicFolder();
      break;
    case TMenuItem::Help2:
      if (!Window.ShellOpen((S.AppDir / u8"作品について.txt").string())) {
        ShowBox("ヘルプの表示に失敗しました。");
      }
      break;
    case TMenuItem::About1:
      Window.ShowAboutBox();
      break;
    case TMenuItem::Seiseki1:
      Window.ShowHistory(S.UserDir / history::kHistoryFileName);
      break;
    case TMenuItem::G1:
    case TMenuItem::S1:
    case TMenuItem::BGM1:
    case TMenuItem::Help1:
      TopMenuClick();
      break;
  }
}

void TGameRules::ChooseCharacterFont() {
  const std::optional<TFontChoice> chosen = Window.ChooseFont(CharacterFont());
  if (!chosen) return;
  const TFontChoice font = SetCharacterFont(*chosen);
  for (std::int32_t i = 0; i < S.MojiCount && i < kMojiSlots; ++i) RenderMoji(i);
  Window.SetAnswerFont(font);
}

void TGameRules::ChooseMusicFile() {
  const std::optional<std::string> file =
      Window.ChooseMusicFile(kMusicDialogTitle, MusicFileFilter());
  if (!file) return;
  Window.ProcessMessages();
  if (S.BgmOn == 1) StopMusic();
  S.MusicName = *file;
  S.BgmRandom = 0;
  PlayMusic();
  S.BgmOn = 1;
  ShowMusicTitle();
  CheckMusicMode(false);
  CheckBgmOn(true);
}

void TGameRules::ChooseRandomMusicFolder() {
  S.Message2 = codepage::Utf8ToSjis("ランダムBGMの設定中...");
  S.Marks.SetLabel(TLabel::Message2, S.Message2);
  DrawFrame();
  const std::optional<std::string> folder = Window.BrowseFolder(kFolderPrompt);
  if (folder) {
    S.AudioList.clear();
    Window.ProcessMessages();
    ScanAudioFiles(*folder);
    if (S.AudioList.empty()) {
      // The previous music settings stay as they were.
      ShowBox(
          "選択したフォルダにはオーディオファイルがありません。\n他のフォルダを選んでください。");
    } else {
      S.MusicFolda = *folder;
      BuildRandomList();
      if (S.BgmOn == 1) StopMusic();
      PickRandomTrack();
      PlayMusic();
      S.BgmOn = 1;
      ShowMusicTitle();
      CheckMusicMode(true);
      CheckBgmOn(true);
    }
  }
  S.AudioList.clear();
  S.Message2.clear();
  DrawFrame();
}

bool TGameRules::FormCloseQuery() {
  if (S.GameOver == 1 || S.GameClear == 1) return true;
  Pause();
  if (S.Saved == 1 || S.ReviewGame == 1) return true;
  switch (AskBox(kSaveQuestion, true)) {
    case TConfirmAnswer::Yes:
      SaveGame();
      return true;
    case TConfirmAnswer::No:
      return true;
    case TConfirmAnswer::Cancel:
      break;
  }
  return false;
}

}  // namespace game
