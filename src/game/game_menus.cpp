// The menus' actions: answer mode, save, exit, the additional-questions file, the character
// font, the music (on, off, a chosen file, a random folder), help and the about box; and the
// close query with its save prompt.
#include "game/game.h"
#include "game/game_owned.h"
#include "game/random.h"
#include "platform/codepage/codepage.h"

namespace game {
namespace {

constexpr const char* kSaveQuestion = "ゲームを保存しますか?\n以前のデータは破棄されます";
constexpr const char* kMusicDialogTitle = "BGMの指定";
constexpr const char* kMusicFilter =
    "mp3ファイル;midiファイル;wmaファイル;wavファイル;aifファイル|*.mp3;*.mid;*.wma;*.wav;*.aif;"
    "*.aifc;*.aiff|すべてのファイル|*.*";
constexpr const char* kFolderPrompt =
    "オーディオファイルが存在するフォルダかドライブを選んでください。";

}  // namespace

void TGame::TopMenuClick() { Pause(); }

void TGame::MenuClick(const std::string& item) {
  if (item == "Kanji" || item == "Hira") {
    if (Window.MenuChecked(item)) return;
    S.KaitoMode = item == "Hira" ? 1 : 0;
    Window.SetMenuChecked("Kanji", S.KaitoMode == 0);
    Window.SetMenuChecked("Hira", S.KaitoMode == 1);
    SetKaitoModeColour();
  } else if (item == "Save1") {
    if (AskBox(kSaveQuestion, false) != TConfirmAnswer::Yes) return;
    SaveGame();
    S.Saved = 1;
    Window.SetMenuEnabled("Save1", false);
  } else if (item == "Exit1") {
    Window.CloseWindow();
  } else if (item == "A1") {
    if (!Window.ShellOpen((S.AppDir / kTuikaFileName).string())) {
      ShowBox("「追加問題.txt」を開けませんでした。");
    }
  } else if (item == "Font1") {
    gdi::TFont& font = S.MojiWriter->Font();
    const std::optional<TFontChoice> chosen =
        Window.ChooseFont(TFontChoice{font.Name(), font.Charset(), font.Style()});
    if (!chosen) return;
    font.SetCharset(static_cast<gdi::BYTE>(chosen->Charset & 0xFF));
    font.SetName(chosen->FaceName);
    font.SetStyle(chosen->Style & gdi::kAllFontStyles);
    for (std::int32_t i = 0; i < S.MojiCount && i < kMojiSlots; ++i) RenderMoji(i);
    MakeTextTexture(S.KotaeTexture, S.KotaeTexture2, codepage::Utf8ToSjis("答"), S.MojiWriter);
    Window.SetAnswerFont(
        TFontChoice{chosen->FaceName, chosen->Charset & 0xFF,
                    static_cast<std::uint8_t>(chosen->Style & gdi::kAllFontStyles)});
  } else if (item == "ON1") {
    if (Window.MenuChecked("ON1")) return;
    Window.SetMenuChecked("ON1", true);
    Window.SetMenuChecked("OFF1", false);
    PlayMusic();
    S.BgmOn = 1;
    ShowMusicTitle();
  } else if (item == "OFF1") {
    if (Window.MenuChecked("OFF1")) return;
    Window.SetMenuChecked("OFF1", true);
    Window.SetMenuChecked("ON1", false);
    StopMusic();
    S.BgmOn = 0;
    MakeTextTexture(S.MusicTitleTexture, nullptr, "", S.LabelWriter);
  } else if (item == "S2") {
    const std::optional<std::string> file = Window.ChooseMusicFile(kMusicDialogTitle, kMusicFilter);
    if (!file) return;
    Window.ProcessMessages();
    if (S.BgmOn == 1) StopMusic();
    S.MusicName = *file;
    S.BgmRandom = 0;
    PlayMusic();
    S.BgmOn = 1;
    ShowMusicTitle();
    Window.SetMenuChecked("S2", true);
    Window.SetMenuChecked("R1", false);
    Window.SetMenuChecked("ON1", true);
    Window.SetMenuChecked("OFF1", false);
  } else if (item == "R1") {
    S.Message2 = codepage::Utf8ToSjis("ランダムBGMの設定中...");
    MakeTextTexture(S.Message2Texture, nullptr, S.Message2, S.LabelWriter);
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
        const std::int32_t pick = Random(S.RandomFileCount);
        S.MusicName = S.RandomFiles[pick];
        S.RandomPlayed[pick] = 1;
        S.RandomPlayedCount = 1;
        PlayMusic();
        S.BgmOn = 1;
        ShowMusicTitle();
        Window.SetMenuChecked("S2", false);
        Window.SetMenuChecked("R1", true);
        Window.SetMenuChecked("ON1", true);
        Window.SetMenuChecked("OFF1", false);
      }
    }
    S.AudioList.clear();
    S.Message2.clear();
    DrawFrame();
  } else if (item == "Help2") {
    if (!Window.ShellOpen((S.AppDir / u8"作品について.txt").string())) {
      ShowBox("ヘルプの表示に失敗しました。");
    }
  } else if (item == "About1") {
    Window.ShowAboutBox();
  } else if (item == "G1" || item == "S1" || item == "BGM1" || item == "Help1") {
    TopMenuClick();
  }
}

bool TGame::FormCloseQuery() {
  if (S.GameOver == 1 || S.GameClear == 1) return true;
  Pause();
  if (S.Saved == 1) return true;
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
