// The text displays of the screen: one row per label, in the order the frame draws them. A row
// says which writer renders the label's text, whether it sits on a panel, when and where it is
// drawn and in which colour; the rules mark its text (S.Marks.SetLabel) in the function named
// beside it. The textures are TOwned::Labels, indexed by TLabel.
//
// To add a label: its name in TLabel (screen_marks.h) and its row here, at the place in the
// drawing order it belongs (Layer, then the row's place among that layer's rows). The refresh
// renders it and the frame draws it with nothing more.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "rules/game_state.h"
#include "rules/game_window.h"

namespace game {

// Which writer renders the text.
enum class TLabelWriter {
  Label,       // the window's face at 18 points, bold italic (Shift-JIS)
  Moji,        // the character font the player chose; the question's text in UTF-8, drawn from
               // UTF-16 (an additional question may hold 𠮟 or 𥝱)
  MusicTitle,  // the window's face at 11 points; the UTF-8 path, shortened to the window's width
  Sentence,    // the window's face at 14 points, smaller (to 10) until it fits the answer field
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
                                  (labels::ImiOnField(f.S) ? f.H(TLabel::Imi) + 5 : 0);
       return TLabelPoint{f.Answer.Left, f.Answer.Top - below - f.H(TLabel::Reading) - 5};
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
    // On the title, left of the logo: how many proverbs are due for review today
    // (ShowDueCount).
    {TLabel::Fukushu, TLabelWriter::Sentence, false, TLabelLayer::Footer,
     [](const TGameState& s) { return s.TitleMode == 1 && s.Ready == 1 && s.DueCount > 0; },
     labels::Fixed<0xDDFFFF80>,
     [](const TLabelFrame&) {
       return TLabelPoint{20, 362};
     }},
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

}  // namespace game
