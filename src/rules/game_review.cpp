// What the player knows: every judged question becomes a review of its proverb's memory state
// in the history (Good: correct without hints; Hard: correct with hints; Again: wrong, timed
// out or given up; a question skipped with Ctrl is none), and the review game asks the
// proverbs that are due. A review game plays by the usual rules but is never saved and never
// sets the best score, so record1.dat keeps the player's own game.
#include <cstdio>
#include <system_error>

#include "history/history_store.h"
#include "history/memory_store.h"
#include "platform/clock/clock.h"
#include "rules/game_rules.h"

namespace game {
namespace {

constexpr const char* kNoReview = "今日復習することわざはありません。";
constexpr const char* kLeaveGame = "今のゲームをやめて復習を始めますか？";
constexpr const char* kNoHistory = "成績の記録を開けないため、復習できません。";

// A built-in proverb is its number; an additional question its reading and written form,
// which stay the same when the file's questions move.
history::TProverbKey ProverbKey(const TGameState& s, std::int32_t mondaiNo) {
  if (mondaiNo <= kBuiltInMondaiCount) return {mondaiNo, {}, {}};
  return {0, s.Reading(mondaiNo), s.Seikai(mondaiNo)};
}

// The question number of a proverb the history names, or 0 when it is no longer asked.
std::int32_t MondaiNoOf(const TGameState& s, const history::TProverbKey& key) {
  if (key.Proverb >= 1 && key.Proverb <= kBuiltInMondaiCount) return key.Proverb;
  if (key.Proverb != 0) return 0;
  for (std::int32_t k = 0; k < s.TuikaCount; ++k) {
    if (s.TuikaMondaiList[k] == key.Reading && s.TuikaSeikaiList[k] == key.Spelling) {
      return kBuiltInMondaiCount + 1 + k;
    }
  }
  return 0;
}

}  // namespace

history::THistoryStore* TGameRules::ReviewHistory() {
  if (!HistoryTried) OpenHistory();
  return History.get();
}

void TGameRules::RecordReview(TFsrsRating rating) {
  if (!S.IsMondaiNo(S.MondaiNo)) return;
  history::THistoryStore* store = ReviewHistory();
  if (store == nullptr) return;
  if (!history::RecordReview(*store, ProverbKey(S, S.MondaiNo), rating, WallClockMs())) {
    std::fprintf(stderr, "nightwisp: the review of question %d was not kept in %s\n", S.MondaiNo,
                 store->File().string().c_str());
  }
}

std::int32_t TGameRules::CountDueToday() {
  // Before the first review there is nothing to count, and no file to make for it.
  std::error_code error;
  const bool exists = std::filesystem::exists(S.UserDir / history::kHistoryFileName, error);
  history::THistoryStore* store = exists || History ? ReviewHistory() : nullptr;
  S.DueCount = store ? history::DueCount(*store, history::LocalDay(WallClockMs())) : 0;
  return S.DueCount;
}

void TGameRules::ShowDueCount() {
  if (CountDueToday() == 0) return;
  S.Marks.SetLabel(
      TLabel::Fukushu,
      codepage::Utf8ToUtf16("今日の復習: " + std::to_string(S.DueCount) + "問（ゲーム→復習）"));
}

void TGameRules::StartReviewGame() {
  history::THistoryStore* store = ReviewHistory();
  if (store == nullptr) {
    ShowBox(kNoHistory);
    return;
  }
  std::vector<std::int32_t> list;
  for (const history::TProverbKey& key :
       history::ReviewList(*store, history::LocalDay(WallClockMs()))) {
    if (const std::int32_t n = MondaiNoOf(S, key)) list.push_back(n);
  }
  if (list.empty()) {
    ShowBox(kNoReview);
    return;
  }
  const bool inGame = S.TitleMode == 0 && S.GameOver == 0 && S.GameClear == 0;
  if (inGame && AskBox(kLeaveGame, false) != TConfirmAnswer::Yes) return;

  S.ReviewGame = 1;
  S.ReviewList = std::move(list);
  S.ReviewNext = 0;
  // The review starts as a new game after a game over does: the counters from zero, a fresh
  // clock; a question left running is abandoned, not judged.
  if (S.GameClear == 0) S.GameOver = 1;
  S.Playing = S.Paused = 0;
  S.Ready = 1;
  StartQuestion();
}

bool TGameRules::TakeReviewQuestion() {
  if (S.ReviewGame != 1 || S.ReviewNext >= S.ReviewList.size()) return false;
  S.MondaiNo = S.ReviewList[S.ReviewNext++];
  S.MondaiText = S.Reading(S.MondaiNo);
  return true;
}

bool TGameRules::ReviewFinished() const {
  return S.ReviewGame == 1 && S.ReviewNext >= S.ReviewList.size() && S.GameOver == 0 &&
         S.GameClear == 0;
}

void TGameRules::FinishReviewGame() {
  // The last answer stays on the screen; the messages say the review is over. As after a game
  // over, Ctrl starts a new game of the whole catalogue.
  S.Playing = 0;
  S.GameOver = 1;
  Window.SetAnswerReadOnly(true);
  Window.SetMenuEnabled(TMenuItem::Save1, false);
  S.Message1 = Sjis("復習おわり: ") + std::to_string(S.SeikaiCount) + "/" +
               std::to_string(S.ReviewList.size()) + Sjis("問正解");
  S.Message2 = Sjis("Ctrlキーを押すと最初からゲームが始まります。");
  ShowMessages();
  EndGameMeasures();  // the results panel of the review
  CountDueToday();
}

}  // namespace game
