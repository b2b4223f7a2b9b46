// The refresh before each frame: every label, character and picture the rules marked is
// rendered or loaded into its texture, once; the music title shortened to the window's width;
// and the character font, which the rendered characters follow.
#include "game/game.h"
#include "game/game_owned.h"
#include "platform/codepage/codepage.h"

namespace game {
namespace {

constexpr int kMusicTitlePoints = 11;
constexpr const char* kEllipsis = "...";

}  // namespace

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
  };
  for (std::size_t i = 0; i < kLabelCount; ++i) {
    if (!marks.Changed[i]) continue;
    marks.Changed[i] = false;
    const TLabelTexture& t = textures[i];
    const bool musicTitle = static_cast<TLabel>(i) == TLabel::MusicTitle;
    MakeTextTexture(t.Texture, t.Panel, musicTitle ? MusicTitle(marks.Text[i]) : marks.Text[i],
                    t.Writer);
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
    const std::string sjis = codepage::Utf8ToSjis(form);
    if (writer->TextWidth(sjis) <= limit) return sjis;
  }
  return codepage::Utf8ToSjis(name);
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
  font.SetCharset(static_cast<gdi::BYTE>(chosen.Charset & 0xFF));
  font.SetName(chosen.FaceName);
  font.SetStyle(chosen.Style & gdi::kAllFontStyles);
  MakeTextTexture(Owned->KotaeTexture.get(), Owned->KotaeTexture2.get(), Sjis("答"),
                  Owned->MojiWriter.get());
  return TFontChoice{chosen.FaceName, chosen.Charset & 0xFF,
                     static_cast<std::uint8_t>(chosen.Style & gdi::kAllFontStyles)};
}

}  // namespace game
