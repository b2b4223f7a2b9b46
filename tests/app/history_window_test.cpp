// The history window on a real database: the charts per answer mode with whole-number game
// axes and the whole accuracy scale, the speed by stage, the bests and the most missed
// proverbs, reviews apart; an empty history says how to fill it; a missing or damaged file
// gives a message and stays as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QTableWidget>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/history_window.h"
#include "support/qt_app.h"

namespace {

namespace fs = std::filesystem;

class HistoryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::App();
    Dir = fs::temp_directory_path() / ("nightwisp-history-window-" + std::to_string(::getpid()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    File = Dir / "history.db";
  }
  void TearDown() override { fs::remove_all(Dir); }

  QString MessageOf(const app::THistoryWindow& window) {
    const auto* label = window.findChild<QLabel*>("SeisekiMessage");
    return label ? label->text() : QString();
  }

  fs::path Dir;
  fs::path File;
};

TEST_F(HistoryWindowTest, ShowsEachModeTheBestsAndTheMostMissed) {
  {
    auto opened = history::THistoryStore::Open(File);
    ASSERT_TRUE(opened.Store);
    for (int i = 0; i < 4; ++i) {
      // The fourth is a review: counted apart, in no chart or best.
      const std::int64_t game =
          *opened.Store->BeginGame(0, history::TAnswerMode::Kana,
                                   i == 3 ? history::TGameKind::Review : history::TGameKind::Game);
      history::TQuestionRecord q;
      q.Seq = 1;
      q.Proverb = 5;
      q.Reading = u"さるもきからおちる";
      q.Spelling = u"猿も木から落ちる";
      q.Result = history::TQuestionResult::Wrong;
      q.Kana = 9;
      q.AnswerMs = 3000;
      q.Stage = 2;
      history::TQuestionRecord right = q;
      right.Seq = 2;
      right.Result = history::TQuestionResult::Correct;
      ASSERT_TRUE(opened.Store->AddQuestion(game, right, {}));
      history::TGameMeasures m;
      m.Asked = 6;
      m.Correct = 5;
      m.KanaPerMinute = i == 3 ? 1481 : 100 + 10 * i;
      m.KeysPerSecond = 4;
      m.KeyAccuracy = 0.9;
      m.Consistency = 80;
      ASSERT_TRUE(opened.Store->AddQuestion(game, q, m));
    }
  }
  app::THistoryWindow window(File, nullptr);
  for (const char* name : {"SpeedChart", "AccuracyChart"}) {
    const auto* view = window.findChild<QChartView*>(name);
    ASSERT_NE(view, nullptr) << name;
    ASSERT_EQ(view->chart()->series().size(), 1);  // only kana games were played
    EXPECT_EQ(static_cast<QLineSeries*>(view->chart()->series()[0])->count(), 3);
    // Whole games from 1 to 3, each half a game from the edge; the plot grows with the window.
    const auto* games = static_cast<QValueAxis*>(view->chart()->axes(Qt::Horizontal)[0]);
    EXPECT_DOUBLE_EQ(games->min(), 0.5);
    EXPECT_DOUBLE_EQ(games->max(), 3.5);
    EXPECT_DOUBLE_EQ(games->tickInterval(), 1);
    EXPECT_EQ(view->maximumHeight(), QWIDGETSIZE_MAX);
  }
  // 0 to 100 %, with 100 on a tick inside the frame.
  const auto* accuracy = static_cast<QValueAxis*>(
      window.findChild<QChartView*>("AccuracyChart")->chart()->axes(Qt::Vertical)[0]);
  EXPECT_EQ(accuracy->min(), 0);
  EXPECT_GT(accuracy->max(), 100);
  EXPECT_EQ(std::fmod(100, accuracy->tickInterval()), 0);
  // The speed by stage: the kana games' stage 2, 9 kana in 3 s each.
  const auto* stages = window.findChild<QChartView*>("StageChart");
  ASSERT_NE(stages, nullptr);
  ASSERT_EQ(stages->chart()->series().size(), 1);
  const auto* bars = static_cast<QBarSeries*>(stages->chart()->series()[0]);
  ASSERT_EQ(bars->count(), 1);
  EXPECT_DOUBLE_EQ(bars->barSets()[0]->at(1), 180);
  EXPECT_DOUBLE_EQ(bars->barSets()[0]->at(0), 0);
  const auto* bests = window.findChild<QTableWidget*>("Bests");
  ASSERT_NE(bests, nullptr);
  EXPECT_EQ(bests->item(1, 1)->text(), "3");
  EXPECT_EQ(bests->item(1, 2)->text(), "120.0");
  EXPECT_EQ(bests->item(1, 4)->text(), "90.0%");
  EXPECT_EQ(bests->item(0, 1)->text(), "0");
  const auto* missed = window.findChild<QTableWidget*>("MostMissed");
  ASSERT_NE(missed, nullptr);
  ASSERT_EQ(missed->rowCount(), 1);
  EXPECT_EQ(missed->item(0, 0)->text(), "4");
  EXPECT_EQ(missed->item(0, 1)->text(), QString::fromUtf8("猿も木から落ちる"));
  EXPECT_EQ(missed->item(0, 2)->text(), QString::fromUtf8("さるもきからおちる"));
}

TEST_F(HistoryWindowTest, SaysSoWhenThereIsNoHistoryOrItCannotBeRead) {
  app::THistoryWindow none(File, nullptr);
  EXPECT_TRUE(MessageOf(none).contains("Ctrl")) << MessageOf(none).toStdString();
  EXPECT_FALSE(fs::exists(File));
  // A history with no game yet reads the same.
  ASSERT_TRUE(history::THistoryStore::Open(File).Store);
  app::THistoryWindow empty(File, nullptr);
  EXPECT_EQ(MessageOf(empty), MessageOf(none));
  fs::remove(File);

  std::ofstream(File, std::ios::binary) << "damaged";
  app::THistoryWindow damaged(File, nullptr);
  EXPECT_TRUE(MessageOf(damaged).contains(QString::fromStdString(File.string())));
  std::ifstream in(File, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "damaged");
}

}  // namespace
