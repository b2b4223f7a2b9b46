#include "app/history_window.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <cmath>

namespace app {
namespace {

const char* const kModeNames[] = {"漢字混じり", "ひらがな"};

// What an empty window says: how the history fills.
const char* const kEmpty =
    "まだ成績の記録がありません。\n\n"
    "タイトル画面で Ctrl キーを押してゲームを始め、ことわざを入力して Enter で答えると、"
    "答えるごとにここに記録されます。\n"
    "かな/分と打鍵の正確さのゲームごとのグラフ、ステージごとの速さ、自己ベスト、"
    "よく間違えることわざが表示されます。";

QString FromUtf16(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// 1, 2 or 5 times a power of ten: the tick step that gives at most about `ticks` ticks.
double NiceStep(double span, int ticks) {
  const double raw = std::max(span / ticks, 1.0);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * power >= raw) return m * power;
  }
  return 10 * power;
}

QChartView* View(QChart* chart, const QString& name) {
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  auto* view = new QChartView(chart);
  view->setObjectName(name);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(200);
  return view;
}

// One chart: a line per answer mode over the games. `percent` charts a share 0..100, with
// room above 100 so that a perfect game is seen; otherwise the scale fits the values. The
// game axis has whole-number ticks, and half a game of room at each end.
QChartView* ModeChart(const QString& title, const history::THistorySummary& summary,
                      std::vector<history::TChartPoint> history::TModeSummary::*points,
                      bool percent, const QString& name) {
  auto* chart = new QChart;
  chart->setTitle(title);
  auto* xAxis = new QValueAxis;
  xAxis->setTitleText(QStringLiteral("ゲーム"));
  xAxis->setLabelFormat(QStringLiteral("%.0f"));
  auto* yAxis = new QValueAxis;
  yAxis->setLabelFormat(QStringLiteral("%.0f"));
  chart->addAxis(xAxis, Qt::AlignBottom);
  chart->addAxis(yAxis, Qt::AlignLeft);
  double lastGame = 1;
  double highest = 0;
  for (std::size_t mode = 0; mode < summary.Modes.size(); ++mode) {
    const auto& values = summary.Modes[mode].*points;
    if (values.empty()) continue;
    QList<QPointF> line;
    line.reserve(static_cast<qsizetype>(values.size()));
    for (const history::TChartPoint& p : values) {
      line.append(QPointF(p.Game, p.Value));
      lastGame = std::max(lastGame, p.Game);
      highest = std::max(highest, p.Value);
    }
    auto* series = new QLineSeries;
    series->setName(QString::fromUtf8(kModeNames[mode]));
    series->replace(line);
    series->setPointsVisible(line.size() < 40);
    chart->addSeries(series);
    series->attachAxis(xAxis);
    series->attachAxis(yAxis);
  }
  const double games = std::round(lastGame);
  xAxis->setRange(0.5, games + 0.5);
  xAxis->setTickType(QValueAxis::TicksDynamic);
  xAxis->setTickAnchor(0);
  xAxis->setTickInterval(NiceStep(games, 8));
  yAxis->setTickType(QValueAxis::TicksDynamic);
  yAxis->setTickAnchor(0);
  if (percent) {
    yAxis->setRange(0, 105);
    yAxis->setTickInterval(20);
  } else {
    const double step = NiceStep(std::max(highest, 10.0), 5);
    yAxis->setRange(0, std::ceil(highest * 1.05 / step) * step + (highest > 0 ? 0 : step));
    yAxis->setTickInterval(step);
  }
  return View(chart, name);
}

// Each answer mode's speed in each stage, as bars.
QChartView* StageChart(const history::THistorySummary& summary) {
  auto* chart = new QChart;
  chart->setTitle(QStringLiteral("ステージごとの速さ (かな/分、最近 %1 ゲーム)")
                      .arg(history::kStageSpeedGames));
  auto* series = new QBarSeries;
  double highest = 0;
  for (std::size_t mode = 0; mode < summary.Modes.size(); ++mode) {
    auto* set = new QBarSet(QString::fromUtf8(kModeNames[mode]));
    bool any = false;
    for (int stage = 1; stage <= 3; ++stage) {
      double speed = 0;
      for (const history::TStageSpeed& s : summary.Stages) {
        if (static_cast<std::size_t>(s.Mode) == mode && s.Stage == stage) speed = s.KanaPerMinute;
      }
      any = any || speed > 0;
      highest = std::max(highest, speed);
      set->append(speed);
    }
    if (any) {
      series->append(set);
    } else {
      delete set;
    }
  }
  chart->addSeries(series);
  auto* stages = new QBarCategoryAxis;
  stages->append(
      {QStringLiteral("ステージ1"), QStringLiteral("ステージ2"), QStringLiteral("ステージ3")});
  auto* yAxis = new QValueAxis;
  yAxis->setLabelFormat(QStringLiteral("%.0f"));
  const double step = NiceStep(std::max(highest, 10.0), 5);
  yAxis->setRange(0, std::ceil(highest * 1.05 / step) * step + (highest > 0 ? 0 : step));
  yAxis->setTickType(QValueAxis::TicksDynamic);
  yAxis->setTickAnchor(0);
  yAxis->setTickInterval(step);
  chart->addAxis(stages, Qt::AlignBottom);
  chart->addAxis(yAxis, Qt::AlignLeft);
  series->attachAxis(stages);
  series->attachAxis(yAxis);
  return View(chart, QStringLiteral("StageChart"));
}

QTableWidget* Table(const QStringList& headers, int rows) {
  auto* table = new QTableWidget(rows, static_cast<int>(headers.size()));
  table->setHorizontalHeaderLabels(headers);
  table->verticalHeader()->setVisible(false);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void Set(QTableWidget* table, int row, int column, const QString& text) {
  table->setItem(row, column, new QTableWidgetItem(text));
}

// The window's size: `wanted`, within the screen's free area.
QSize Fitted(QSize wanted) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    wanted = wanted.boundedTo(screen->availableSize() * 0.95);
  }
  return wanted;
}

}  // namespace

