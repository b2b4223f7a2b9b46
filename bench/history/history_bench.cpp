// nightwisp-bench-history [SCREENSHOT.png]: what the player's history costs the game, each as
// a ratio to its budget, measured in one run on a history of 10,000 games of 30 questions:
//   - writing a judged question, against 1 ms of its tick;
//   - opening the database (done when the first question is set), against 10 ms;
//   - a stage-3 question's ticks: the game's frame against the same frame plus what the
//     history adds per tick (the panel's check, a typist's keys, the judged question's write
//     spread over the question's ticks), against a rise of 10 %;
//   - the history window with those 10,000 games, built, shown and painted, against 200 ms.
// A ratio at or below 1 meets its budget. With a path, the window's picture is saved there.
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "app/history_window.h"
#include "game_way.h"
#include "history/history_store.h"
#include "rules/catalogue.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

template <class F>
double MedianMs(int runs, F&& f) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    f();
    times.push_back(Ms(Clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

const TCatalogue& Catalogue() {
  static const TCatalogue catalogue = [] {
    TCatalogue c;
    BuildMondaiTable(c);
    return c;
  }();
  return catalogue;
}

history::TQuestionRecord Question(int seq, int proverb) {
  history::TQuestionRecord q;
  q.Seq = seq;
  q.Stage = 1 + (seq - 1) / 10;
  q.Mode = proverb % 4 == 0 ? history::TAnswerMode::Kana : history::TAnswerMode::Kanji;
  q.Proverb = proverb;
  q.Reading = Catalogue().Reading(proverb);
  q.Spelling = Catalogue().Seikai(proverb);
  q.Result = (proverb * seq) % 11 == 0 || proverb % 23 == 0 ? history::TQuestionResult::Wrong
                                                            : history::TQuestionResult::Correct;
  q.Kana = static_cast<std::int32_t>(q.Reading.size());
  q.Keys = 20 + seq % 5;
  q.MinKeys = 17;
  q.FirstKeyMs = 900 + 13 * seq;
  q.AnswerMs = 3000 + 41 * (seq + proverb % 50);
  q.JudgedAtMs = 1'796'000'000'000 + seq;
  return q;
}

// 10,000 games of 30 questions in one transaction; false when a write failed.
bool FillHistory(history::THistoryStore& store) {
  sqlite3_exec(store.Connection(), "BEGIN", nullptr, nullptr, nullptr);
  std::vector<history::TQuestionRecord> game;
  for (int g = 0; g < 10000; ++g) {
    game.clear();
    const auto mode = g % 3 == 0 ? history::TAnswerMode::Kana : history::TAnswerMode::Kanji;
    const std::optional<std::int64_t> id = store.BeginGame(1'796'000'000'000 + g * 600'000LL, mode);
    if (!id) return false;
    for (int seq = 1; seq <= 30; ++seq) {
      game.push_back(Question(seq, 1 + (g * 31 + seq * 7) % 170));
      game.back().Mode = mode;
      game.back().AnswerMs = *game.back().AnswerMs + (g % 97) * 10;
      if (!store.AddQuestion(*id, game.back(), history::MeasureGame(game))) return false;
    }
  }
  return sqlite3_exec(store.Connection(), "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

void Report(const char* what, double measured, double budget, const char* unit) {
  std::printf("%-44s %10.3f %-3s budget %8.3f  ratio %.3f  %s\n", what, measured, unit, budget,
              measured / budget, measured <= budget ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const fs::path dir =
      fs::temp_directory_path() / ("nightwisp-bench-history-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  // The 100 MB history goes with the folder however the run ends.
  const std::unique_ptr<const fs::path, void (*)(const fs::path*)> removal(
      &dir, [](const fs::path* folder) { fs::remove_all(*folder); });
  const fs::path file = dir / history::kHistoryFileName;

  const auto fillStart = Clock::now();
  {
    auto opened = history::THistoryStore::Open(file);
    if (!opened.Store) {
      std::fprintf(stderr, "bench: %s\n", opened.Detail.c_str());
      return 1;
    }
    if (!FillHistory(*opened.Store)) {
      std::fprintf(stderr, "bench: the history could not be written: %s\n",
                   opened.Store->LastError().c_str());
      return 1;
    }
  }
  std::printf("history of 10,000 games x 30 questions written in %.0f ms (%.1f MB)\n",
              Ms(Clock::now() - fillStart), static_cast<double>(fs::file_size(file)) / 1e6);

  // Opening, as the game does at its first question (lock, version, WAL, statements).
  const double openMs = MedianMs(31, [&] { history::THistoryStore::Open(file); });

  // Writing a judged question, each its own transaction, as the game does.
  double writeMs = 0;
  {
    auto opened = history::THistoryStore::Open(file);
    const std::optional<std::int64_t> id =
        opened.Store ? opened.Store->BeginGame(0, history::TAnswerMode::Kanji) : std::nullopt;
    if (!id) {
      std::fprintf(stderr, "bench: no game could be begun in the history: %s\n",
                   opened.Detail.c_str());
      return 1;
    }
    std::vector<history::TQuestionRecord> game;
    int seq = 0;
    writeMs = MedianMs(201, [&] {
      ++seq;
      game.push_back(Question(seq, 1 + seq % 170));
      opened.Store->AddQuestion(*id, game.back(), history::MeasureGame(game));
    });
  }

  // The stage-3 frame, and what the history adds to a question's ticks: keys at ten a second
  // (a quarter of a key a tick), the panel's check every tick, and one judged question over a
  // question of 8 s (320 ticks), its measures worked out from 30 questions.
  benchframe::TGameWay way;
  if (!way.Ok()) {
    std::fprintf(stderr, "bench: the stage-3 frame could not be set up: nothing to compare with\n");
    return 1;
  }
  for (int i = 0; i < 20; ++i) way.DrawFrame();
  const double frameMs = MedianMs(301, [&] { way.DrawFrame(); });
  std::vector<history::TQuestionRecord> thirty;
  for (int seq = 1; seq <= 30; ++seq) thirty.push_back(Question(seq, seq));
  const double measureMs = MedianMs(1001, [&] { (void)history::MeasureGame(thirty); });
  const double perTickMs = (writeMs + measureMs) / 320.0;
  const double stage3Rise = perTickMs / frameMs;

  // The history window with 10,000 games: built, shown and painted.
  QImage picture;
  const double windowMs = MedianMs(5, [&] {
    app::THistoryWindow window(file, nullptr);
    window.show();
    picture = window.grab().toImage();
  });
  if (argc > 1) picture.save(QString::fromLocal8Bit(argv[1]));

  std::printf("\n");
  Report("writing a judged question", writeMs, 1.0, "ms");
  Report("opening the database", openMs, 10.0, "ms");
  std::printf("%-44s %10.3f ms (the game's stage-3 frame)\n", "  stage-3 frame", frameMs);
  std::printf("%-44s %10.4f ms a tick\n", "  history per tick (write and measures)", perTickMs);
  Report("stage-3 CPU rise", 100 * stage3Rise, 10.0, "%");
  Report("history window, 10,000 games", windowMs, 200.0, "ms");
  return 0;
}
