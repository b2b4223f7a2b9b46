// What the rules changed on the screen since the last frame. The rules never draw: they set
// the text a label is to show, the picture to load or the character to render, and mark it.
// The frame driver's refresh (TGame::RefreshScreen) turns every mark into its texture once,
// before the frame, and records the sizes that only a rendered texture knows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// One character texture per character of a reading.
constexpr std::int32_t kMojiSlots = 39;

// The text displays, each drawn from its own texture; how and where each is drawn is its row in
// label_table.h.
enum class TLabel : std::uint8_t {
  Seikai,        // "正解:" with the correct answers
  Renzoku,       // "連続正解:" with the run
  Fuseikai,      // "不正解:" with the stage's wrong answers
  Time,          // "TIME:" with the whole seconds left
  Hint,          // "HINT:" with the hints left in the stage
  Tokuten,       // the score
  SaikoTokuten,  // the best score with "(最高得点)"
  Message1,      // the upper message line
  Message2,      // the lower message line
  Spelling,      // the written form of the last question, on its panel
  Reading,       // the reading of the last question
  MusicTitle,    // the music's path, shortened to the window's width when drawn
  Imi,           // the meaning of the last question, beneath its spelling, on its panel
  Fukushu,       // on the title: how many proverbs are due for review today
  Furigana,      // the reading of each kanji run of the written form, over it
};
constexpr std::size_t kLabelCount = 15;
static_assert(static_cast<std::size_t>(TLabel::Furigana) + 1 == kLabelCount);

struct TScreenMarks {
  // A label's text, UTF-16 for every label: the writers draw it as it is, and a question or a
  // path may hold what Shift-JIS cannot. A Shift-JIS or UTF-8 string is converted where it is
  // set (codepage.h); handing one over as it is does not compile. An empty text leaves the
  // texture as it was, as writing an empty text into it does.
  std::array<std::u16string, kLabelCount> Text;
  std::array<bool, kLabelCount> Changed{};

  std::array<bool, kMojiSlots> MojiChanged{};  // the character's Char is to be rendered
  // Above 0: once the character is rendered, its drawn size (MojiSizeW, MojiSizeH) is its
  // texture's size times this scale (the pulse of stage 3 and the title).
  std::array<float, kMojiSlots> PulseScale{};

  std::string Picture;  // the archive's entry in the centre picture ("" = no picture)
  bool PictureChanged = false;
  std::string Sosa;  // the key guide of Data/ under the answer field ("" = none yet)
  bool SosaChanged = false;

  // A label that already shows the text is left as it is (the clock sets its label every tick).
  void SetLabel(TLabel label, std::u16string text) {
    const auto i = static_cast<std::size_t>(label);
    if (text.empty() || text == Text[i]) return;
    Text[i] = std::move(text);
    Changed[i] = true;
  }
  bool LabelChanged(TLabel label) const { return Changed[static_cast<std::size_t>(label)]; }
  const std::u16string& LabelText(TLabel label) const {
    return Text[static_cast<std::size_t>(label)];
  }
};

// The sizes of the firefly and light pictures, which the layout rules use; start-up records
// them when it loads the pictures.
struct TPictureSizes {
  std::int32_t HotaruW = 0, HotaruH = 0;  // the firefly (Hotaru.bmp)
  std::int32_t HikariW = 0, HikariH = 0;  // the light (Hikari2.bmp)
};
