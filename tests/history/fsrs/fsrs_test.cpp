// FSRS-6 against an independent implementation: every review of fsrs_reviews.tsv (made by
// make_table.mjs) gives the same stability and difficulty to 1e-4 and the same interval in days.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "history/fsrs.h"

namespace {

struct TableRow {
  int Card = 0, Step = 0;
  std::string Elapsed;
  int Rating = 0;
  double Stability = 0, Difficulty = 0;
  int Interval = 0;
};

std::vector<TableRow> ReadTable() {
  std::ifstream file(NIGHTWISP_FSRS_TABLE);
  std::vector<TableRow> rows;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    TableRow row;
    fields >> row.Card >> row.Step >> row.Elapsed >> row.Rating >> row.Stability >>
        row.Difficulty >> row.Interval;
    if (fields.fail()) ADD_FAILURE() << "unreadable row: " << line;
    rows.push_back(row);
  }
  return rows;
}

TEST(FsrsTest, ReplaysTheIndependentTable) {
  const std::vector<TableRow> rows = ReadTable();
  ASSERT_GE(rows.size(), 400u) << NIGHTWISP_FSRS_TABLE;
  const TFsrs fsrs;
  std::map<int, TFsrsMemory> cards;
  int sameDay = 0, lapses = 0;
  for (const TableRow& row : rows) {
    const bool first = row.Elapsed == "-";
    ASSERT_EQ(first, cards.count(row.Card) == 0) << "card " << row.Card;
    const int elapsed = first ? 0 : std::stoi(row.Elapsed);
    const std::optional<TFsrsMemory> before =
        first ? std::nullopt : std::optional<TFsrsMemory>(cards[row.Card]);
    const TFsrsReview review = fsrs.Review(before, elapsed, static_cast<TFsrsRating>(row.Rating));
    EXPECT_NEAR(review.Memory.Stability, row.Stability, 1e-4)
        << "card " << row.Card << " step " << row.Step;
    EXPECT_NEAR(review.Memory.Difficulty, row.Difficulty, 1e-4)
        << "card " << row.Card << " step " << row.Step;
    EXPECT_EQ(review.IntervalDays, row.Interval) << "card " << row.Card << " step " << row.Step;
    // Carry the table's state on, so one slip does not spoil the rest of the card.
    cards[row.Card] = {row.Stability, row.Difficulty};
    sameDay += !first && elapsed == 0;
    lapses += !first && elapsed > 0 && row.Rating == 1;
  }
  // The table exercises the same-day rule and lapses, not only growth.
  EXPECT_GE(sameDay, 20);
  EXPECT_GE(lapses, 20);
}

TEST(FsrsTest, RetrievabilityIsNinetyPercentAfterOneStability) {
  const TFsrs fsrs;
  for (double stability : {0.5, 3.0, 120.0}) {
    EXPECT_NEAR(fsrs.Retrievability(0, stability), 1.0, 1e-12);
    EXPECT_NEAR(fsrs.Retrievability(stability, stability), 0.9, 1e-9);
    EXPECT_LT(fsrs.Retrievability(2 * stability, stability), 0.9);
  }
}

TEST(FsrsTest, AClockSetBackCountsAsTheSameDay) {
  const TFsrs fsrs;
  const TFsrsMemory memory{10, 5};
  const TFsrsReview back = fsrs.Review(memory, -3, TFsrsRating::Good);
  const TFsrsReview same = fsrs.Review(memory, 0, TFsrsRating::Good);
  EXPECT_DOUBLE_EQ(back.Memory.Stability, same.Memory.Stability);
  EXPECT_EQ(back.IntervalDays, same.IntervalDays);
  EXPECT_TRUE(std::isfinite(back.Memory.Stability));
}

}  // namespace
