// The rule book of a game: starting a question, drawing and laying out a proverb, a correct
// answer, a wrong one, giving up and hints, with the stage clears, game over and game clear.
#include <algorithm>
#include <cmath>

#include "history/history_store.h"
#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"
#include "rules/furigana.h"
#include "rules/game_rules.h"
#include "rules/random.h"
#include "rules/saturating.h"
#include "rules/zero_pad.h"

namespace game {
namespace {

// Sound effects by index, bound to channels 0 to 6 at start-up.
constexpr int kSoundSeikai = 0;
constexpr int kSoundRenzoku = 1;
constexpr int kSoundFuseikai = 2;
constexpr int kSoundGameClear = 3;
constexpr int kSoundGameOver = 4;
constexpr int kSoundBonus = 5;
constexpr int kSoundStageClear = 6;

// The hint's speed: the distance over 80 frames, to the nearest integer with halves to even.
std::int32_t HintSpeed(std::int32_t distance) {
  return static_cast<std::int32_t>(
      std::nearbyint(static_cast<double>(distance) / static_cast<double>(kHintFrames)));
}

}  // namespace

// --- Shared steps --------------------------------------------------------------------------

TGameRules::TGameRules(TGameWindow& window, TGamePaths paths)
    : Window(window), GamePaths(std::move(paths)) {}

TGameRules::~TGameRules() = default;

void TGameRules::ShowPicture(const std::string& entry) {
  S.Marks.Picture = entry;
  S.Marks.PictureChanged = true;
}

void TGameRules::LoadSosa(const std::string& file) {
  S.Marks.Sosa = file;
  S.Marks.SosaChanged = true;
}

const char* TGameRules::KeyGuide() const {
  // Hints begin with the second stage. The first hint of a question takes one of the stage's
  // questions with hints; the question's own hints end at the third character.
  if (S.SeikaiCount < kStageSize) return kKeyGuideFile;
  const bool hintLeft = S.HintMoji == 0
                            ? S.HintCount < kMaxHintsPerStage
                            : S.HintMoji < kMaxHintsPerQuestion && S.HintCount <= kMaxHintsPerStage;
  return hintLeft ? kKeyGuideHintFile : kKeyGuideFile;
}

void TGameRules::ShowKeyGuide() {
  if (S.Marks.Sosa != KeyGuide()) LoadSosa(KeyGuide());
}

void TGameRules::ShowCounter(TLabel label, const char* caption, std::int32_t value) {
  S.Marks.SetLabel(label, codepage::Utf8ToUtf16(caption + ZeroPad(value)));
}

void TGameRules::ShowSeikai() { ShowCounter(TLabel::Seikai, "正解:", S.SeikaiCount); }
void TGameRules::ShowRenzoku() { ShowCounter(TLabel::Renzoku, "連続正解:", S.RenzokuCount); }
void TGameRules::ShowFuseikai() { ShowCounter(TLabel::Fuseikai, "不正解:", S.FuseikaiCount); }
void TGameRules::ShowTokuten() {
  S.Marks.SetLabel(TLabel::Tokuten, codepage::Utf8ToUtf16(ZeroPad(S.Tokuten)));
}

void TGameRules::ShowSaikoTokuten() {
  S.Marks.SetLabel(TLabel::SaikoTokuten,
                   codepage::Utf8ToUtf16(ZeroPad(S.SaikoTokuten) + "(最高得点)"));
}

void TGameRules::ShowCounters() {
  ShowSeikai();
  ShowRenzoku();
  ShowFuseikai();
  ShowTokuten();
}

void TGameRules::ShowHintsLeft() {
  const std::int32_t left = S.HintCount > kMaxHintsPerStage ? 0 : kMaxHintsPerStage - S.HintCount;
  ShowCounter(TLabel::Hint, "HINT:", left);
}

void TGameRules::ShowMessages() {
  ShowMessage1();
  S.Marks.SetLabel(TLabel::Message2, codepage::SjisToUtf16(S.Message2));
}

void TGameRules::ShowMessage1() {
  S.Marks.SetLabel(TLabel::Message1, codepage::SjisToUtf16(S.Message1));
}

void TGameRules::SetAnswerColour() {
  if (S.BonusMode == 1) {
    Window.SetAnswerColor(255, 255, 0);
  } else {
    SetKaitoModeColour();
  }
}

void TGameRules::SetKaitoModeColour() {
  if (S.KaitoMode == 1) {
    Window.SetAnswerColor(255, 251, 240);
  } else {
    Window.SetAnswerColor(0, 128, 0);
  }
}

void TGameRules::RenderMoji(std::int32_t index) { S.Marks.MojiChanged[index] = true; }

void TGameRules::RenderSpelling() {
  S.Marks.SetLabel(TLabel::Spelling, S.Seikai(S.MondaiNo));
  // The furigana in their notation (糠{ぬか}に釘{くぎ}); the label's writer lays them out.
  const TRubyText ruby = Furigana(S, S.MondaiNo);
  S.SpellingRuby = ruby.empty() ? 0 : 1;
  if (!ruby.empty()) S.Marks.SetLabel(TLabel::Furigana, RubyNotation(ruby));
}

void TGameRules::ShowReading() {
  S.Marks.SetLabel(TLabel::Reading, S.MondaiText);
  S.Marks.SetLabel(TLabel::Imi, S.Imi(S.MondaiNo));
}

void TGameRules::PlaceRandomly(MojiRecord& moji) {
  const TRect e = Window.AnswerBounds();
  moji.X = Random(S.ScreenWidth - S.Pictures.HotaruW);
  moji.Y = Random(e.Top - S.Pictures.HotaruH - S.Pictures.HikariH) +
           (Window.OuterHeight() - Window.ClientHeight());
}

void TGameRules::SetHintMojiDown(std::int32_t index) {
  const TRect e = Window.AnswerBounds();
  MojiRecord& moji = S.Moji[index];
  moji.X = e.Left + S.Pictures.HikariW * index;
  moji.Y = e.Top - S.Pictures.HikariH;
  moji.DX = moji.DY = 0;
}

void TGameRules::DrawPulse(std::int32_t index) {
  const float scale = static_cast<float>(Random(6) + 5) * 0.1f;
  S.HotaruSizeW[index] = static_cast<float>(S.Pictures.HotaruW) * scale;
  S.HotaruSizeH[index] = static_cast<float>(S.Pictures.HotaruH) * scale;
  // The character's share follows once it is rendered and its size is known.
  S.Marks.PulseScale[index] = scale;
  S.Fukuramu[index] = Random(2) != 0 ? 1 : 0;
}

void TGameRules::CharacterRendered(std::int32_t index, std::int32_t w, std::int32_t h) {
  S.MojiW[index] = w;
  S.MojiH[index] = h;
  const float scale = S.Marks.PulseScale[index];
  if (scale <= 0) return;
  S.Marks.PulseScale[index] = 0;
  if (static_cast<std::size_t>(index) >= S.MojiSizeW.size() ||
      static_cast<std::size_t>(index) >= S.MojiSizeH.size()) {
    return;
  }
  S.MojiSizeW[index] = static_cast<float>(w) * scale;
  S.MojiSizeH[index] = static_cast<float>(h) * scale;
}

bool TGameRules::AnswerIsCorrect(const std::u16string& answer) const {
  const std::int32_t n = S.MondaiNo;
  if (!S.IsMondaiNo(n) || answer.empty()) return false;
  if (S.KaitoMode == 0) {
    if (answer == S.Seikai(n)) return true;
    const std::u16string& second = S.Seikai2(n);
    return !second.empty() && answer == second;
  }
  if (S.KaitoMode == 1) return answer == S.Reading(n);
  return false;
}

std::optional<TTuikaLeftOut> TGameRules::TuikaScreenProblem(std::u16string_view seikai,
                                                            std::u16string_view reading) const {
  if (!TextFits(seikai)) return TTuikaLeftOut::SeikaiTooWide;
  if (!TextFits(reading)) return TTuikaLeftOut::ReadingTooWide;
  return std::nullopt;
}

void TGameRules::SpeakQuestion() { Speak(S.Speech(S.MondaiNo)); }

void TGameRules::ShowMusicTitle() {
  S.Marks.SetLabel(TLabel::MusicTitle, codepage::Utf8ToUtf16(S.MusicName));
}

// --- The rules -----------------------------------------------------------------------------

void TGameRules::StartQuestion() {
  if (S.Paused != 0 || S.Ready != 1) return;
  if (ReviewFinished()) {  // the last review question was skipped
    FinishReviewGame();
    return;
  }
  const bool newGame = S.TitleMode == 1 || S.GameOver == 1 || S.GameClear == 1;
  // The answer mode is fixed for the question; the field shows it.
  S.TitleMode = 0;
  Window.SetMenuEnabled(TMenuItem::Kanji, false);
  Window.SetMenuEnabled(TMenuItem::Hira, false);
  S.Saved = 0;
  Window.SetMenuEnabled(TMenuItem::Save1, true);
  S.ShowSpelling = S.ShowReading = S.BonusMode = 0;
  S.HintMoji = S.HintFlight = 0;
  SetAnswerColour();
  // An abandoned question breaks the run.
  if (S.Playing == 1) {
    QuestionEnded(history::TQuestionResult::Skipped, QuestionClock());
    S.RenzokuCount = 0;
    ShowRenzoku();
  }
  // An empty, editable field with the focus.
  Window.SetAnswerText(u"");
  Window.SetAnswerReadOnly(false);
  Window.FocusAnswer();

  // A new game after a game over or a game clear.
  if (S.GameOver == 1 || S.GameClear == 1) {
    if (S.ReviewNext > 0) S.ReviewGame = 0;  // a review game that has asked is over
    if (S.GameClear == 1) StopMusic();
    Window.SetMenuEnabled(TMenuItem::ON1, true);
    Window.SetMenuEnabled(TMenuItem::OFF1, true);
    // The player's own music comes back, whether it is on or off.
    if (S.GameClear == 1) {
      S.MusicName = S.SavedMusicName;
      S.BgmRandom = S.BgmRandomChecked;
    }
    if (S.GameClear == 1 && S.BgmOn == 1) StartMusic();
    Window.SetMenuEnabled(TMenuItem::Save1, true);
    Window.SetMenuEnabled(TMenuItem::BGM1, true);
    S.SeikaiCount = S.RenzokuCount = S.FuseikaiCount = S.Tokuten = 0;
    ShowCounters();
    ShowSaikoTokuten();
    S.Message2.clear();
    S.BlinkOn = 0;
    S.HintCount = 0;
    ShowHintsLeft();
  }
  // From stage 2 the guide tells whether F1 still gives hints.
  ShowKeyGuide();
  if (newGame) StartGameMeasures();
  // Pending key and menu events run, then the next question is drawn and laid out.
  Window.ProcessMessages();
  NewQuestion();
  // A question abandoned with Ctrl keeps its clock.
  if (S.Playing == 0) {
    S.StartTime = timeGetTime();
    S.PauseTotal = 0;
    S.Playing = 1;
  }
  StartMeasuring();
  // The message lines are cleared and the game-over and game-clear screens end.
  S.Message1.clear();
  S.Message2.clear();
  ShowMessages();
  S.GameOver = S.GameClear = 0;
  // A bonus question is possible only after two wrong answers in the stage.
  if (S.FuseikaiCount >= 2 && Random(20) == 0) {
    S.BonusMode = 1;
    PlaySoundEffect(kSoundBonus);
    SetAnswerColour();
    ShowPicture(kBonusPicture);
    S.BonusTime = timeGetTime();
  }
  // The history opens with the first question. A box saying it cannot comes over the question
  // that has started (its clock held), so the Ctrl that raised it has started the game whatever
  // happens while it is open.
  if (!HistoryTried) OpenHistory();
}

void TGameRules::NewQuestion() {
  // Every question once per cycle; a review game asks its own list.
  if (S.TitleMode == 0 && !TakeReviewQuestion()) {
    const std::int32_t total = S.MondaiCount();
    S.TuikaShutsudai.resize(static_cast<std::size_t>(S.TuikaCount), 0);
    const auto startCycle = [this] {
      S.Shutsudai.fill(0);
      std::fill(S.TuikaShutsudai.begin(), S.TuikaShutsudai.end(), 0);
      S.ShutsudaiCount = S.TuikaShutsudaiCount = 0;
    };
    // Marks from a saved game may disagree with its counts; a cycle with nothing left to ask
    // starts again rather than drawing for ever.
    const bool anyLeft =
        std::find(S.Shutsudai.begin(), S.Shutsudai.end(), 0) != S.Shutsudai.end() ||
        std::find(S.TuikaShutsudai.begin(), S.TuikaShutsudai.end(), 0) != S.TuikaShutsudai.end();
    if (!anyLeft) startCycle();
    for (;;) {
      const std::int32_t n = Random(total) + 1;
      S.MondaiNo = n;
      if (n <= kBuiltInMondaiCount) {
        if (S.Shutsudai[n - 1] == 0) {
          S.Shutsudai[n - 1] = 1;
          ++S.ShutsudaiCount;
          S.MondaiText = S.MondaiTable[n];
          break;
        }
      } else if (S.TuikaShutsudai[TuikaIndex(n)] == 0) {
        S.TuikaShutsudai[TuikaIndex(n)] = 1;
        ++S.TuikaShutsudaiCount;
        S.MondaiText = S.TuikaMondaiList[TuikaIndex(n)];
        break;
      }
    }
    if (S.ShutsudaiCount + S.TuikaShutsudaiCount == total) startCycle();
  }
  const std::vector<std::u16string> moji = MojiOf(S.MondaiText);
  S.MojiCount = std::min<std::int32_t>(static_cast<std::int32_t>(moji.size()), kMojiSlots);
  const auto count = static_cast<std::size_t>(S.MojiCount);
  const bool flying = S.TitleMode == 1 || S.SeikaiCount >= 2 * kStageSize;

  // The pulse of stage 3 and the title.
  if (flying) {
    S.HotaruSizeW.resize(count);
    S.HotaruSizeH.resize(count);
    S.MojiSizeW.resize(count);
    S.MojiSizeH.resize(count);
    S.Fukuramu.resize(count);
  }
  // The characters; a pulse drawn for an earlier question waits for none of them.
  S.Marks.PulseScale.fill(0);
  for (std::int32_t i = 0; i < S.MojiCount; ++i) {
    S.Moji[i].Char = moji[static_cast<std::size_t>(i)];
    RenderMoji(i);
  }
  // The layout of the stage.
  if (!flying && S.SeikaiCount < kStageSize) {
    const std::int32_t fw = S.Pictures.HotaruW;
    for (std::int32_t k = 0; k < S.MojiCount; ++k) {
      MojiRecord& moji = S.Moji[k];
      const std::int32_t row = k / kRowLength;
      if (k % kRowLength == 0) {
        const std::int32_t inRow = std::min(kRowLength, S.MojiCount - row * kRowLength);
        moji.X = (S.ScreenWidth - inRow * fw) / 2 + 10;
      } else {
        moji.X = S.Moji[k - 1].X + fw;
      }
      moji.Y = row * (S.Pictures.HotaruH + 50) + 140;
      moji.DX = moji.DY = 0;
    }
    S.KakushiNo = Random(S.MojiCount);
  } else if (!flying) {
    for (std::int32_t k = 0; k < S.MojiCount; ++k) {
      PlaceRandomly(S.Moji[k]);
      S.Moji[k].DX = S.Moji[k].DY = 0;
    }
  } else {
    for (std::int32_t k = 0; k < S.MojiCount; ++k) {
      MojiRecord& moji = S.Moji[k];
      PlaceRandomly(moji);
      do {
        moji.DX = Random(5) - 2;
      } while (moji.DX == 0);
      moji.DY = Random(5) - 2;
      DrawPulse(k);
    }
  }
  // Brightness: even characters start dim, odd ones bright; stage 1 keeps one dark.
  S.Akarusa.resize(count);
  S.Akarumu.resize(count);
  for (std::int32_t i = 0; i < S.MojiCount; ++i) {
    if (S.SeikaiCount < kStageSize && i == S.KakushiNo) {
      S.Akarusa[i] = 0;
      S.Akarumu[i] = 0;
    } else {
      S.Akarusa[i] = i % 2 == 0 ? Random(128) : 128 + Random(128);
      S.Akarumu[i] = 1;
    }
  }
  // The reading, shown after the answer.
  if (S.TitleMode == 0) ShowReading();
}

void TGameRules::JudgeAnswer() {
  const std::int32_t judgedAt = QuestionClock();
  Window.SetAnswerReadOnly(true);
  S.Playing = 0;
  SettlePendingRomaji();
  const bool correct = AnswerIsCorrect(Window.AnswerText());
  QuestionEnded(correct ? history::TQuestionResult::Correct : history::TQuestionResult::Wrong,
                judgedAt);
  SpeakQuestion();
  if (correct) {
    ScoreCorrect();
  } else {
    Miss();
  }
  Window.SetMenuEnabled(TMenuItem::Kanji, true);
  Window.SetMenuEnabled(TMenuItem::Hira, true);
  if (ReviewFinished()) FinishReviewGame();
}

void TGameRules::ScoreCorrect() {
  RecordReview(S.HintMoji == 0 ? TFsrsRating::Good : TFsrsRating::Hard);
  // A hinted answer breaks the run.
  S.RenzokuCount = S.HintMoji == 0 ? S.RenzokuCount + 1 : 0;
  ShowRenzoku();
  // The picture; a stage or game clear brings its own.
  const bool clears = S.SeikaiCount % kStageSize == kStageSize - 1;
  if (S.RenzokuCount >= kRenzokuRun) {
    if (!clears) {
      PlaySoundEffect(kSoundRenzoku);
      ShowPicture(kRenzokuPicture);
    }
    S.FuseikaiCount = std::max(S.FuseikaiCount - 1, 0);
    ShowFuseikai();
    S.Tokuten = SaturatingAdd(S.Tokuten, kRenzokuPoints);
  } else if (!clears) {
    PlaySoundEffect(kSoundSeikai);
    ShowPicture(kSeikaiPicture);
  }
  // The other writing of the proverb is shown.
  if (S.KaitoMode == 1) {
    S.ShowSpelling = 1;
    S.ShowReading = 0;
    RenderSpelling();
  } else {
    S.ShowSpelling = 0;
    S.ShowReading = 1;
  }
  // One more correct answer; ten points and a point per whole second left.
  ++S.SeikaiCount;
  ShowSeikai();
  S.Tokuten = SaturatingAdd(S.Tokuten, kSeikaiPoints + std::max(S.TimeLeft, 0) / 1000);
  ShowTokuten();
  // A bonus question forgives the stage's wrong answers.
  if (S.BonusMode == 1) {
    S.FuseikaiCount = 0;
    ShowFuseikai();
  }
  // Stage clear.
  if (S.SeikaiCount < kGameClearCount && S.SeikaiCount % kStageSize == 0) {
    PlaySoundEffect(kSoundStageClear);
    ShowPicture(ToppaPicture(S.SeikaiCount));
    S.FuseikaiCount = S.RenzokuCount = 0;
    S.BlinkOn = 0;
    ShowFuseikai();
    ShowRenzoku();
    S.HintCount = 0;
    ShowHintsLeft();
  }
  // Game clear: the tune, the best score and the automatic save.
  if (S.SeikaiCount == kGameClearCount) {
    S.GameClear = 1;
    PlaySoundEffect(kSoundGameClear);
    Window.SetMenuEnabled(TMenuItem::ON1, false);
    Window.SetMenuEnabled(TMenuItem::OFF1, false);
    // The player's music is kept also when it is off, so that it is not lost to the tune.
    if (S.BgmOn == 1) StopMusic();
    S.SavedMusicName = S.MusicName;
    S.MusicName = ClearTune();
    S.BgmRandom = 0;
    PlayMusic();
    Window.SetMenuEnabled(TMenuItem::Save1, false);
    Window.SetMenuEnabled(TMenuItem::BGM1, false);
    S.BlinkOn = 0;
    ShowPicture(kGameClearPicture);
    S.Message1 = Sjis("おめでとうございます!!");
    S.Message2 = Sjis(" Ctrlキーを押すと最初からゲームが始まります。");
    if (S.ReviewGame == 0 && S.Tokuten > S.SaikoTokuten) {
      S.SaikoTokuten = S.Tokuten;
      ShowSaikoTokuten();
      S.Message1 =
          Sjis("記録更新!! (") + std::to_string(S.Tokuten) + Sjis("点) おめでとうございます!! ");
    }
    ShowMessages();
    EndGameMeasures();
    SaveGame();
  }
}

void TGameRules::Miss() {
  RecordReview(TFsrsRating::Again);
  // The picture, and both writings of the proverb.
  PlaySoundEffect(kSoundFuseikai);
  ShowPicture(kFuseikaiPicture);
  RenderSpelling();
  S.ShowSpelling = 1;
  S.ShowReading = 1;
  // The run ends, one more wrong answer, ten points off.
  S.RenzokuCount = 0;
  ShowRenzoku();
  ++S.FuseikaiCount;
  ShowFuseikai();
  S.Tokuten = std::max(S.Tokuten - kFuseikaiPenalty, 0);
  ShowTokuten();
  // Game over at the fifth wrong answer of a stage.
  if (S.FuseikaiCount >= kGameOverCount) {
    PlaySoundEffect(kSoundGameOver);
    S.GameOver = 1;
    ShowPicture(kGameOverPicture);
    S.Message1 = Sjis("お疲れさまでした。");
    S.Message2 = Sjis("Ctrlキーを押すとゲームを再開します。");
    ShowMessages();
    Window.SetMenuEnabled(TMenuItem::Save1, false);
    EndGameMeasures();
  }
}

void TGameRules::GiveUp(history::TQuestionResult why) {
  QuestionEnded(why, QuestionClock());
  S.Playing = 0;
  Window.SetAnswerReadOnly(true);
  SpeakQuestion();
  Miss();
  if (ReviewFinished()) FinishReviewGame();
}

void TGameRules::UseHint() {
  if (S.SeikaiCount < kStageSize) {
    GiveUp();
    return;
  }
  // The first hint of a question uses up one of the stage's three.
  if (S.HintMoji == 0) {
    if (S.HintCount <= kMaxHintsPerStage) ++S.HintCount;
    ShowHintsLeft();
  }
  // At most three characters per question, three questions per stage.
  ++S.HintMoji;
  ShowKeyGuide();
  if (S.HintMoji > kMaxHintsPerQuestion || S.HintCount > kMaxHintsPerStage) {
    GiveUp();
    return;
  }
  // The next character flies to its place above the answer field; a question shorter than
  // the hints has no character left to send.
  const std::int32_t c = S.HintMoji - 1;
  if (c >= S.MojiCount) return;
  HintAsked();
  S.HintFlight = 1;
  const TRect e = Window.AnswerBounds();
  const std::int32_t targetX = e.Left + S.Pictures.HikariW * (S.HintMoji - 1);
  const std::int32_t targetY = e.Top - S.Pictures.HikariH;
  S.Moji[c].DX = HintSpeed(targetX - S.Moji[c].X);
  S.Moji[c].DY = HintSpeed(targetY - S.Moji[c].Y);
  S.Tokuten = std::max(S.Tokuten - kHintPenalty, 0);
  ShowTokuten();
}

}  // namespace game
