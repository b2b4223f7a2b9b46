// nightwisp-tool history [--csv]: the player's history of the documents folder. Without
// --csv, one line per game with its kind and measures and the personal best of each answer
// mode; with --csv, one row per judged question under a header row. The database is read as
// it stands, beside a running game, whatever version of the game wrote it; it is never
// changed and nothing is left beside it. A read that fails says so and exits 1.
#include <cstdio>
#include <filesystem>
#include <string>

#include "commands.h"
#include "history/history_store.h"
#include "platform/shell/shell.h"

namespace tool {
namespace {

constexpr const char* kCsvHeader =
    "game,started,mode,stage,proverb,result,kana,keys,min_keys,first_key_ms,answer_ms,hints,"
    "kind";

std::string Optional(const std::optional<std::int32_t>& value) {
  return value ? std::to_string(*value) : std::string();
}

void PrintCsv(const history::THistoryStore* store) {
  std::printf("%s\n", kCsvHeader);
  if (store == nullptr) return;
  for (const history::TQuestionRow& row : store->Questions()) {
    const history::TQuestionRecord& q = row.Record;
    const std::string proverb =
        q.Tuika > 0 ? "tuika:" + std::to_string(q.Tuika) : std::to_string(q.Proverb);
    std::printf("%lld,%s,%s,%d,%s,%s,%d,%d,%d,%s,%s,%d,%s\n", static_cast<long long>(row.Game),
                history::IsoTime(row.StartedAtMs).c_str(), history::ModeName(q.Mode).data(),
                q.Stage, proverb.c_str(), history::ResultName(q.Result).data(), q.Kana, q.Keys,
                q.MinKeys, Optional(q.FirstKeyMs).c_str(), Optional(q.AnswerMs).c_str(), q.Hints,
                history::KindName(row.Kind).data());
  }
}

void PrintGames(const history::THistoryStore* store) {
  if (store == nullptr) {
    std::printf("no games yet\n");
    return;
  }
  const auto games = store->Games();
  std::printf("%-6s %-25s %-5s %-6s %5s %7s %8s %6s %8s %8s %11s\n", "game", "started", "mode",
              "kind", "asked", "correct", "kana/min", "keys/s", "key acc", "answers",
              "consistency");
  for (const history::TGameRow& game : games) {
    const history::TGameMeasures& m = game.Measures;
    std::printf("%-6lld %-25s %-5s %-6s %5d %7d %8.1f %6.2f %7.1f%% %7.1f%% %11.1f\n",
                static_cast<long long>(game.Id), history::IsoTime(game.StartedAtMs).c_str(),
                history::ModeName(game.Mode).data(), history::KindName(game.Kind).data(), m.Asked,
                m.Correct, m.KanaPerMinute, m.KeysPerSecond, 100 * m.KeyAccuracy,
                100 * m.AnswerAccuracy, m.Consistency);
  }
  if (games.empty()) std::printf("no games yet\n");
  // The bests of the games; reviews apart.
  for (auto kind : {history::TGameKind::Game, history::TGameKind::Review}) {
    for (auto mode : {history::TAnswerMode::Kanji, history::TAnswerMode::Kana}) {
      if (const auto best = store->BestKanaPerMinute(mode, 0, kind)) {
        std::printf("best %s%s: %.1f kana/min\n", history::ModeName(mode).data(),
                    kind == history::TGameKind::Review ? " review" : "", *best);
      }
    }
  }
}

}  // namespace

int RunHistory(const std::vector<std::string>& args) {
  const bool csv = args.size() == 1 && args[0] == "--csv";
  if (!args.empty() && !csv) {
    std::fprintf(stderr, "usage: nightwisp-tool history [--csv]\n");
    return 2;
  }
  const std::filesystem::path file =
      shell::DocumentsFolder() / "Amaneya" / "NightwispData" / history::kHistoryFileName;
  // No file yet is a history without games, not a failure.
  std::error_code error;
  const bool exists = std::filesystem::exists(file, error);
  history::TOpenedHistory opened;
  if (exists) {
    opened = history::THistoryStore::Open(file, history::TAccess::ReadOnly);
    if (!opened.Store) {
      std::fprintf(stderr, "nightwisp-tool history: %s: %s\n", file.c_str(), opened.Detail.c_str());
      return 1;
    }
  }
  if (csv) {
    PrintCsv(opened.Store.get());
  } else {
    PrintGames(opened.Store.get());
  }
  if (opened.Store && !opened.Store->ReadError().empty()) {
    std::fflush(stdout);
    std::fprintf(stderr, "nightwisp-tool history: %s: cannot read the history: %s\n", file.c_str(),
                 opened.Store->ReadError().c_str());
    return 1;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "history: cannot write the result\n");
    return 1;
  }
  return 0;
}

}  // namespace tool
