#include "app/history_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace app {
namespace {

const char* const kModeNames[] = {"漢字混じり", "ひらがな"};

QString FromUtf16(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// One chart: a line per answer mode over the games.
QChartView* ModeChart(const QString& title, const history::THistorySummary& summary,
                      std::vector<history::TChartPoint> history::TModeSummary::*points,
                      double top) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->legend()->setAlignment(Qt::AlignRight);
  auto* xAxis = new QValueAxis;
  xAxis->setTitleText(QStringLiteral("ゲーム"));
  xAxis->setLabelFormat(QStringLiteral("%d"));
  auto* yAxis = new QValueAxis;
  chart->addAxis(xAxis, Qt::AlignBottom);
  chart->addAxis(yAxis, Qt::AlignLeft);
  double lastGame = 1;
  double highest = top;
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
  xAxis->setRange(1, std::max(lastGame, 2.0));
  xAxis->applyNiceNumbers();
  yAxis->setRange(0, highest > 0 ? highest : 1);
  yAxis->applyNiceNumbers();
  yAxis->setLabelFormat(QStringLiteral("%.0f"));
  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(180);
  view->setMaximumHeight(220);
  return view;
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

}  // namespace

THistoryWindow::THistoryWindow(const std::filesystem::path& file, QWidget* parent)
    : QDialog(parent) {
  setObjectName("SeisekiForm");
  setWindowTitle(QStringLiteral("成績"));
  resize(760, 760);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    BuildMessage(
        QStringLiteral("まだ成績の記録がありません。ゲームを遊ぶと、解答ごとに記録されます。"));
    return;
  }
  const history::TOpenedHistory opened =
      history::THistoryStore::Open(file, history::TAccess::ReadOnly);
  if (!opened.Store) {
    BuildMessage(QString::fromUtf8(opened.Message.c_str()));
    return;
  }
  Build(history::Summarise(*opened.Store));
}

void THistoryWindow::BuildMessage(const QString& message) {
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(message);
  label->setObjectName("SeisekiMessage");
  label->setWordWrap(true);
  layout->addWidget(label);
}

void THistoryWindow::Build(const history::THistorySummary& summary) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      ModeChart(QStringLiteral("かな/分"), summary, &history::TModeSummary::KanaPerMinute, 0));
  layout->addWidget(ModeChart(QStringLiteral("打鍵の正確さ (%)"), summary,
                              &history::TModeSummary::KeyAccuracy, 100));

  // The personal bests, a row per answer mode.
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
  bests->setFixedHeight(bests->horizontalHeader()->height() + 2 * bests->rowHeight(0) + 4);
  layout->addWidget(bests);

  // The proverbs missed most often.
  auto* title = new QLabel(QStringLiteral("よく間違えることわざ"));
  layout->addWidget(title);
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
  missed->resizeColumnToContents(0);
  missed->setColumnWidth(1, 300);
  layout->addWidget(missed, 1);
}

}  // namespace app
