// The history window on a real database: the charts per answer mode, the bests and the most
// missed proverbs; a missing or damaged file gives a message and stays as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QTableWidget>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/history_window.h"

namespace {

namespace fs = std::filesystem;

QApplication& App() {
  static int argc = 1;
  static char name[] = "test_app";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

class HistoryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
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
    for (int i = 0; i < 3; ++i) {
      const std::int64_t game = *opened.Store->BeginGame(0, history::TAnswerMode::Kana);
      history::TQuestionRecord q;
      q.Seq = 1;
      q.Proverb = 5;
      q.Reading = u"さるもきからおちる";
      q.Spelling = u"猿も木から落ちる";
      q.Result = history::TQuestionResult::Wrong;
      history::TGameMeasures m;
      m.Asked = 6;
      m.Correct = 5;
      m.KanaPerMinute = 100 + 10 * i;
      m.KeysPerSecond = 4;
      m.KeyAccuracy = 0.9;
      m.Consistency = 80;
      ASSERT_TRUE(opened.Store->AddQuestion(game, q, m));
    }
  }
  app::THistoryWindow window(File, nullptr);
  const auto charts = window.findChildren<QChartView*>();
  ASSERT_EQ(charts.size(), 2);
  for (const QChartView* view : charts) {
    ASSERT_EQ(view->chart()->series().size(), 1);  // only kana games were played
    EXPECT_EQ(static_cast<QLineSeries*>(view->chart()->series()[0])->count(), 3);
  }
  const auto* bests = window.findChild<QTableWidget*>("Bests");
  ASSERT_NE(bests, nullptr);
  EXPECT_EQ(bests->item(1, 1)->text(), "3");
  EXPECT_EQ(bests->item(1, 2)->text(), "120.0");
  EXPECT_EQ(bests->item(1, 4)->text(), "90.0%");
  EXPECT_EQ(bests->item(0, 1)->text(), "0");
  const auto* missed = window.findChild<QTableWidget*>("MostMissed");
  ASSERT_NE(missed, nullptr);
  ASSERT_EQ(missed->rowCount(), 1);
  EXPECT_EQ(missed->item(0, 0)->text(), "3");
  EXPECT_EQ(missed->item(0, 1)->text(), QString::fromUtf8("猿も木から落ちる"));
  EXPECT_EQ(missed->item(0, 2)->text(), QString::fromUtf8("さるもきからおちる"));
}

TEST_F(HistoryWindowTest, SaysSoWhenThereIsNoHistoryOrItCannotBeRead) {
  app::THistoryWindow none(File, nullptr);
  EXPECT_FALSE(MessageOf(none).isEmpty());
  EXPECT_FALSE(fs::exists(File));

  std::ofstream(File, std::ios::binary) << "damaged";
  app::THistoryWindow damaged(File, nullptr);
  EXPECT_TRUE(MessageOf(damaged).contains(QString::fromStdString(File.string())));
  std::ifstream in(File, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "damaged");
}

}  // namespace
