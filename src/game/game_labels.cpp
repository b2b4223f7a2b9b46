// Text into textures: the refresh before each frame, where every label, character and picture
// the rules marked is rendered or loaded into its texture, once; MakeTextTexture; the music
// title shortened to the window's width; and the character font the characters follow.
#include <algorithm>

#include "game/game.h"
#include "game/game_owned.h"
#include "platform/codepage/codepage.h"

namespace game {
namespace {

constexpr int kMusicTitlePoints = 11;
constexpr int kLabelPoints = 18;
// The meaning and the title's review count: a sentence must fit the answer field's width.
constexpr int kImiPoints = 14;
constexpr int kImiMinPoints = 10;
constexpr std::uint32_t kPanelColour = 0xBB5A28C7;
constexpr const char* kEllipsis = "...";

// The label's texture (and its panel) sized to the text in the writer's font, then written.
template <class Text>
void WriteTextTexture(TDGTexture* texture, TDGTexture* panel, const Text& text,
                      TSXTextWriter* writer) {
  // Room for the slant of the last character.
  const std::int32_t extra =
      (writer->Font().Style() & gdi::fsItalic) != 0 ? writer->TextWidth("a") / 2 : 0;
  if (text.empty()) return;
  const auto width = static_cast<UINT>(std::max(writer->TextWidth(text) + extra, 1));
  const auto height = static_cast<UINT>(std::max(writer->TextHeight(text), 1));
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
  writer->DrawText(0, 0, text, *texture);
}

}  // namespace

void TGame::MakeTextTexture(TDGTexture* texture, TDGTexture* panel, const std::string& text,
                            TSXTextWriter* writer) {
  if (writer == Owned->LabelWriter.get()) writer->Font().SetSize(kLabelPoints);
  WriteTextTexture(texture, panel, text, writer);
}

void TGame::RefreshScreen() {
  TOwned& o = *Owned;
  if (o.LabelWriter == nullptr) return;  // nothing to render into before start-up or after
  TScreenMarks& marks = S.Marks;

  // The labels, in the order of TLabel; the written form on its panel.
  struct TLabelTexture {
    TDGTexture* Texture;
    TDGTexture* Panel;
    TSXTextWriter* Writer;
  };
  TSXTextWriter* label = o.LabelWriter.get();
  TSXTextWriter* moji = o.MojiWriter.get();
  const TLabelTexture textures[kLabelCount] = {
      {o.SeikaiTexture.get(), nullptr, label},
      {o.RenzokuTexture.get(), nullptr, label},
      {o.FuseikaiTexture.get(), nullptr, label},
      {o.TimeTexture.get(), nullptr, label},
      {o.HintTexture.get(), nullptr, label},
      {o.TokutenTexture.get(), nullptr, label},
      {o.SaikoTokutenTexture.get(), nullptr, label},
      {o.Message1Texture.get(), nullptr, label},
      {o.Message2Texture.get(), nullptr, label},
      {o.SpellingTexture.get(), o.SpellingTexture2.get(), moji},
      {o.ReadingTexture.get(), nullptr, moji},
      {o.MusicTitleTexture.get(), nullptr, label},
      {o.ImiTexture.get(), o.ImiTexture2.get(), label},
      {o.FukushuTexture.get(), nullptr, label},
  };
  for (std::size_t i = 0; i < kLabelCount; ++i) {
    if (!marks.Changed[i]) continue;
    marks.Changed[i] = false;
    const TLabelTexture& t = textures[i];
    if (static_cast<TLabel>(i) == TLabel::MusicTitle) {
      // The player's path, at its own smaller size, may hold what Shift-JIS cannot: it is
      // written from UTF-16.
      label->Font().SetSize(kMusicTitlePoints);
      WriteTextTexture(t.Texture, t.Panel, codepage::Utf8ToUtf16(MusicTitle(marks.Text[i])), label);
    } else if (static_cast<TLabel>(i) == TLabel::Imi || static_cast<TLabel>(i) == TLabel::Fukushu) {
      // A long meaning (an additional question's) is set smaller until it fits the field.
      const std::int32_t room = Window.AnswerBounds().Width;
      int points = kImiPoints;
      label->Font().SetSize(points);
      while (points > kImiMinPoints && label->TextWidth(marks.Text[i]) > room) {
        label->Font().SetSize(--points);
      }
      WriteTextTexture(t.Texture, t.Panel, marks.Text[i], label);
    } else {
      MakeTextTexture(t.Texture, t.Panel, marks.Text[i], t.Writer);
    }
  }

  // The characters, each recording its size.
  for (std::int32_t k = 0; k < kMojiSlots; ++k) {
    if (!marks.MojiChanged[k]) continue;
    marks.MojiChanged[k] = false;
    TDGTexture* texture = o.MojiTextures[k].get();
    MakeTextTexture(texture, nullptr, codepage::Utf16ToSjis(S.Moji[k].Char), moji);
    CharacterRendered(k, static_cast<std::int32_t>(texture->Width()),
                      static_cast<std::int32_t>(texture->Height()));
  }

  // The centre picture (the results carry their own alpha: no colour key), the key guide.
  if (marks.PictureChanged) {
    marks.PictureChanged = false;
    o.PictureTexture->LoadFromFile(marks.Picture, (S.AppDir / "Data" / "wisplore.qda").string());
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
  MakeTextTexture(Owned->KotaeTexture.get(), Owned->KotaeTexture2.get(), Sjis("答"),
                  Owned->MojiWriter.get());
  return TFontChoice{chosen.FaceName, chosen.Charset & 0xFF,
                     static_cast<std::uint8_t>(chosen.Style & gdi::kAllFontStyles)};
}

}  // namespace game
