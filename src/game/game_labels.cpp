// Text into textures: the refresh before each frame, where every label, character and picture
// the rules marked is rendered or loaded into its texture, once; MakeTextTexture; the music
// title shortened to the window's width; and the character font the characters follow.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "game/game.h"
#include "game/game_owned.h"
#include "game/label_table.h"
#include "platform/codepage/codepage.h"
#include "rules/furigana.h"

namespace game {
namespace {

constexpr int kMusicTitlePoints = 11;
// A sentence (a proverb's meaning) starts at this size and is set smaller, down to the last,
// until it fits the answer field's width.
constexpr int kSentencePoints = 14;
constexpr int kSentenceMinPoints = 10;
constexpr const char* kEllipsis = "...";
// Furigana are half the character font's height, and smaller, down to this many pixels, where a
// reading is wider than its kanji; a reading wider still spreads evenly over the kana beside.
constexpr int kRubyMinPixels = 10;

// Sets the panel's size and colour and clears the texture at the same size.
void SizeTextTexture(TDGTexture* texture, TDGTexture* panel, UINT width, UINT height) {
  if (panel != nullptr) {
    panel->SetSize(width, height);
    panel->FillRect(RECT{0, 0, static_cast<LONG>(panel->TextureWidth()),
                         static_cast<LONG>(panel->TextureHeight())},
                    kPanelColour, false);
  }
  texture->SetSize(width, height);
  texture->FillRect(RECT{0, 0, static_cast<LONG>(texture->TextureWidth()),
                         static_cast<LONG>(texture->TextureHeight())},
                    0x00FFFFFF, false);
}

// The label's texture (and its panel) sized to the text in the writer's font, then written.
void WriteTextTexture(TDGTexture* texture, TDGTexture* panel, const std::u16string& text,
                      TSXTextWriter* writer) {
  if (text.empty()) return;
  const auto width = static_cast<UINT>(std::max(TextTextureWidth(*writer, text), 1));
  const auto height = static_cast<UINT>(std::max(writer->TextHeight(text), 1));
  SizeTextTexture(texture, panel, width, height);
  writer->DrawText(0, 0, text, *texture);
}

// The furigana of a written form, as wide as the form's own line in the writer's font: each
// reading centred over its kanji run at half the font's height, smaller where the run is
// narrow, bottoms on the texture's lower edge. The writer's font is left as it was.
void WriteRubyTexture(TDGTexture* texture, TDGTexture* panel, const TRubyText& ruby,
                      TSXTextWriter* writer) {
  if (ruby.empty()) return;
  gdi::TFont& font = writer->Font();
  const int baseHeight = font.Height();

  // Each kanji run's span on the line, measured as the line is written.
  struct TSpan {
    int Left, Right;
    const std::u16string* Reading;
  };
  std::vector<TSpan> spans;
  std::u16string line;
  for (const TRubyRun& run : ruby) {
    const int left = line.empty() ? 0 : writer->TextWidth(line);
    line += run.Base;
    if (!run.Ruby.empty()) spans.push_back({left, writer->TextWidth(line), &run.Ruby});
  }
  const int width = std::max(TextTextureWidth(*writer, line), 1);

  const int rubyPixels = std::max(std::abs(baseHeight) / 2, kRubyMinPixels);
  font.SetHeight(-rubyPixels);
  const int height = std::max(writer->TextHeight(u"あ"), 1);
  SizeTextTexture(texture, panel, static_cast<UINT>(width), static_cast<UINT>(height));
  for (const TSpan& span : spans) {
    int pixels = rubyPixels;
    font.SetHeight(-pixels);
    while (pixels > kRubyMinPixels && writer->TextWidth(*span.Reading) > span.Right - span.Left) {
      font.SetHeight(-(--pixels));
    }
    const int w = writer->TextWidth(*span.Reading);
    const int x =
        std::clamp(span.Left + (span.Right - span.Left - w) / 2, 0, std::max(width - w, 0));
    writer->DrawText(x, height - writer->TextHeight(*span.Reading), *span.Reading, *texture);
  }
  font.SetHeight(baseHeight);
}

}  // namespace

void TGame::MakeTextTexture(TDGTexture* texture, TDGTexture* panel, const std::u16string& text,
                            TSXTextWriter* writer) {
  if (writer == Owned->LabelWriter.get()) writer->Font().SetSize(kLabelPoints);
  WriteTextTexture(texture, panel, text, writer);
}

void TGame::RefreshScreen() {
  TOwned& o = *Owned;
  if (o.LabelWriter == nullptr) return;  // nothing to render into before start-up or after
  TScreenMarks& marks = S.Marks;

  // The labels, in the order of TLabel, each by its row's writer; every text is UTF-16.
  TSXTextWriter* label = o.LabelWriter.get();
  TSXTextWriter* moji = o.MojiWriter.get();
  for (std::size_t i = 0; i < kLabelCount; ++i) {
    if (!marks.Changed[i]) continue;
    marks.Changed[i] = false;
    TDGTexture* texture = o.Labels[i].get();
    TDGTexture* panel = o.Panels[i].get();
    switch (LabelRow(static_cast<TLabel>(i)).Writer) {
      case TLabelWriter::Label:
        MakeTextTexture(texture, panel, marks.Text[i], label);
        break;
      case TLabelWriter::Moji:
        WriteTextTexture(texture, panel, marks.Text[i], moji);
        break;
      case TLabelWriter::MusicTitle: {
        // The player's path, at its own smaller size, shortened to the window's width.
        const std::string path = codepage::Utf16ToUtf8(marks.Text[i]);
        label->Font().SetSize(kMusicTitlePoints);
        WriteTextTexture(texture, panel, codepage::Utf8ToUtf16(MusicTitle(path)), label);
        break;
      }
      case TLabelWriter::Ruby:
        WriteRubyTexture(texture, panel, ParseRubyNotation(marks.Text[i]), moji);
        break;
      case TLabelWriter::Sentence: {
        const std::int32_t room =
            static_cast<TLabel>(i) == TLabel::Fukushu ? kFukushuRoom : Window.AnswerBounds().Width;
        int points = kSentencePoints;
        label->Font().SetSize(points);
        const std::u16string& sentence = marks.Text[i];
        while (points > kSentenceMinPoints && label->TextWidth(sentence) > room) {
          label->Font().SetSize(--points);
        }
        WriteTextTexture(texture, panel, sentence, label);
        break;
      }
    }
  }

  // The characters, each recording its size.
  for (std::int32_t k = 0; k < kMojiSlots; ++k) {
    if (!marks.MojiChanged[k]) continue;
    marks.MojiChanged[k] = false;
    TDGTexture* texture = o.MojiTextures[k].get();
    WriteTextTexture(texture, nullptr, S.Moji[k].Char, moji);
    CharacterRendered(k, static_cast<std::int32_t>(texture->Width()),
                      static_cast<std::int32_t>(texture->Height()));
  }

  // The centre picture (the results carry their own alpha: no colour key), the key guide.
  if (marks.PictureChanged) {
    marks.PictureChanged = false;
    TDGTexture* picture = o.PictureTexture.get();
    if (marks.Picture.empty()) {
      // No picture: the texture stays, clear.
      picture->FillRect(RECT{0, 0, static_cast<LONG>(picture->TextureWidth()),
                             static_cast<LONG>(picture->TextureHeight())},
                        0x00000000, false);
    } else {
      picture->LoadFromFile(marks.Picture, (S.AppDir / "Data" / "wisplore.qda").string());
    }
  }
  if (marks.SosaChanged) {
    marks.SosaChanged = false;
    TDGTexture* guide = o.SosaTexture.get();
    guide->LoadFromFile((S.AppDir / "Data" / marks.Sosa).string(), "");
    guide->SetColorKey(
        RECT{0, 0, static_cast<LONG>(guide->Width()), static_cast<LONG>(guide->Height())}, 0);
  }
}

std::string TGame::MusicTitle(const std::string& path) {
  // Split into the root (the "drive"), the folders and the file name.
  std::string root;
  std::string rest = path;
  if (!rest.empty() && rest.front() == '/') {
    root = "/";
    rest.erase(0, 1);
  }
  std::vector<std::string> folders;
  std::size_t start = 0;
  for (std::size_t slash = rest.find('/'); slash != std::string::npos;
       slash = rest.find('/', start)) {
    folders.push_back(rest.substr(start, slash - start));
    start = slash + 1;
  }
  const std::string name = rest.substr(start);

  // The forms from the whole path down to the file name alone.
  std::vector<std::string> forms{path};
  for (std::size_t k = 1; k <= folders.size(); ++k) {
    std::string form = root + kEllipsis + "/";
    for (std::size_t i = k; i < folders.size(); ++i) form += folders[i] + "/";
    forms.push_back(form + name);
  }
  if (!root.empty() || !folders.empty()) forms.push_back(std::string(kEllipsis) + "/" + name);

  // Measured in the window's face at 11 points.
  TSXTextWriter* writer = Owned->LabelWriter.get();
  writer->Font().SetSize(kMusicTitlePoints);
  const int limit = Window.OuterWidth() - 5;
  for (const std::string& form : forms) {
    if (writer->TextWidth(codepage::Utf8ToUtf16(form)) <= limit) return form;
  }
  return name;
}

TFontChoice TGame::CharacterFont() const {
  const gdi::TFont& font = Owned->MojiWriter->Font();
  return TFontChoice{font.Name(), font.Charset(),
                     static_cast<std::uint8_t>(font.Style() & gdi::kAllFontStyles)};
}

TFontChoice TGame::SetCharacterFont(const TFontChoice& chosen) {
  // What was marked before the change is drawn in the font it was marked under.
  RefreshScreen();
  gdi::TFont& font = Owned->MojiWriter->Font();
  font.SetCharset(static_cast<BYTE>(chosen.Charset & 0xFF));
  font.SetName(chosen.FaceName);
  font.SetStyle(chosen.Style & gdi::kAllFontStyles);
  MakeTextTexture(Owned->KotaeTexture.get(), Owned->KotaeTexture2.get(), u"答",
                  Owned->MojiWriter.get());
  return TFontChoice{chosen.FaceName, chosen.Charset & 0xFF,
                     static_cast<std::uint8_t>(chosen.Style & gdi::kAllFontStyles)};
}

}  // namespace game
