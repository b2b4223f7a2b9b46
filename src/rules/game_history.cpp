// The player's measures: each question's keys and times as it runs, its record when it is
// judged (kept in the game's list and written to the history at once, so a game killed a
// moment later keeps it), and the figures of the results panel when the game ends.
#include <algorithm>

#include "platform/clock/clock.h"
#include "rules/game_rules.h"
#include "rules/romaji.h"

namespace game {

std::int32_t TGameRules::QuestionClock() const {
  const DWORD now = timeGetTime();
  DWORD held = static_cast<DWORD>(S.PauseTotal);
  if (S.Paused == 1) held += now - S.PauseStart;
  if (BoxHoldsClock) held += now - BoxStart;
  return static_cast<std::int32_t>(now - S.StartTime - held);
}

void TGameRules::StartMeasuring() {
  S.Measuring = TQuestionMeasuring{};
  S.Measuring.StartClock = QuestionClock();
}

void TGameRules::StartGameMeasures() {
  S.GameQuestions.clear();
  S.GameStartedAtMs = WallClockMs();
  S.Results.Shown = false;
  HistoryGame = 0;
}

void TGameRules::KeyPressedAtKeyboard(bool enter) {
  if (S.Playing != 1) return;
  TQuestionMeasuring& m = S.Measuring;
  // An Enter followed by another key did not judge: the input method took it.
  if (m.EnterPending) ++m.Keys;
  m.EnterPending = enter;
  if (!enter) ++m.Keys;
  const std::int32_t clock = QuestionClock();
  if (!m.FirstKeyClock) m.FirstKeyClock = clock;
  EndHintWait(clock);
}

void TGameRules::HintAsked() {
  // Before the first key the clock has not started: there is no typing to leave the wait out of.
  if (S.Measuring.FirstKeyClock && !S.Measuring.HintSince) {
    S.Measuring.HintSince = QuestionClock();
  }
}

void TGameRules::EndHintWait(std::int32_t clock) {
  TQuestionMeasuring& m = S.Measuring;
  if (!m.HintSince) return;
  m.HintWaits += std::max(clock - *m.HintSince, 0);
  m.HintSince.reset();
}

void TGameRules::QuestionEnded(history::TQuestionResult result, std::int32_t clock) {
  const std::int32_t n = S.MondaiNo;
  if (S.TitleMode == 1 || !S.IsMondaiNo(n)) return;
  EndHintWait(clock);
  const TQuestionMeasuring& m = S.Measuring;
  history::TQuestionRecord q;
  q.Seq = static_cast<std::int32_t>(S.GameQuestions.size()) + 1;
  q.Stage = Stage(S);
  q.Mode = S.KaitoMode == 1 ? history::TAnswerMode::Kana : history::TAnswerMode::Kanji;
  if (n <= kBuiltInMondaiCount) {
    q.Proverb = n;
  } else {
    q.Tuika = TuikaIndex(n) + 1;
  }
  q.Reading = S.Reading(n);
  q.Spelling = S.Seikai(n);
  q.Result = result;
  // An English proverb (its reading in letters) has no kana to count.
  q.Kana = RomajiFitsAnswer(q.Reading) ? static_cast<std::int32_t>(q.Reading.size()) : 0;
  // The Enter that judged is not a key of the answer; one the input method took is.
  const bool judgedByEnter =
      result == history::TQuestionResult::Correct || result == history::TQuestionResult::Wrong;
  q.Keys = m.Keys + (m.EnterPending && !judgedByEnter ? 1 : 0);
  q.MinKeys = static_cast<std::int32_t>(ShortestRomaji(q.Reading).size());
  if (m.FirstKeyClock) {
    q.FirstKeyMs = std::max(*m.FirstKeyClock - m.StartClock, 0);
    q.AnswerMs = std::max(clock - *m.FirstKeyClock - m.HintWaits, 0);
  }
  q.Hints = std::min(S.HintMoji, kMaxHintsPerQuestion);
  q.JudgedAtMs = WallClockMs();
  S.GameQuestions.push_back(q);
  S.Measuring = TQuestionMeasuring{};

  if (!HistoryTried) OpenHistory();
  if (!History) return;
  if (HistoryGame == 0) {
    const std::optional<std::int64_t> game =
        History->BeginGame(S.GameStartedAtMs, q.Mode, GameKind());
    HistoryGame = game.value_or(0);
  }
  if (HistoryGame == 0 ||
      !History->AddQuestion(HistoryGame, q, history::MeasureGame(S.GameQuestions))) {
    // The history stops here; the game goes on, and says so once.
    const std::string message = history::WriteFailureMessage(History->File(), History->LastError());
    History.reset();
    ShowBox(message);
  }
}

void TGameRules::EndGameMeasures() {
  TGameResults& r = S.Results;
  r.Shown = true;
  ++r.Version;
  r.Measures = history::MeasureGame(S.GameQuestions);
  r.Mode = S.GameQuestions.empty() ? history::TAnswerMode::Kanji : S.GameQuestions.front().Mode;
  r.Kind = GameKind();
  r.Best = History ? History->BestKanaPerMinute(r.Mode, HistoryGame, r.Kind) : std::nullopt;
  // A review is measured against the reviews, and sets no record.
  r.Beaten = r.Kind == history::TGameKind::Game &&
             r.Measures.Correct >= history::kMinCorrectForBest &&
             (!r.Best || r.Measures.KanaPerMinute > *r.Best);
}

history::TGameKind TGameRules::GameKind() const {
  return S.ReviewGame == 1 ? history::TGameKind::Review : history::TGameKind::Game;
}

void TGameRules::StartOpeningHistory() {
  const std::filesystem::path file = S.UserDir / history::kHistoryFileName;
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return;  // a new one is made at the first question
  HistoryOpening =
      std::async(std::launch::async, [file] { return history::THistoryStore::Open(file); });
}

void TGameRules::OpenHistory() {
  HistoryTried = true;
  history::TOpenedHistory opened;
  if (HistoryOpening.valid()) {
    opened = HistoryOpening.get();
  } else {
    // The per-user folder is made when something is to be written there: the first question.
    std::error_code error;
    std::filesystem::create_directories(S.UserDir, error);
    opened = history::THistoryStore::Open(S.UserDir / history::kHistoryFileName);
  }
  History = std::move(opened.Store);
  if (!History) ShowBox(opened.Message);
}

}  // namespace game
