// Music files: the scan, the shuffle list, the shortened title, and text textures.
#include <gtest/gtest.h>

#include <algorithm>

#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/codepage/codepage.h"
#include "platform/gdi/font.h"
#include "support/game_fixture.h"

namespace game::testing {
namespace {

class MusicTest : public GameFixture {
 protected:
  void SetUp() override {
    GameFixture::SetUp();
    StartGame();
  }
  int TitleWidth(const std::string& utf8) {
    O().LabelWriter->Font().SetSize(11);
    return O().LabelWriter->TextWidth(codepage::Utf8ToUtf16(utf8));
  }
};

TEST_F(MusicTest, ScanFindsAudioFilesDepthFirstWhateverTheirCase) {
  const auto top = Root / "tunes";
  for (const char* file :
       {"b.MP3", "a.mid", "notes.txt", ".hidden.wav", "c.aiff", "d.AIFC", "e.wma", "f.aif",
        "sub/x.wav", "sub/deeper/y.mp3", "sub/z.ogg", "zz/w.mp3", "g.mp33", "h.Opus", "i.flac",
        "j.m4a", "k.aac", "l.oga", "n.webm"}) {
    WriteFile(top / file, "x");
  }
  S().AudioList.clear();
  Game->ScanAudioFiles(top.string());
  const std::string t = top.string() + "/";
  const std::vector<std::string> expected = {
      t + ".hidden.wav",      t + "a.mid",     t + "b.MP3",     t + "c.aiff",
      t + "d.AIFC",           t + "e.wma",     t + "f.aif",     t + "h.Opus",
      t + "i.flac",           t + "j.m4a",     t + "k.aac",     t + "l.oga",
      t + "sub/deeper/y.mp3", t + "sub/x.wav", t + "sub/z.ogg", t + "zz/w.mp3"};
  EXPECT_EQ(S().AudioList, expected);
  // A trailing delimiter is not doubled; the scan appends to what is there.
  Game->ScanAudioFiles(t + "zz/");
  ASSERT_EQ(S().AudioList.size(), expected.size() + 1);
  EXPECT_EQ(S().AudioList.back(), t + "zz/w.mp3");
}

TEST_F(MusicTest, ScanSurvivesLinkLoopsAndMissingFolders) {
  const auto top = Root / "loop";
  WriteFile(top / "a.mp3", "x");
  std::filesystem::create_directory_symlink(top, top / "again");
  S().AudioList.clear();
  Game->ScanAudioFiles(top.string());
  EXPECT_EQ(S().AudioList.size(), 1u);
  Game->ScanAudioFiles((Root / "nothing-here").string());
  EXPECT_EQ(S().AudioList.size(), 1u);
}

TEST_F(MusicTest, ShuffleListLoopsASingleFile) {
  S().AudioList = {"/m/a.mp3"};
  Game->BuildRandomList();
  EXPECT_EQ(S().BgmRandom, 0);
  EXPECT_EQ(S().RandomFileCount, 1);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::S2));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::R1));
  S().AudioList = {"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"};
  S().RandomPlayedCount = 2;
  Game->BuildRandomList();
  EXPECT_EQ(S().BgmRandom, 1);
  EXPECT_EQ(S().RandomFiles, S().AudioList);
  EXPECT_EQ(S().RandomPlayed, std::vector<std::uint8_t>(3, 0));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::S2));
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::R1));
}

TEST_F(MusicTest, TitleIsShortenedStepByStepToTheWindowWidth) {
  const std::string path = "/home/player/楽曲/x.mp3";
  const std::vector<std::string> steps = {
      path, "/.../player/楽曲/x.mp3", "/.../楽曲/x.mp3", "/.../x.mp3", ".../x.mp3", "x.mp3"};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    // A window exactly as wide as step i needs: step i is the answer.
    Window.OuterW = TitleWidth(steps[i]) + 5;
    // Skip widths where an earlier, longer form also fits (they cannot be told apart).
    if (i > 0 && TitleWidth(steps[i - 1]) <= TitleWidth(steps[i])) continue;
    EXPECT_EQ(Game->MusicTitle(path), steps[i]) << i;
  }
  // A name too long for any width comes back alone.
  Window.OuterW = 10;
  EXPECT_EQ(Game->MusicTitle(path), "x.mp3");
  // A path that fits is unchanged.
  Window.OuterW = 694;
  EXPECT_EQ(Game->MusicTitle(path), path);
  // What Shift-JIS cannot hold stays as it is, not '?'.
  EXPECT_EQ(Game->MusicTitle("/home/player/música/Grüße.mp3"), "/home/player/música/Grüße.mp3");
}

TEST_F(MusicTest, TextTextureSizesEmptyTextAndPanel) {
  TDGTexture* texture = O().Label(TLabel::Spelling).get();
  TDGTexture* panel = O().Panel(TLabel::Spelling).get();
  TSXTextWriter& writer = *O().MojiWriter.get();
  const std::u16string text = u"猿も木から落ちる";
  Game->MakeTextTexture(texture, panel, text, &writer);
  const int width = writer.TextWidth(text);
  EXPECT_EQ(static_cast<int>(texture->Width()), width) << "bold, not italic: no extra width";
  EXPECT_EQ(static_cast<int>(texture->Height()), writer.TextHeight(text));
  EXPECT_EQ(panel->Width(), texture->Width());
  // The panel is translucent purple everywhere; the text ground is transparent white.
  INT pitch = 0;
  void* bits = nullptr;
  ASSERT_EQ(panel->LockRect(0, RECT{0, 0, 1, 1}, pitch, bits, D3DLOCK_READONLY), D3D_OK);
  const std::uint32_t panelPixel = *static_cast<std::uint32_t*>(bits);
  panel->UnlockRect();
  EXPECT_EQ(panelPixel, 0xBB5A28C7u);
  // An empty text changes neither texture.
  Game->MakeTextTexture(texture, panel, u"", &writer);
  EXPECT_EQ(static_cast<int>(texture->Width()), width);
  EXPECT_EQ(panel->Width(), texture->Width());
  // An italic font adds half the width of "a".
  writer.Font().SetStyle(gdi::fsItalic);
  Game->MakeTextTexture(texture, nullptr, text, &writer);
  EXPECT_EQ(static_cast<int>(texture->Width()), writer.TextWidth(text) + writer.TextWidth("a") / 2);
}

TEST_F(MusicTest, LabelsUseEighteenPointsAndTheMusicTitleEleven) {
  S().Marks.SetLabel(TLabel::MusicTitle, u"music.mp3");
  Game->RefreshScreen();
  S().Marks.SetLabel(TLabel::Message2, u"music.mp3");
  Game->RefreshScreen();
  EXPECT_LT(O().Label(TLabel::MusicTitle)->Height(), O().Label(TLabel::Message2)->Height());
  EXPECT_LT(O().Label(TLabel::MusicTitle)->Width(), O().Label(TLabel::Message2)->Width());
  EXPECT_EQ(O().LabelWriter->Font().Size(), 18);
}

}  // namespace
}  // namespace game::testing
