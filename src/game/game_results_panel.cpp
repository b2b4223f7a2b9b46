// The results panel of a game over and a game clear: the game's measures in the free column
// left of the banner, and the best of the mode and kind (game or review) with a small chart of
// each question's speed (its misses marked in red) in the column right of it. The columns stand
// below the status labels over them. The banner, the messages, the last answer
// and the key guide keep their places. The panel is rendered into its textures once when the
// game ends and drawn as four sprites each frame.
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "game/game.h"
#include "game/game_owned.h"
#include "game/label_table.h"

namespace game {
namespace {

// The two columns beside the 480-pixel banner, kColumnGap below the counters and the clock.
constexpr std::int32_t kColumnW = 100;
constexpr std::int32_t kColumnH = 148;
constexpr std::int32_t kColumnGap = 30;
constexpr std::int32_t kLeftX = 2;
constexpr std::int32_t kRightGap = 2;  // from the client area's right edge
constexpr int kPanelPoints = 10;
constexpr std::int32_t kLineH = 20;

constexpr std::uint32_t kBoxColour = 0xA0000018;
constexpr std::uint32_t kBorderColour = 0x80FFFFFF;
constexpr std::uint32_t kBarColour = 0xFF90F090;
constexpr std::uint32_t kMissColour = 0xFFFF4848;
constexpr std::uint32_t kEnglishColour = 0xFF90B0F0;  // a correct English answer: no kana
constexpr std::int32_t kMarkH = 10;                   // a miss's or an English answer's mark
constexpr std::uint32_t kTextColour = 0xEEFFFFFF;

// The chart's place inside the right column.
constexpr std::int32_t kChartTop = 2 * kLineH + 10;
constexpr std::int32_t kChartH = kColumnH - kChartTop - 6;
constexpr std::int32_t kChartW = kColumnW - 10;

enum TPanelTexture { LeftBox, LeftText, RightBox, RightText };

RECT Rect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  return RECT{x, y, x + w, y + h};
}

std::string Format(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void Clear(TDGTexture& texture, std::uint32_t colour) {
  texture.SetSize(kColumnW, kColumnH);
  texture.FillRect(Rect(0, 0, static_cast<std::int32_t>(texture.TextureWidth()),
                        static_cast<std::int32_t>(texture.TextureHeight())),
                   colour, false);
}

void DrawBox(TDGTexture& texture) {
  Clear(texture, 0x00000000);
  texture.FillRect(Rect(0, 0, kColumnW, kColumnH), kBorderColour, false);
  texture.FillRect(Rect(1, 1, kColumnW - 2, kColumnH - 2), kBoxColour, false);
}

void DrawLines(TDGTexture& texture, TSXTextWriter& writer, const std::vector<std::string>& lines) {
  Clear(texture, 0x00FFFFFF);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].empty())
      writer.DrawText(6, 4 + static_cast<std::int32_t>(i) * kLineH, lines[i], texture);
  }
}

bool Correct(const history::TQuestionRecord& q) {
  return q.Result == history::TQuestionResult::Correct;
}

// Each correct answer in kana a bar as high as its speed against the game's fastest correct
// answer; a miss a red mark of fixed height, whatever its time; a skip nothing.
void DrawChart(TDGTexture& texture, const std::vector<history::TQuestionRecord>& all) {
  const std::int32_t x0 = (kColumnW - kChartW) / 2;
  texture.FillRect(Rect(x0, kChartTop + kChartH, kChartW, 1), kBorderColour, false);
  std::vector<history::TQuestionRecord> questions;
  std::copy_if(all.begin(), all.end(), std::back_inserter(questions),
               [](const auto& q) { return q.Result != history::TQuestionResult::Skipped; });
  if (questions.empty()) return;
  double fastest = 0;
  for (const auto& q : questions) {
    if (Correct(q)) fastest = std::max(fastest, history::KanaPerMinute(q));
  }
  const auto count = static_cast<std::int32_t>(questions.size());
  const std::int32_t step = std::clamp(kChartW / count, 1, 8);
  const std::int32_t barW = std::max(step - 1, 1);
  for (std::int32_t i = 0; i < count && (i + 1) * step <= kChartW; ++i) {
    const history::TQuestionRecord& q = questions[static_cast<std::size_t>(i)];
    const std::int32_t x = x0 + i * step;
    if (!Correct(q) || q.Kana == 0) {
      texture.FillRect(Rect(x, kChartTop + kChartH - kMarkH, barW, kMarkH),
                       Correct(q) ? kEnglishColour : kMissColour, false);
      continue;
    }
    const double share = fastest > 0 ? history::KanaPerMinute(q) / fastest : 0;
    const auto h = std::max(static_cast<std::int32_t>(share * (kChartH - 2)), 1);
    texture.FillRect(Rect(x, kChartTop + kChartH - h, barW, h), kBarColour, false);
  }
}

}  // namespace

void TGame::RefreshResultsPanel() {
  TOwned& o = *Owned;
  const TGameResults& r = S.Results;
  if (!r.Shown || r.Version == ResultsPanelVersion || o.LabelWriter == nullptr ||
      !o.ResultsTextures[0]) {
    return;
  }
  ResultsPanelVersion = r.Version;
  TSXTextWriter& writer = *o.LabelWriter;
  writer.Font().SetSize(kPanelPoints);
  const history::TGameMeasures& m = r.Measures;
  const bool kana = r.Mode == history::TAnswerMode::Kana;
  const bool review = r.Kind == history::TGameKind::Review;
  DrawBox(*o.ResultsTextures[LeftBox]);
  DrawLines(
      *o.ResultsTextures[LeftText], writer,
      {Sjis(review ? (kana ? "かなの復習" : "漢字の復習") : (kana ? "かなの成績" : "漢字の成績")),
       Format("%.0f ", m.KanaPerMinute) + Sjis("かな/分"),
       Format("%.1f ", m.KeysPerSecond) + Sjis("打/秒"),
       Format("%.0f%% ", 100 * m.KeyAccuracy) + Sjis("打鍵"),
       Format("%.0f%% ", 100 * m.AnswerAccuracy) + Sjis("正答"),
       Format("%.0f ", m.Consistency) + Sjis("安定度")});
  DrawBox(*o.ResultsTextures[RightBox]);
  DrawChart(*o.ResultsTextures[RightBox], S.GameQuestions);
  DrawLines(*o.ResultsTextures[RightText], writer,
            {Sjis(review ? "復習最高 " : "最高 ") +
                 (r.Best ? Format("%.0f", *r.Best) : std::string("---")),
             r.Beaten ? Sjis("記録更新!") : std::string()});
}

void TGame::DrawResultsPanel() {
  const TOwned& o = *Owned;
  if (!S.Results.Shown || ResultsPanelVersion != S.Results.Version || !o.ResultsTextures[0]) {
    return;
  }
  const std::int32_t rightX = S.ScreenWidth - kColumnW - kRightGap;
  const TLabelFrame frame = LabelFrame();
  const std::int32_t top = std::max(StatusLabelsBottom(frame, kLeftX, kColumnW),
                                    StatusLabelsBottom(frame, rightX, kColumnW)) +
                           kColumnGap;
  DrawTexture(o.ResultsTextures[LeftBox].get(), kLeftX, top, 0xFFFFFFFF);
  DrawTexture(o.ResultsTextures[LeftText].get(), kLeftX, top, kTextColour);
  DrawTexture(o.ResultsTextures[RightBox].get(), rightX, top, 0xFFFFFFFF);
  DrawTexture(o.ResultsTextures[RightText].get(), rightX, top, kTextColour);
}

}  // namespace game
