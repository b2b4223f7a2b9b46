#include "history/question_record.h"

#include <array>

namespace history {
namespace {

constexpr std::array<std::string_view, 5> kResultNames = {"correct", "wrong", "timeout", "giveup",
                                                          "skipped"};

}  // namespace

std::string_view ResultName(TQuestionResult result) {
  return kResultNames[static_cast<std::size_t>(result)];
}

std::optional<TQuestionResult> ResultFromName(std::string_view name) {
  for (std::size_t i = 0; i < kResultNames.size(); ++i) {
    if (kResultNames[i] == name) return static_cast<TQuestionResult>(i);
  }
  return std::nullopt;
}

std::string_view ModeName(TAnswerMode mode) { return mode == TAnswerMode::Kana ? "kana" : "kanji"; }

std::string_view KindName(TGameKind kind) { return kind == TGameKind::Review ? "review" : "game"; }

std::optional<TGameKind> KindFromName(std::string_view name) {
  if (name == "game") return TGameKind::Game;
  if (name == "review") return TGameKind::Review;
  return std::nullopt;
}

double KanaPerMinute(const TQuestionRecord& record) {
  if (!record.AnswerMs || *record.AnswerMs <= 0) return 0;
  return record.Kana * 60000.0 / *record.AnswerMs;
}

}  // namespace history
