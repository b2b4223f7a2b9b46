// The INI text model: lookups, and setting one key while every other line stays.
#include <gtest/gtest.h>

#include "platform/profile/ini_document.h"

namespace {

using profile::TIniDocument;

TEST(IniDocumentTest, LooksUpKeysTheWayTheProfileFunctionsDo) {
  const TIniDocument document(
      "top=before any section\r\n"
      "[BGM]\r\n"
      "  Music = 1 \r\n"
      "MusicName=\"  spaced.mp3 \"\r\n"
      "Quoted='x'\r\n"
      "Empty=\r\n"
      "music=second\r\n"
      "junk line without equals\r\n"
      "[Font]\r\n"
      "Name=ＭＳ 明朝\r\n"
      "[bgm]\r\n"
      "Random=1\r\n");
  EXPECT_EQ(document.Find("BGM", "Music"), "1");
  EXPECT_EQ(document.Find("bgm", "MUSIC"), "1");  // case does not matter; the first wins
  EXPECT_EQ(document.Find("BGM", "MusicName"), "  spaced.mp3 ");
  EXPECT_EQ(document.Find("BGM", "Quoted"), "x");
  EXPECT_EQ(document.Find("BGM", "Empty"), "");
  EXPECT_EQ(document.Find("BGM", "Random"), "1");  // from the section's second block
  EXPECT_EQ(document.Find("Font", "Name"), "ＭＳ 明朝");
  EXPECT_FALSE(document.Find("Font", "Music").has_value());
  EXPECT_FALSE(document.Find("BGM", "top").has_value());
  EXPECT_FALSE(document.Find("Missing", "Music").has_value());
  EXPECT_FALSE(document.Find("BGM", "junk line without equals").has_value());
}

TEST(IniDocumentTest, ShiftJisNamesFoldOnlyAsciiLetters) {
  // "ア" is 83 41 in Shift-JIS and "チ" 83 61: the second bytes are 'A' and 'a'.
  EXPECT_FALSE(TIniDocument::NamesEqual("\x83\x41", "\x83\x61"));
  EXPECT_TRUE(TIniDocument::NamesEqual("\x83\x41Key", "\x83\x41KEY"));
  EXPECT_TRUE(TIniDocument::NamesEqual("TuikaMondai", "TUIKAMONDAI"));
  EXPECT_FALSE(TIniDocument::NamesEqual("Mondai", "Mondai2"));
}

TEST(IniDocumentTest, AddsKeysAtTheEndOfTheirSectionAndNewSectionsAtTheEnd) {
  TIniDocument document("[BGM]\r\nMusic=1\r\n\r\n[Font]\r\nName=x");
  document.Set("BGM", "Random", "0");
  document.Set("Font", "Charset", "128");
  document.Set("KaitoMode", "Value", "1");
  EXPECT_EQ(document.Text(),
            "[BGM]\r\nMusic=1\r\nRandom=0\r\n\r\n[Font]\r\nName=x\r\nCharset=128\r\n"
            "[KaitoMode]\r\nValue=1\r\n");
  EXPECT_EQ(document.Find("KaitoMode", "Value"), "1");
}

TEST(IniDocumentTest, NewTextUsesTheFilesLineEnd) {
  TIniDocument unixText("[A]\nx=1\n");
  unixText.Set("B", "y", "2");
  EXPECT_EQ(unixText.Text(), "[A]\nx=1\n[B]\ny=2\n");

  TIniDocument empty;
  empty.Set("BGM", "Music", "1");
  EXPECT_EQ(empty.Text(), "[BGM]\r\nMusic=1\r\n");
}

TEST(IniDocumentTest, ValuesReadBackAsWritten) {
  TIniDocument document;
  for (const std::string value :
       {"  leading", "trailing\t", "\"quoted\"", "'single'", "a=b", "C:\\Music\\曲.mp3", ""}) {
    document.Set("S", "K", value);
    EXPECT_EQ(document.Find("S", "K"), value) << value;
  }
}

TEST(IniDocumentTest, RefusesWhatOneLineCannotHold) {
  EXPECT_TRUE(TIniDocument::IsValidSection("BGM"));
  EXPECT_FALSE(TIniDocument::IsValidSection(""));
  EXPECT_FALSE(TIniDocument::IsValidSection("a]b"));
  EXPECT_FALSE(TIniDocument::IsValidSection("a\nb"));
  EXPECT_TRUE(TIniDocument::IsValidKey("MusicName"));
  EXPECT_FALSE(TIniDocument::IsValidKey(" "));
  EXPECT_FALSE(TIniDocument::IsValidKey("a=b"));
  EXPECT_FALSE(TIniDocument::IsValidKey("[x"));
  EXPECT_TRUE(TIniDocument::IsValidValue(""));
  EXPECT_FALSE(TIniDocument::IsValidValue("line\r\nbreak"));
  EXPECT_FALSE(TIniDocument::IsValidValue(std::string("nul\0byte", 8)));
}

}  // namespace
