// The menus' actions: answer mode, save, exit, the additional-questions file, romaji into
// kana, the character font, the music (on, off, a chosen file, a random folder), help and
// the about box; and the close query with its save prompt.
#include "platform/codepage/codepage.h"
#include "rules/game_rules.h"
#include "rules/music_files.h"
#include "rules/random.h"

namespace game {
namespace {

constexpr const char* kSaveQuestion = "ゲームを保存しますか?\n以前のデータは破棄されます";
constexpr const char* kMusicDialogTitle = "BGMの指定";
constexpr const char* kFolderPrompt =
    "オーディオファイルが存在するフォルダかドライブを選んでください。";

}  // namespace

void TGameRules::TopMenuClick() { Pause(); }

void TGameRules::OpenTextFile(const std::filesystem::path& file, const std::string& failure) {
  if (Window.ShellOpen(file.string())) return;
  // What the player can do about it: the file is gone, or the desktop has no program that
  // opens files (xdg-open, of the xdg-utils package).
  std::error_code error;
  const std::string path = file.string();
  if (!std::filesystem::exists(file, error)) {
    ShowBox(failure + "\nファイルが見つかりません。Nightwisp を入れ直してください。\n" + path);
  } else {
    ShowBox(failure +
            "\nファイルを開くプログラムが見つかりません。xdg-utils パッケージ(xdg-open)を"
            "入れるか、テキストエディターで直接開いてください。\n" +
            path);
  }
}

void TGameRules::MenuClick(TMenuItem item) {
  switch (item) {
    case TMenuItem::Kanji:
    case TMenuItem::Hira:
      if (Window.MenuChecked(item)) return;
      S.KaitoMode = item == TMenuItem::Hira ? 1 : 0;
      S.Settings.ChosenKaitoMode = S.KaitoMode;
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
    case TMenuItem::A1: {
      // The player edits an own copy in the per-user folder: the game's folder stays as shipped.
      std::string error;
      const std::filesystem::path file = TuikaFileForEditing(S.AppDir, S.UserDir, error);
      if (file.empty()) {
        ShowBox("「追加問題.txt」を開けませんでした。\n" + error);
      } else {
        OpenTextFile(file, "「追加問題.txt」を開けませんでした。");
      }
      break;
    }
    case TMenuItem::Romaji1:
      S.Settings.RomajiHenkan = !S.Settings.RomajiHenkan;
      Window.SetMenuChecked(TMenuItem::Romaji1, S.Settings.RomajiHenkan);
      break;
    case TMenuItem::Imi1:
      S.Settings.ImiHyoji = !S.Settings.ImiHyoji;
      Window.SetMenuChecked(TMenuItem::Imi1, S.Settings.ImiHyoji);
      break;
    case TMenuItem::Ruby1:
      S.Settings.Furigana = !S.Settings.Furigana;
      Window.SetMenuChecked(TMenuItem::Ruby1, S.Settings.Furigana);
      break;
    case TMenuItem::Font1:
      ChooseCharacterFont();
      break;
    case TMenuItem::ON1:
      if (Window.MenuChecked(TMenuItem::ON1)) return;
      StartMusic();
      break;
    case TMenuItem::OFF1:
      if (Window.MenuChecked(TMenuItem::OFF1)) return;
      CheckBgmOn(false);
      StopMusic();
      S.BgmOn = 0;  // the title is no longer drawn
      S.BgmOffByFailure = 0;
      break;
    case TMenuItem::S2:
      ChooseMusicFile();
      break;
    case TMenuItem::R1:
      ChooseRandomMusicFolder();
      break;
    case TMenuItem::Help2:
      OpenTextFile(S.AppDir / u8"作品について.txt", "ヘルプの表示に失敗しました。");
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
    case TMenuItem::View1:
    case TMenuItem::Help1:
      TopMenuClick();
      break;
    case TMenuItem::Size1:
    case TMenuItem::Size2:
    case TMenuItem::Size3:
    case TMenuItem::Size4:
    case TMenuItem::Full1:
    case TMenuItem::Seisu1:
    case TMenuItem::Fit1:
      break;  // the window's own (kDisplayItems)
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
  S.KeptMusicName.clear();  // the player's new choice replaces one kept from Settei.ini
  S.BgmRandom = 0;
  CheckMusicMode(false);
  StartMusic();
}

void TGameRules::ChooseRandomMusicFolder() {
  S.Message2 = codepage::Utf8ToSjis("ランダムBGMの設定中...");
  S.Marks.SetLabel(TLabel::Message2, codepage::SjisToUtf16(S.Message2));
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
      S.KeptMusicName.clear();
      BuildRandomList();
      if (S.BgmOn == 1) StopMusic();
      PickRandomTrack();
      CheckMusicMode(true);
      StartMusic();
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
