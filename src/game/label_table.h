// The text displays of the screen: one row per label, in the order the frame draws them. A row
// says which writer renders the label's text, whether it sits on a panel, when and where it is
// drawn and in which colour; the rules mark its text (S.Marks.SetLabel) in the function named
// beside it. The textures are TOwned::Labels, indexed by TLabel.
//
// To add a label: its name in TLabel (screen_marks.h) and its row here, at the place in the
// drawing order it belongs (Layer, then the row's place among that layer's rows). The refresh
// renders it and the frame draws it with nothing more.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "rules/game_state.h"
#include "rules/game_window.h"

namespace game {

// Which writer renders the text (UTF-16 for every label, TScreenMarks::Text).
enum class TLabelWriter {
  Label,       // the window's face at 18 points, bold italic
  Moji,        // the character font the player chose (an additional question may hold 𠮟 or 𥝱)
  MusicTitle,  // the window's face at 11 points; the path, shortened to the window's width
  Sentence,    // the window's face at 14 points, smaller (to 10) until it fits the answer field
               // (the title's review line: the room left of the logo)
  Ruby,        // the character font at half its height, each reading centred over its kanji run
               // of the Moji writer's line; the text in the notation of game/furigana.h
};

// Where among the frame's other pictures a label is drawn.
enum class TLabelLayer {
  Status,   // the counters, over the background and under the fireflies
  Result,   // between questions, over the result picture
  Message,  // the message lines, over everything of the game
  Footer,   // the music title, after the key guide
};

// What a row's place is worked out from: the frame's geometry and every label's size.
struct TLabelFrame {
  const TGameState& S;
  std::int32_t ScreenWidth;
  std::int32_t ClientHeight;
  TRect Answer;
  std::array<std::int32_t, kLabelCount> Widths, Heights;
  std::int32_t W(TLabel l) const { return Widths[static_cast<std::size_t>(l)]; }
  std::int32_t H(TLabel l) const { return Heights[static_cast<std::size_t>(l)]; }
};

struct TLabelPoint {
  std::int32_t X, Y;
};

struct TLabelRow {
  TLabel Label;
  TLabelWriter Writer;
  bool Panel;  // drawn on a panel of its own size (kPanelColour)
  TLabelLayer Layer;
  bool (*Shown)(const TGameState& s);
  std::uint32_t (*Colour)(const TGameState& s);
  TLabelPoint (*Place)(const TLabelFrame& f);
};

inline constexpr std::uint32_t kLabelColour = 0xBBFFFFFF;
inline constexpr std::uint32_t kPanelColour = 0xBB5A28C7;

// The maker's logo on the title (Data/logo.bmp), and the review line left of it: the line is
// set smaller until it ends kLogoGap short of the logo.
inline constexpr TLabelPoint kLogoPlace{380, 350};
inline constexpr TLabelPoint kFukushuPlace{20, 362};
inline constexpr std::int32_t kLogoGap = 10;
inline constexpr std::int32_t kFukushuRoom = kLogoPlace.X - kLogoGap - kFukushuPlace.X;

namespace labels {
constexpr bool Always(const TGameState&) { return true; }
// A revealed answer's meaning, when the option is on and the question has one.
inline bool ImiShown(const TGameState& s) {
  return s.Playing == 0 && (s.ShowSpelling == 1 || s.ShowReading == 1) && s.Settings.ImiHyoji &&
         !s.Imi(s.MondaiNo).empty();
}
// Between questions the meaning lies on the answer field, and the spelling and the reading
// stack above it; over and cleared games keep the message lines where the stack would reach.
inline bool ImiOnField(const TGameState& s) {
  return ImiShown(s) && s.GameOver == 0 && s.GameClear == 0;
}
// The furigana over a revealed written form that has kanji, when the option is on; never while
// a question is open.
inline bool FuriganaShown(const TGameState& s) {
  return s.Playing == 0 && s.ShowSpelling == 1 && s.Settings.Furigana && s.SpellingRuby == 1;
}
template <std::uint32_t colour>
constexpr std::uint32_t Fixed(const TGameState&) {
  return colour;
}
}  // namespace labels

inline constexpr std::array<TLabelRow, kLabelCount> kLabelRows{{
    // The three counters right-aligned on the consecutive-answers text (ShowSeikai,
    // ShowRenzoku, ShowFuseikai); the wrong answers blink from the second.
    {TLabel::Seikai, TLabelWriter::Label, false, TLabelLayer::Status, labels::Always,
     labels::Fixed<0xBBFFFF00>,
     [](const TLabelFrame& f) {
       return TLabelPoint{f.W(TLabel::Renzoku) + 5 - f.W(TLabel::Seikai), 5};
     }},
    {TLabel::Renzoku, TLabelWriter::Label, false, TLabelLayer::Status, labels::Always,
     labels::Fixed<0xBBE7FFBB>,
     [](const TLabelFrame& f) {
       return TLabelPoint{5, f.H(TLabel::Seikai) + 5};
     }},
    {TLabel::Fuseikai, TLabelWriter::Label, false, TLabelLayer::Status,
     [](const TGameState& s) { return s.BlinkOn == 0; }, labels::Fixed<0xBBFF0000>,
     [](const TLabelFrame& f) {
       return TLabelPoint{f.W(TLabel::Renzoku) + 5 - f.W(TLabel::Fuseikai),
                          2 * f.H(TLabel::Seikai) + 10};
     }},
    // The clock, top right (the main loop); the hints left under it from stage 2 (ShowHintsLeft),
    // red once the stage's hints are spent.
    {TLabel::Time, TLabelWriter::Label, false, TLabelLayer::Status, labels::Always,
     labels::Fixed<0xBBFFFFFF>,
     [](const TLabelFrame& f) {
       return TLabelPoint{f.ScreenWidth - f.W(TLabel::Time) - 5, 5};
     }},
    {TLabel::Hint, TLabelWriter::Label, false, TLabelLayer::Status,
     [](const TGameState& s) { return s.SeikaiCount >= kStageSize; },
     [](const TGameState& s) {
       return s.HintCount >= kMaxHintsPerStage ? 0xBBFF0000u : 0xBB6E82BEu;
     },
     [](const TLabelFrame& f) {
       return TLabelPoint{f.ScreenWidth - f.W(TLabel::Hint) - 5, f.H(TLabel::Time) + 5};
     }},
    // The score centred at the top (ShowTokuten), the best score from the same left edge
    // (ShowSaikoTokuten).
    {TLabel::Tokuten, TLabelWriter::Label, false, TLabelLayer::Status, labels::Always,
     labels::Fixed<0xBBC0FFC0>,
     [](const TLabelFrame& f) {
       return TLabelPoint{(f.ScreenWidth - f.W(TLabel::Tokuten)) / 2, 5};
     }},
    {TLabel::SaikoTokuten, TLabelWriter::Label, false, TLabelLayer::Status, labels::Always,
     labels::Fixed<kLabelColour>,
     [](const TLabelFrame& f) {
       return TLabelPoint{(f.ScreenWidth - f.W(TLabel::Tokuten)) / 2, f.H(TLabel::Tokuten) + 5};
     }},
    // Between questions, above the answer field: the written form on its panel
    // (RenderSpelling), the reading above it or alone (ShowReading).
    {TLabel::Spelling, TLabelWriter::Moji, true, TLabelLayer::Result,
     [](const TGameState& s) { return s.Playing == 0 && s.ShowSpelling == 1; },
     labels::Fixed<0xBB00FF00>,
     [](const TLabelFrame& f) {
       const std::int32_t below = labels::ImiOnField(f.S) ? f.H(TLabel::Imi) + 5 : 0;
       return TLabelPoint{f.Answer.Left, f.Answer.Top - below - f.H(TLabel::Spelling) - 5};
     }},
    {TLabel::Reading, TLabelWriter::Moji, false, TLabelLayer::Result,
     [](const TGameState& s) { return s.Playing == 0 && s.ShowReading == 1; },
     labels::Fixed<0xBBFF80FF>,
     [](const TLabelFrame& f) {
       const std::int32_t below = (f.S.ShowSpelling == 1 ? f.H(TLabel::Spelling) + 5 : 0) +
                                  (labels::FuriganaShown(f.S) ? f.H(TLabel::Furigana) : 0) +
                                  (labels::ImiOnField(f.S) ? f.H(TLabel::Imi) + 5 : 0);
       return TLabelPoint{f.Answer.Left, f.Answer.Top - below - f.H(TLabel::Reading) - 5};
     }},
    // The furigana right over the written form, on a panel that lengthens the form's upwards
    // (RenderSpelling).
    {TLabel::Furigana, TLabelWriter::Ruby, true, TLabelLayer::Result, labels::FuriganaShown,
     labels::Fixed<0xBBFFFFFF>,
     [](const TLabelFrame& f) {
       const std::int32_t below = labels::ImiOnField(f.S) ? f.H(TLabel::Imi) + 5 : 0;
       return TLabelPoint{f.Answer.Left,
                          f.Answer.Top - below - f.H(TLabel::Spelling) - 5 - f.H(TLabel::Furigana)};
     }},
    // The meaning of the revealed proverb on its panel (ShowReading): on the answer field, or,
    // over and cleared games, under the key guide just above the music title.
    {TLabel::Imi, TLabelWriter::Sentence, true, TLabelLayer::Result, labels::ImiShown,
     labels::Fixed<0xFFFFFFFF>,
     [](const TLabelFrame& f) {
       if (labels::ImiOnField(f.S)) {
         return TLabelPoint{f.Answer.Left, f.Answer.Top - f.H(TLabel::Imi) - 5};
       }
       return TLabelPoint{f.Answer.Left,
                          f.ClientHeight - f.H(TLabel::MusicTitle) - 5 - f.H(TLabel::Imi) - 2};
     }},
    // The message lines, centred, the lower one first (ShowMessage1, ShowMessages).
    {TLabel::Message2, TLabelWriter::Label, false, TLabelLayer::Message,
     [](const TGameState& s) { return !s.Message2.empty(); }, labels::Fixed<kLabelColour>,
     [](const TLabelFrame& f) {
       return TLabelPoint{(f.ScreenWidth - f.W(TLabel::Message2)) / 2, 305};
     }},
    {TLabel::Message1, TLabelWriter::Label, false, TLabelLayer::Message,
     [](const TGameState& s) { return !s.Message1.empty(); }, labels::Fixed<kLabelColour>,
     [](const TLabelFrame& f) {
       return TLabelPoint{(f.ScreenWidth - f.W(TLabel::Message1)) / 2, 275};
     }},
    // The music's path, bottom left, while the player's music plays (ShowMusicTitle).
    {TLabel::MusicTitle, TLabelWriter::MusicTitle, false, TLabelLayer::Footer,
     [](const TGameState& s) { return s.GameClear == 0 && s.BgmOn == 1; },
     labels::Fixed<0xBBFFFF00>,
     [](const TLabelFrame& f) {
       return TLabelPoint{5, f.ClientHeight - f.H(TLabel::MusicTitle) - 5};
     }},
    // On the title, left of the logo, between the message lines and the answer field: how
    // many proverbs are due for review today (ShowDueCount).
    {TLabel::Fukushu, TLabelWriter::Sentence, false, TLabelLayer::Footer,
     [](const TGameState& s) { return s.TitleMode == 1 && s.Ready == 1 && s.DueCount > 0; },
     labels::Fixed<0xDDFFFF80>, [](const TLabelFrame&) { return kFukushuPlace; }},
}};

// Every label has exactly one row.
constexpr bool EveryLabelHasOneRow() {
  std::array<int, kLabelCount> rows{};
  for (const TLabelRow& row : kLabelRows) ++rows[static_cast<std::size_t>(row.Label)];
  for (int n : rows) {
    if (n != 1) return false;
  }
  return true;
}
static_assert(EveryLabelHasOneRow(), "a TLabel without a row in kLabelRows, or with two");

constexpr const TLabelRow& LabelRow(TLabel label) {
  for (const TLabelRow& row : kLabelRows) {
    if (row.Label == label) return row;
  }
  return kLabelRows[0];  // not reached: every label has its row
}

// The lowest edge of the status labels standing over the columns [x, x + w) — shown or not,
// so that what is placed below them (the results panel) does not move as one blinks or
// appears with the stage.
inline std::int32_t StatusLabelsBottom(const TLabelFrame& f, std::int32_t x, std::int32_t w) {
  std::int32_t bottom = 0;
  for (const TLabelRow& row : kLabelRows) {
    if (row.Layer != TLabelLayer::Status) continue;
    const TLabelPoint at = row.Place(f);
    if (at.X < x + w && x < at.X + f.W(row.Label)) {
      bottom = std::max(bottom, at.Y + f.H(row.Label));
    }
  }
  return bottom;
}

}  // namespace game
