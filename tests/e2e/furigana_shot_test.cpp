// The furigana over a revealed answer, in the pictures of the player-bot's fixed-step game: the
// same game (seed 7, every answer wrong) played with ふりがな on and off. With it on, white
// strokes stand in a band right above the written form, over the cells of its kanji runs and
// nowhere over its kana; with it off the band holds none. Which proverb was revealed comes from
// the game's history; where its characters stand, from the answer field's left edge (the written
// form starts there) and the character font's full-width cells.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "rules/catalogue.h"
#include "rules/furigana.h"
#include "support/bot_shots.h"

namespace {

namespace fs = std::filesystem;

// The character font's em in pixels at the window's size 1: one cell of a kanji or a kana.
constexpr int kCell = 32;

class FuriganaShotE2eTest : public TBotShotTest {
 protected:
  // Plays the bot's game with the furigana shown or not; the folder of its pictures.
  fs::path Play(const std::string& name, bool furigana) {
    return PlayBot(name, furigana ? "" : "[Furigana]\r\nValue=0\r\n");
  }
  // The proverb of the game's first question, from its history.
  int FirstProverb(const std::string& name) const {
    sqlite3* db = nullptr;
    int proverb = 0;
    if (sqlite3_open_v2((User(name) / "history.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
      sqlite3_stmt* statement = nullptr;
      if (sqlite3_prepare_v2(db, "SELECT proverb FROM questions ORDER BY id LIMIT 1", -1,
                             &statement, nullptr) == SQLITE_OK &&
          sqlite3_step(statement) == SQLITE_ROW) {
        proverb = sqlite3_column_int(statement, 0);
      }
      sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return proverb;
  }
};

bool Green(QRgb p) { return qGreen(p) > 185 && qRed(p) < 120 && qBlue(p) < 120; }
bool White(QRgb p) { return qRed(p) > 185 && qGreen(p) > 185 && qBlue(p) > 185; }

TEST_F(FuriganaShotE2eTest, TheReadingStandsOverTheKanjiOfTheRevealedAnswer) {
  const QImage on(QString::fromStdString((Play("on", true) / "004-result.png").string()));
  const QImage off(QString::fromStdString((Play("off", false) / "004-result.png").string()));
  ASSERT_FALSE(on.isNull()) << "no picture of the first result with the furigana";
  ASSERT_FALSE(off.isNull()) << "no picture of the first result without them";
  ASSERT_EQ(on.size(), off.size());
  const int proverb = FirstProverb("on");
  ASSERT_GT(proverb, 0) << "no first question in the history";
  ASSERT_EQ(FirstProverb("off"), proverb) << "the two games differ";
  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  const game::TRubyText ruby = game::Furigana(catalogue, proverb);
  ASSERT_FALSE(ruby.empty()) << "seed 7's first proverb has no kanji; pick another seed";

  // The answer field: its first green row and its left edge.
  int fieldTop = -1, fieldLeft = -1;
  for (int y = on.height() / 2; y < on.height() && fieldTop < 0; ++y) {
    if (on.pixelColor(on.width() - 30, y) == QColor(0, 128, 0)) fieldTop = y;
  }
  ASSERT_GT(fieldTop, 0) << "no answer field in the picture";
  for (int x = 0; x < on.width() && fieldLeft < 0; ++x) {
    if (on.pixelColor(x, fieldTop + 4) == QColor(0, 128, 0)) fieldLeft = x;
  }
  ASSERT_GE(fieldLeft, 0);

  // The written form's strokes: the lowest rows of green text above the field, the same in both.
  int spellingTop = -1, spellingBottom = -1;
  for (int y = fieldTop - 1; y > fieldTop - 200 && y > 0; --y) {
    bool green = false;
    for (int x = fieldLeft; x < fieldLeft + 600 && x < on.width(); ++x)
      green |= Green(on.pixel(x, y));
    if (green && spellingBottom < 0) spellingBottom = y;
    if (green) spellingTop = y;
    if (!green && spellingBottom >= 0 && y < spellingTop - 6) break;
  }
  ASSERT_GT(spellingBottom, 0) << "no written form above the field";
  const int height = spellingBottom - spellingTop;

  // The band above it: white strokes over the kanji runs' cells only.
  const int bandTop = spellingTop - height;
  int column = fieldLeft, runsWithKanji = 0;
  for (const game::TRubyRun& run : ruby) {
    const int left = column, right = column + kCell * static_cast<int>(run.Base.size());
    column = right;
    int strokes = 0;
    // A margin of a few pixels on each side of a kana run: the field's frame and glyph bearings.
    for (int y = bandTop; y < spellingTop - 1; ++y) {
      for (int x = run.Ruby.empty() ? left + 3 : left; x < (run.Ruby.empty() ? right - 3 : right);
           ++x) {
        strokes += White(on.pixel(x, y)) ? 1 : 0;
        EXPECT_FALSE(White(off.pixel(x, y))) << "furigana switched off, yet at " << x << "," << y;
      }
    }
    if (run.Ruby.empty()) {
      EXPECT_EQ(strokes, 0) << "furigana over the kana of columns " << left << "-" << right;
    } else {
      ++runsWithKanji;
      EXPECT_GT(strokes, 5 * static_cast<int>(run.Ruby.size()))
          << "too little over the kanji of columns " << left << "-" << right;
    }
  }
  EXPECT_GE(runsWithKanji, 1);
  if (std::getenv("NIGHTWISP_KEEP_SHOTS") != nullptr) {
    std::printf("proverb %d; pictures in %s\n", proverb, Root.c_str());
  }
}

}  // namespace
