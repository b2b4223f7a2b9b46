// The saved game: record1.dat with the Settei.ini keys of the question and the answer mode,
// the best score read at start-up, and resuming a game from both.
#include <algorithm>
#include <optional>
#include <system_error>

#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"
#include "rules/game_rules.h"
#include "rules/random.h"
#include "rules/saturating.h"
#include "rules/save_file.h"
#include "rules/settings.h"

namespace game {
namespace {

// The saved additional question by its reading and its written form together: two questions
// may share a reading (猫 and 寝子 are both ねこ), and only the pair names the one that was saved.
std::int32_t FindTuika(const TCatalogue& catalogue, const TSettings& saved) {
  for (std::size_t i = 0; i < catalogue.TuikaMondaiList.size(); ++i) {
    if (catalogue.TuikaMondaiList[i] == saved.TuikaMondai && i < catalogue.TuikaSeikaiList.size() &&
        catalogue.TuikaSeikaiList[i] == saved.TuikaSeikai) {
      return static_cast<std::int32_t>(i);
    }
  }
  return -1;
}

}  // namespace

void TGameRules::SaveGame() {
  // record1.dat keeps the player's own game: a review game is never saved.
  if (S.ReviewGame == 1) return;
  // A running question is saved with its current pause counted (every save of a running
  // question comes through a pause). The live total is left alone, so the pause is not
  // counted twice when the player resumes with F2 after a menu save.
  std::int32_t pauseTotal = S.PauseTotal;
  if (S.Playing == 1 && S.Paused == 1)
    pauseTotal = SaturatingAdd(pauseTotal, static_cast<std::int32_t>(timeGetTime() - S.PauseStart));

  // The record; entries past MojiCount keep what they held.
  TSaveData& d = S.SaveData;
  d.MondaiNo = S.MondaiNo;
  std::copy(S.Shutsudai.begin(), S.Shutsudai.end(), d.Shutsudai);
  d.Reserved1[0] = d.Reserved1[1] = 0;
  d.ShutsudaiCount = S.ShutsudaiCount;
  d.MojiCount = S.MojiCount;
  const std::int32_t count = std::clamp<std::int32_t>(S.MojiCount, 0, kMojiSlots);
  for (std::int32_t i = 0; i < count; ++i) {
    d.X[i] = S.Moji[i].X;
    d.Y[i] = S.Moji[i].Y;
    d.DX[i] = S.Moji[i].DX;
    d.DY[i] = S.Moji[i].DY;
    if (static_cast<std::size_t>(i) < S.Akarusa.size()) d.Akarusa[i] = S.Akarusa[i];
    if (static_cast<std::size_t>(i) < S.Akarumu.size()) d.Akarumu[i] = S.Akarumu[i];
  }
  d.KakushiNo = S.KakushiNo;
  d.Reserved2 = 0;
  d.SeikaiCount = S.SeikaiCount;
  d.RenzokuCount = S.RenzokuCount;
  d.FuseikaiCount = S.FuseikaiCount;
  d.TimeLeft = S.TimeLeft;
  d.PauseTotal = pauseTotal;
  d.Playing = S.Playing;
  std::fill(std::begin(d.Reserved3), std::end(d.Reserved3), 0);
  d.Tokuten = S.Tokuten;
  d.SaikoTokuten = S.SaikoTokuten;
  d.BonusMode = S.BonusMode;
  std::fill(std::begin(d.Reserved4), std::end(d.Reserved4), 0);
  d.HintMoji = S.HintMoji;
  d.HintCount = S.HintCount;

  // record1.dat and the Settei.ini keys of the same save (the additional question's texts when
  // the saved question is one, the answer mode) are replaced as a pair.
  const bool tuika = S.MondaiNo > kBuiltInMondaiCount;
  if (tuika) {
    S.Settings.TuikaMondai = S.MondaiText;
    S.Settings.TuikaSeikai = S.Seikai(S.MondaiNo);
  }
  S.Settings.KaitoMode = S.KaitoMode;
  // The folder is made by the first save; another running game may have made it first.
  std::error_code folderError;
  std::filesystem::create_directories(S.UserDir, folderError);
  if (!SaveFolder.Take(S.UserDir)) {
    ShowBox("ゲームを保存できませんでした。\n" + SaveFolderTakenMessage(S.UserDir));
    return;
  }
  std::string error;
  switch (WriteSavePair(S.UserDir, d, S.Settings, tuika, error)) {
    case TSavePairResult::Saved:
      S.SaveDataSize = kSaveDataSize;
      return;
    case TSavePairResult::RecordFailed:
      ShowBox("ゲームを保存できませんでした。\n" + error);
      return;
    case TSavePairResult::SettingsFailed:
      ShowBox("保存できませんでした。\n" + error);
      return;
  }
}

void TGameRules::ReadSavedGameAtStartup() {
  // No saved game (or one that cannot be read) leaves the initial best score.
  std::string error;
  if (!ReadSaveFile(S.UserDir / kSaveFileName, S.SaveData, S.SaveDataSize, error)) return;
  // A damaged file's best score is taken only when it is one a game can have.
  if (!PlausibleBestScore(S.SaveData)) return;
  S.SaikoTokuten = S.SaveData.SaikoTokuten;
  ShowSaikoTokuten();
}

bool TGameRules::SavedGameResumable() const {
  const TSaveData& d = S.SaveData;
  if (!SaveFileSizeProblem(S.SaveDataSize).empty()) return false;
  if (d.MondaiNo <= kBuiltInMondaiCount) return SaveDataProblem(d, S, nullptr).empty();
  // An additional question comes back by its reading in Settei.ini; one that has left the
  // file is appended again, which needs a pair the catalogue accepts.
  const TSettings& saved = S.Settings;
  if (FindTuika(S, saved) < 0 && (TuikaPairProblem(saved.TuikaSeikai, saved.TuikaMondai) ||
                                  TuikaScreenProblem(saved.TuikaSeikai, saved.TuikaMondai))) {
    return false;
  }
  return SaveDataProblem(d, S, &saved.TuikaMondai).empty();
}

void TGameRules::ResumeGame() {
  const TSaveData& d = S.SaveData;
  // The question, an additional one found again by its reading and written form.
  S.MondaiNo = d.MondaiNo;
  if (S.MondaiNo > kBuiltInMondaiCount) {
    const TSettings& saved = S.Settings;
    S.MondaiText = saved.TuikaMondai;
    const std::int32_t found = FindTuika(S, saved);
    if (found >= 0) {
      S.MondaiNo = found + kBuiltInMondaiCount + 1;
      if (S.TuikaShutsudai[found] == 0) ++S.TuikaShutsudaiCount;
      S.TuikaShutsudai[found] = 1;
    } else {
      const std::int32_t added = AppendTuikaMondai(S, saved.TuikaMondai, saved.TuikaSeikai);
      if (added > 0) {
        S.MondaiNo = added;
        S.TuikaShutsudai[TuikaIndex(added)] = 1;
        ++S.TuikaShutsudaiCount;
      }
    }
  } else {
    S.MondaiText = S.Reading(S.MondaiNo);
  }

  // The asked marks and the characters where they were.
  std::copy(std::begin(d.Shutsudai), std::end(d.Shutsudai), S.Shutsudai.begin());
  S.ShutsudaiCount = d.ShutsudaiCount;
  S.MojiCount = std::clamp<std::int32_t>(d.MojiCount, 0, kMojiSlots);
  const std::vector<std::u16string> characters = MojiOf(S.MondaiText);
  const auto count = static_cast<std::size_t>(S.MojiCount);
  S.Akarusa.resize(count);
  S.Akarumu.resize(count);
  for (std::int32_t i = 0; i < S.MojiCount; ++i) {
    MojiRecord& moji = S.Moji[i];
    moji.X = d.X[i];
    moji.Y = d.Y[i];
    moji.DX = d.DX[i];
    moji.DY = d.DY[i];
    moji.Char = static_cast<std::size_t>(i) < characters.size()
                    ? characters[static_cast<std::size_t>(i)]
                    : std::u16string();
    RenderMoji(i);
    S.Akarusa[i] = d.Akarusa[i];
    S.Akarumu[i] = d.Akarumu[i];
  }

  // The counters.
  S.KakushiNo = d.KakushiNo;
  S.SeikaiCount = d.SeikaiCount;
  S.RenzokuCount = d.RenzokuCount;
  S.FuseikaiCount = d.FuseikaiCount;
  ShowSeikai();
  ShowRenzoku();
  ShowFuseikai();

  // The clock continues from the saved time left.
  S.Playing = d.Playing;
  S.Paused = 0;
  S.TimeLeft = d.TimeLeft;
  ShowCounter(TLabel::Time, "TIME:", S.TimeLeft / 1000);
  S.PauseTotal = d.PauseTotal;
  if (S.Playing == 1) {
    S.StartTime = timeGetTime() + static_cast<std::uint32_t>(S.TimeLeft) -
                  static_cast<std::uint32_t>(S.TimeLimit) -
                  static_cast<std::uint32_t>(S.PauseTotal);
  }

  // Stage 3's pulse is not saved: it is drawn anew.
  if (S.SeikaiCount >= 2 * kStageSize) {
    S.HotaruSizeW.resize(count);
    S.HotaruSizeH.resize(count);
    S.MojiSizeW.resize(count);
    S.MojiSizeH.resize(count);
    S.Fukuramu.resize(count);
    for (std::int32_t i = 0; i < S.MojiCount; ++i) DrawPulse(i);
  }

  // The score.
  S.Tokuten = d.Tokuten;
  ShowTokuten();

  // The answer mode of the save; a value the menu cannot show means kanji-mixed answers.
  S.KaitoMode = S.Settings.KaitoMode == 1 ? 1 : 0;
  S.Settings.ChosenKaitoMode = S.KaitoMode;
  Window.SetMenuChecked(TMenuItem::Kanji, S.KaitoMode == 0);
  Window.SetMenuChecked(TMenuItem::Hira, S.KaitoMode == 1);

  // The field's colour tells the mode, or the bonus question.
  S.BonusMode = d.BonusMode;
  SetAnswerColour();

  // The hints of the stage. A hint that was flying at the save is not saved as flying:
  // its character is set down on its place above the answer field.
  if (S.SeikaiCount >= kStageSize) {
    S.HintMoji = d.HintMoji;
    S.HintCount = d.HintCount;
    ShowHintsLeft();
    const std::int32_t hinted = std::min({S.HintMoji, 3, S.MojiCount});
    for (std::int32_t c = 0; c < hinted; ++c) SetHintMojiDown(c);
  }
  S.HintFlight = 0;

  // The reading, shown when the question ends.
  ShowReading();

  // The title's picture goes: a game resumed between questions shows none until the next
  // result.
  ShowPicture("");

  // The resumed game is a game of its own in the history, from its question on.
  StartGameMeasures();
  if (S.Playing == 1) StartMeasuring();
}

}  // namespace game
