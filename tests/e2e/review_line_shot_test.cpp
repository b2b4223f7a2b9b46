// The title's review line in the player-bot's pictures: the same fixed-step game (seed 7) with
// six proverbs due and with none differs, on the title, exactly in the strokes of
// 「今日の復習: 6問（ゲーム→復習）」 as nightwisp-tool text writes it in the window's face at the
// line's 14 points, bold italic.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "history/history_store.h"
#include "history/memory_store.h"
#include "platform/clock/clock.h"
#include "support/bot_shots.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kLine = "今日の復習: 6問（ゲーム→復習）";
// 14 points at the writer's 96 pixels an inch, as a GDI character height.
constexpr int kLineHeight = -19;

// The alpha of each pixel of the tool's 32-bit BMP, top row first.
struct TAlphaMask {
  int Width = 0, Height = 0;
  std::vector<std::uint8_t> Alpha;
  std::uint8_t At(int x, int y) const { return Alpha[static_cast<std::size_t>(y) * Width + x]; }
};

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(b[at + i]);
  return v;
}

TAlphaMask ReadAlpha(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TAlphaMask mask;
  if (b.size() < 54 || b.compare(0, 2, "BM") != 0 || Le(b, 28, 2) != 32) return mask;
  const std::uint32_t offset = Le(b, 10, 4);
  mask.Width = static_cast<int>(Le(b, 18, 4));
  const auto height = static_cast<std::int32_t>(Le(b, 22, 4));
  mask.Height = std::abs(height);
  if (b.size() < offset + 4ull * mask.Width * mask.Height) return {};
  mask.Alpha.resize(static_cast<std::size_t>(mask.Width) * mask.Height);
  for (int y = 0; y < mask.Height; ++y) {
    const int row =
        height > 0 ? mask.Height - 1 - y : y;  // bottom-up unless the height is negative
    for (int x = 0; x < mask.Width; ++x) {
      mask.Alpha[static_cast<std::size_t>(y) * mask.Width + x] = static_cast<std::uint8_t>(
          b[offset + (static_cast<std::size_t>(row) * mask.Width + x) * 4 + 3]);
    }
  }
  return mask;
}

class ReviewLineShotTest : public TBotShotTest {
 protected:
  // Plays the bot's game (every answer wrong, to the game over) with `due` proverbs due in the
  // history; the picture of its title prompt.
  QImage TitlePrompt(const std::string& name, int due) {
    fs::create_directories(User(name));
    if (due > 0) {
      history::TOpenedHistory opened =
          history::THistoryStore::Open(User(name) / history::kHistoryFileName);
      EXPECT_TRUE(opened.Store) << opened.Message;
      if (!opened.Store) return {};
      const std::int64_t monthAgo = WallClockMs() - 30LL * 86'400'000;
      for (std::int32_t proverb = 1; proverb <= due; ++proverb) {
        EXPECT_TRUE(
            history::RecordReview(*opened.Store, {proverb, {}, {}}, TFsrsRating::Again, monthAgo));
      }
    }
    const fs::path shots = PlayBot(name);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(shots, error)) {
      if (entry.path().filename().string().find("title-prompt") != std::string::npos) {
        return QImage(QString::fromStdString(entry.path().string()));
      }
    }
    return {};
  }
};

TEST_F(ReviewLineShotTest, TheTitleDrawsTheReviewLineAsTheToolWritesIt) {
  const QImage with = TitlePrompt("due", 6);
  const QImage without = TitlePrompt("none", 0);
  ASSERT_FALSE(with.isNull()) << "no picture of the title prompt with proverbs due";
  ASSERT_FALSE(without.isNull()) << "no picture of the title prompt without";
  ASSERT_EQ(with.size(), without.size());

  const fs::path reference = Root / "line.bmp";
  const std::string tool = std::string("'") + NIGHTWISP_TOOL_PATH + "' text '" + kLine +
                           "' --height " + std::to_string(kLineHeight) + " --bold --italic -o '" +
                           reference.string() + "' >/dev/null";
  ASSERT_EQ(std::system(tool.c_str()), 0) << tool;
  const TAlphaMask text = ReadAlpha(reference);
  ASSERT_GT(text.Width, 0) << "the tool's picture cannot be read";

  // What the due proverbs changed on the screen: the line's strokes, and nothing else.
  int left = with.width(), top = with.height(), right = -1, bottom = -1, changes = 0;
  for (int y = 0; y < with.height(); ++y) {
    for (int x = 0; x < with.width(); ++x) {
      if (with.pixel(x, y) == without.pixel(x, y)) continue;
      ++changes;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  ASSERT_GE(right, 0) << "the review line is not on the screen";
  EXPECT_LE(right - left + 1, text.Width + 2) << "wider than the text";

  // The tool's strokes laid over the changed pixels: at the best place near the changed
  // area's corner, nearly every solid stroke pixel changed and nearly every change is a stroke.
  auto changed = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < with.width() && y < with.height() &&
           with.pixel(x, y) != without.pixel(x, y);
  };
  double best = 0;
  for (int dy = -4; dy <= 4; ++dy) {
    for (int dx = -4; dx <= 4; ++dx) {
      int solid = 0, solidChanged = 0, changesOnInk = 0;
      for (int y = 0; y < text.Height; ++y) {
        for (int x = 0; x < text.Width; ++x) {
          const bool c = changed(left + dx + x, top + dy + y);
          if (text.At(x, y) >= 128) solid += 1, solidChanged += c;
          if (c && text.At(x, y) > 0) ++changesOnInk;
        }
      }
      if (solid == 0) continue;
      best = std::max(best, std::min(static_cast<double>(solidChanged) / solid,
                                     static_cast<double>(changesOnInk) / changes));
    }
  }
  EXPECT_GT(best, 0.9) << "the drawn line is not the tool's 「" << kLine << "」";
}

}  // namespace