THistoryWindow::THistoryWindow(const std::filesystem::path& file, QWidget* parent)
    : QDialog(parent) {
  setObjectName("SeisekiForm");
  setWindowTitle(QStringLiteral("成績"));
  setSizeGripEnabled(true);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    BuildMessage(QString::fromUtf8(kEmpty));
    return;
  }
  const history::TOpenedHistory opened =
      history::THistoryStore::Open(file, history::TAccess::ReadOnly);
  if (!opened.Store) {
    BuildMessage(QString::fromUtf8(opened.Message.c_str()));
    return;
  }
  const history::THistorySummary summary = history::Summarise(*opened.Store);
  if (!summary.Error.empty()) {
    BuildMessage(
        QStringLiteral("成績の記録「%1」を読めません（%2）。")
            .arg(QString::fromStdString(file.string()), QString::fromStdString(summary.Error)));
  } else if (summary.Modes[0].Games + summary.Modes[1].Games == 0) {
    QString message = QString::fromUtf8(kEmpty);
    if (summary.Reviews > 0) {
      message += QStringLiteral(
                     "\n\n（復習 %1 回の記録があります。復習は成績のグラフと自己ベストに"
                     "数えません。）")
                     .arg(summary.Reviews);
    }
    BuildMessage(message);
  } else {
    Build(summary);
  }
}

void THistoryWindow::BuildMessage(const QString& message) {
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(message);
  label->setObjectName("SeisekiMessage");
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignCenter);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() * 1.2);
  label->setFont(font);
  label->setMargin(24);
  layout->addWidget(label);
  resize(Fitted(QSize(560, 320)));
}

void THistoryWindow::Build(const history::THistorySummary& summary) {
  auto* layout = new QGridLayout(this);
  layout->addWidget(
      ModeChart(QStringLiteral("かな/分"), summary, &history::TModeSummary::KanaPerMinute, false,
                QStringLiteral("SpeedChart")),
      0, 0);
  layout->addWidget(
      ModeChart(QStringLiteral("打鍵の正確さ (%)"), summary, &history::TModeSummary::KeyAccuracy,
                true, QStringLiteral("AccuracyChart")),
      0, 1);
  layout->addWidget(StageChart(summary), 1, 0);

  // The proverbs missed most often.
  auto* missedBox = new QVBoxLayout;
  missedBox->addWidget(new QLabel(QStringLiteral("よく間違えることわざ")));
  QTableWidget* missed =
      Table({QStringLiteral("回数"), QStringLiteral("ことわざ"), QStringLiteral("読み")},
            static_cast<int>(summary.MostMissed.size()));
  missed->setObjectName("MostMissed");
  for (int i = 0; i < static_cast<int>(summary.MostMissed.size()); ++i) {
    const history::TMissedProverb& p = summary.MostMissed[static_cast<std::size_t>(i)];
    Set(missed, i, 0, QString::number(p.Misses));
    Set(missed, i, 1, FromUtf16(p.Spelling));
    Set(missed, i, 2, FromUtf16(p.Reading));
  }
  missed->resizeColumnsToContents();
  missedBox->addWidget(missed, 1);
  layout->addLayout(missedBox, 1, 1);

  // The personal bests, a row per answer mode; the reviews counted apart.
  QTableWidget* bests =
      Table({QStringLiteral("自己ベスト"), QStringLiteral("ゲーム数"), QStringLiteral("かな/分"),
             QStringLiteral("打/秒"), QStringLiteral("打鍵の正確さ"), QStringLiteral("安定度")},
            2);
  bests->setObjectName("Bests");
  for (int mode = 0; mode < 2; ++mode) {
    const history::TModeSummary& m = summary.Modes[static_cast<std::size_t>(mode)];
    const bool any = m.BestKanaPerMinute > 0;
    const QString none = QStringLiteral("—");
    Set(bests, mode, 0, QString::fromUtf8(kModeNames[mode]));
    Set(bests, mode, 1, QString::number(m.Games));
    Set(bests, mode, 2, any ? QString::number(m.BestKanaPerMinute, 'f', 1) : none);
    Set(bests, mode, 3, any ? QString::number(m.BestKeysPerSecond, 'f', 2) : none);
    Set(bests, mode, 4, any ? QString::number(100 * m.BestKeyAccuracy, 'f', 1) + "%" : none);
    Set(bests, mode, 5, any ? QString::number(m.BestConsistency, 'f', 1) : none);
  }
  bests->resizeColumnsToContents();
  bests->setFixedHeight(bests->horizontalHeader()->height() + 2 * bests->rowHeight(0) + 4);
  layout->addWidget(bests, 2, 0, 1, 2);
  auto* note = new QLabel(
      QStringLiteral("自己ベストは正解 %1 問以上のゲームから。復習（%2 回）はグラフと自己ベストに"
                     "数えません。")
          .arg(history::kMinCorrectForBest)
          .arg(summary.Reviews));
  note->setObjectName("SeisekiNote");
  layout->addWidget(note, 3, 0, 1, 2);
  layout->setRowStretch(0, 3);
  layout->setRowStretch(1, 2);
  layout->setColumnStretch(0, 1);
  layout->setColumnStretch(1, 1);
  resize(Fitted(QSize(1000, 760)));
}

}  // namespace app
