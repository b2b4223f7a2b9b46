// The meaning beneath a revealed answer, in the pictures of the player-bot's fixed-step game:
// the same game (seed 7, every answer wrong) played with 意味を表示 on and off differs only in
// the band between the result picture and the answer field, where the meaning's text is drawn;
// the answer field, the key guide below it and everything above the band stay as they were.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/bot_shots.h"

namespace {

namespace fs = std::filesystem;

class MeaningShotTest : public TBotShotTest {
 protected:
  // Plays the bot's game with the meaning shown or not; the folder of its pictures.
  fs::path Play(const std::string& name, bool showImi) {
    return PlayBot(name, showImi ? "" : "[ImiHyoji]\r\nValue=0\r\n");
  }
};

// The first row of the answer field's green, down the given column.
int FieldTop(const QImage& image, int x) {
  for (int y = image.height() / 2; y < image.height(); ++y) {
    if (image.pixelColor(x, y) == QColor(0, 128, 0)) return y;
  }
  return -1;
}

TEST_F(MeaningShotTest, TheMeaningIsDrawnBetweenTheAnswerAndTheField) {
  const QImage on(QString::fromStdString((Play("on", true) / "004-result.png").string()));
  const QImage off(QString::fromStdString((Play("off", false) / "004-result.png").string()));
  ASSERT_FALSE(on.isNull()) << "no picture of the first result with the meaning";
  ASSERT_FALSE(off.isNull()) << "no picture of the first result without it";
  ASSERT_EQ(on.size(), off.size());

  const int fieldTop = FieldTop(off, on.width() - 30);
  ASSERT_GT(fieldTop, 0) << "no answer field in the picture";
  EXPECT_EQ(FieldTop(on, on.width() - 30), fieldTop);

  int firstRow = on.height(), lastRow = -1, brightInBand = 0;
  for (int y = 0; y < on.height(); ++y) {
    for (int x = 0; x < on.width(); ++x) {
      if (on.pixel(x, y) == off.pixel(x, y)) continue;
      firstRow = std::min(firstRow, y);
      lastRow = std::max(lastRow, y);
      // The meaning's strokes, in the rows just above the field.
      if (y >= fieldTop - 40 && qGray(on.pixel(x, y)) > 200) ++brightInBand;
    }
  }
  ASSERT_GE(lastRow, 0) << "the meaning changed nothing on the screen";
  // The field and the key guide below it are untouched; so is the screen above the band.
  EXPECT_LT(lastRow, fieldTop);
  EXPECT_GT(firstRow, fieldTop - 170);
  // A sentence's worth of light strokes.
  EXPECT_GT(brightInBand, 300);
}

}  // namespace
