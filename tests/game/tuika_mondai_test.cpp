// The additional questions of "追加問題.txt": line counts, pairing, acceptance, encodings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/base/files.h"
#include "platform/codepage/codepage.h"
#include "rules/catalogue.h"

namespace {

std::u16string U(const char* utf8) { return codepage::Utf8ToUtf16(utf8); }

// A file of the 14 header lines followed by `lines`, in Shift-JIS, with the given line end.
std::string TuikaFile(const std::vector<std::string>& lines, const std::string& lineEnd = "\r\n") {
  std::string text;
  for (int i = 1; i <= 14; ++i)
    text += codepage::Utf8ToSjis("説明の行 " + std::to_string(i)) + lineEnd;
  for (const auto& line : lines) text += codepage::Utf8ToSjis(line) + lineEnd;
  return text;
}

class TuikaMondaiTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildMondaiTable(catalogue); }

  // The catalogue's invariants, whatever was read.
  void ExpectConsistent() const {
    const auto count = static_cast<size_t>(catalogue.TuikaCount);
    EXPECT_EQ(catalogue.SpeechList.size(), 171 + count);
    EXPECT_EQ(catalogue.TuikaMondaiList.size(), count);
    EXPECT_EQ(catalogue.TuikaSeikaiList.size(), count);
    EXPECT_EQ(catalogue.TuikaShutsudai.size(), count);
    EXPECT_EQ(catalogue.TuikaImiList.size(), count);
    for (size_t k = 0; k < count; ++k) {
      EXPECT_EQ(catalogue.SpeechList[171 + k], catalogue.TuikaMondaiList[k]);
      EXPECT_LE(MojiLength(catalogue.TuikaMondaiList[k]), 39);
      EXPECT_EQ(catalogue.TuikaShutsudai[k], 0);
    }
    EXPECT_EQ(catalogue.TuikaShutsudaiCount, 0);
  }

  TCatalogue catalogue;
};

TEST_F(TuikaMondaiTest, LineCountsBelowSixteenGiveNothing) {
  for (const auto& lines : {std::vector<std::string>{}, std::vector<std::string>{"一つだけ"}}) {
    const TuikaLoadResult result = LoadTuikaMondaiFromBytes(catalogue, TuikaFile(lines));
    EXPECT_EQ(result.Accepted, 0);
    EXPECT_EQ(catalogue.TuikaCount, 0);
    ExpectConsistent();
  }
  EXPECT_EQ(LoadTuikaMondaiFromBytes(catalogue, "").LineCount, 0);
  EXPECT_EQ(catalogue.TuikaCount, 0);
}

TEST_F(TuikaMondaiTest, SixteenLinesGiveOnePairAndAnOddLastLineIsDropped) {
  TuikaLoadResult result =
      LoadTuikaMondaiFromBytes(catalogue, TuikaFile({"猫に小判", "ねこにこばん"}));
  EXPECT_EQ(result.LineCount, 16);
  EXPECT_EQ(result.Accepted, 1);
  EXPECT_EQ(catalogue.TuikaSeikaiList[0], U("猫に小判"));
  EXPECT_EQ(catalogue.TuikaMondaiList[0], U("ねこにこばん"));
  EXPECT_EQ(catalogue.Speech(171), U("ねこにこばん"));
  ExpectConsistent();

  BuildMondaiTable(catalogue);
  result = LoadTuikaMondaiFromBytes(catalogue, TuikaFile({"猫に小判", "ねこにこばん", "余り"}));
  EXPECT_EQ(result.LineCount, 17);
  EXPECT_EQ(result.PairCount, 1);
  EXPECT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.TuikaMondaiList[0], U("ねこにこばん"));
  ExpectConsistent();
}

TEST_F(TuikaMondaiTest, ReadingLengthLimitIsThirtyNine) {
  std::string reading39;
  for (int i = 0; i < 39; ++i) reading39 += "あ";
  const std::string reading40 = reading39 + "い";
  LoadTuikaMondaiFromBytes(catalogue, TuikaFile({"長い", reading40, "丁度", reading39}));
  ASSERT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.TuikaSeikaiList[0], U("丁度"));
  EXPECT_EQ(catalogue.TuikaMondaiList[0].size(), 39u);
  ExpectConsistent();
}

TEST_F(TuikaMondaiTest, BlankLinesRejectAPairWithoutShiftingTheOthers) {
  const TuikaLoadResult result = LoadTuikaMondaiFromBytes(
      catalogue, TuikaFile({"　", "ぜんかく",          // one full-width space: skipped
                            " ", "はんかく",           // one half-width space: skipped
                            "", "から",                // empty: skipped
                            "答え", "　",              // reading blank: skipped
                            "  ", "ふたつ",            // two spaces: taken
                            "　　", "ぜんかくふたつ",  // two full-width spaces: taken
                            "最後", "さいご"}));
  EXPECT_EQ(result.PairCount, 7);
  EXPECT_EQ(result.Accepted, 3);
  ASSERT_EQ(catalogue.TuikaCount, 3);
  EXPECT_EQ(catalogue.TuikaSeikaiList[0], u"  ");
  EXPECT_EQ(catalogue.TuikaMondaiList[0], U("ふたつ"));
  EXPECT_EQ(catalogue.TuikaSeikaiList[1], U("　　"));
  EXPECT_EQ(catalogue.TuikaSeikaiList[2], U("最後"));
  EXPECT_EQ(catalogue.TuikaMondaiList[2], U("さいご"));
  ExpectConsistent();
}

// Every pair left out is listed with its line and why, for the one message at start-up; a
// pair of two blank lines is spacing and not listed. Characters are counted, not UTF-16
// units: 𠮟 is one firefly.
TEST_F(TuikaMondaiTest, PairsLeftOutAreListedWithTheirLineAndWhy) {
  EXPECT_EQ(MojiLength(U("𠮟られて")), 4);
  std::string reading39;
  for (int i = 0; i < 39; ++i) reading39 += "あ";
  std::string text;
  for (int i = 0; i < 14; ++i) text += "説明\n";
  const std::vector<std::string> lines = {
      "長い",
      reading39 + "い",  // line 15: 40 characters
      "",
      "",  // spacing
      "答え",
      "",  // line 19: a reading missing
      "幅広",
      "はばひろ",  // line 21: too wide for the screen (below)
      "𠮟られて育つ",
      reading39,  // 39 characters: taken
  };
  for (const auto& line : lines) text += line + "\n";
  const TuikaLoadResult result = LoadTuikaMondaiFromBytes(
      catalogue, text,
      [](std::u16string_view seikai, std::u16string_view) -> std::optional<TTuikaLeftOut> {
        if (seikai == u"幅広") return TTuikaLeftOut::SeikaiTooWide;
        return std::nullopt;
      });
  ASSERT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.TuikaSeikaiList[0], U("𠮟られて育つ"));
  EXPECT_EQ(MojiLength(catalogue.TuikaMondaiList[0]), 39);
  ASSERT_EQ(result.LeftOut.size(), 3u);
  EXPECT_EQ(result.LeftOut[0].Line, 15);
  EXPECT_EQ(result.LeftOut[0].Why, TTuikaLeftOut::ReadingTooLong);
  EXPECT_EQ(result.LeftOut[1].Line, 19);
  EXPECT_EQ(result.LeftOut[1].Why, TTuikaLeftOut::Blank);
  EXPECT_EQ(result.LeftOut[2].Line, 21);
  EXPECT_EQ(result.LeftOut[2].Why, TTuikaLeftOut::SeikaiTooWide);
  EXPECT_EQ(TuikaLeftOutMessage(result.LeftOut),
            "「追加問題.txt」の次の問題は出題しません。\n"
            "・15行目「長い」: 読みが39文字を超えています。\n"
            "・19行目「答え」: 答えか読みの行が空です。\n"
            "・21行目「幅広」: 答えが長すぎて画面に収まりません。");
  EXPECT_EQ(TuikaLeftOutMessage({}), "");
}

// The file that ships says how it is read: UTF-8 (as it is), its 14 header lines and no
// question.
TEST_F(TuikaMondaiTest, TheShippedFileTellsTheTruthAboutItsEncoding) {
  std::ifstream stream(files::ExecutableFolder() / kTuikaFileName, std::ios::binary);
  ASSERT_TRUE(stream) << "the shipped 追加問題.txt is not beside the tests";
  const std::string bytes((std::istreambuf_iterator<char>(stream)),
                          std::istreambuf_iterator<char>());
  EXPECT_EQ(codepage::Utf16ToUtf8(codepage::Utf8ToUtf16(bytes)), bytes) << "not UTF-8";
  const TuikaLoadResult result = LoadTuikaMondaiFromBytes(catalogue, bytes);
  EXPECT_EQ(result.LineCount, 14);
  EXPECT_EQ(bytes.find("Shift-JIS のまま"), std::string::npos);
  EXPECT_NE(bytes.find("UTF-8"), std::string::npos);
}

TEST_F(TuikaMondaiTest, AMeaningPairFollowsItsQuestionAndOlderReadersSkipIt) {
  const std::vector<std::string> withImi = {"猫に小判",
                                            "ねこにこばん",
                                            "意味：　値打ちの分からない者に宝。 ",
                                            "",  // full-width colon
                                            "一",
                                            "いち",  // no meaning
                                            "二",
                                            "に",
                                            "意味:半角の印",
                                            "　",  // half-width colon
                                            " ",
                                            "とばす",
                                            "意味：飛ばされた問題の意味",
                                            "",  // question skipped
                                            "意味：答えに見える",
                                            "いみ",  // a reading below it: an ordinary question
                                            "三",
                                            "さん"};
  LoadTuikaMondaiFromBytes(catalogue, TuikaFile(withImi));
  ExpectConsistent();
  ASSERT_EQ(catalogue.TuikaCount, 5);
  EXPECT_EQ(catalogue.Imi(171), U("値打ちの分からない者に宝。"));
  EXPECT_EQ(catalogue.Imi(172), u"");
  EXPECT_EQ(catalogue.Imi(173), U("半角の印"));
  EXPECT_EQ(catalogue.Seikai(174), U("意味：答えに見える"));
  EXPECT_EQ(catalogue.Imi(174), u"");
  EXPECT_EQ(catalogue.Reading(175), U("さん"));
  EXPECT_EQ(catalogue.Gloss(171), u"");

  // An older reader takes a meaning pair as one more pair and rejects it for its blank
  // reading; without the meaning pairs the questions are the same, in the same order.
  for (std::size_t i = 0; i + 1 < withImi.size(); i += 2) {
    const std::u16string first = U(withImi[i].c_str()), second = U(withImi[i + 1].c_str());
    if (!TuikaImiOfPair(first, second).empty()) {
      EXPECT_FALSE(IsAcceptableTuikaPair(first, second)) << withImi[i];
    }
  }
  TCatalogue older;
  BuildMondaiTable(older);
  LoadTuikaMondaiFromBytes(older, TuikaFile({"猫に小判", "ねこにこばん", "一", "いち", "二", "に",
                                             "意味：答えに見える", "いみ", "三", "さん"}));
  EXPECT_EQ(older.TuikaMondaiList, catalogue.TuikaMondaiList);
  EXPECT_EQ(older.TuikaSeikaiList, catalogue.TuikaSeikaiList);

  // An appended question has no meaning.
  AppendTuikaMondai(catalogue, u"よん", u"四");
  ExpectConsistent();
  EXPECT_EQ(catalogue.Imi(catalogue.MondaiCount()), u"");
}

TEST_F(TuikaMondaiTest, ThreePairsNumberQuestionsUpTo173) {
  LoadTuikaMondaiFromBytes(catalogue, TuikaFile({"一", "いち", "二", "に", "三", "さん"}));
  EXPECT_EQ(catalogue.TuikaCount, 3);
  EXPECT_EQ(catalogue.SpeechList.size(), 174u);
  EXPECT_EQ(catalogue.MondaiCount(), 173);
  EXPECT_EQ(catalogue.Reading(173), U("さん"));
  EXPECT_EQ(catalogue.Seikai(172), U("二"));
  EXPECT_FALSE(catalogue.IsMondaiNo(174));
  // The built-in part is untouched.
  EXPECT_EQ(catalogue.Reading(170), u"Boys,be ambitious!");
  ExpectConsistent();
}

TEST_F(TuikaMondaiTest, NoAcceptablePairChangesNothing) {
  LoadTuikaMondaiFromBytes(catalogue, TuikaFile({"一", "いち"}));
  catalogue.TuikaShutsudai[0] = 1;
  catalogue.TuikaShutsudaiCount = 1;
  const TuikaLoadResult result = LoadTuikaMondaiFromBytes(catalogue, TuikaFile({" ", "から"}));
  EXPECT_EQ(result.Accepted, 0);
  EXPECT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.TuikaMondaiList[0], U("いち"));
  EXPECT_EQ(catalogue.TuikaShutsudaiCount, 0);
}

TEST_F(TuikaMondaiTest, LineEndsDoNotMatter) {
  const std::vector<std::string> lines = {"一", "いち", "二", "に"};
  std::vector<std::u16string> seen;
  for (const std::string end : {"\r\n", "\n", "\r"}) {
    TCatalogue fresh;
    BuildMondaiTable(fresh);
    LoadTuikaMondaiFromBytes(fresh, TuikaFile(lines, end));
    ASSERT_EQ(fresh.TuikaCount, 2) << "line end of " << end.size() << " bytes";
    seen.push_back(fresh.TuikaMondaiList[1]);
  }
  EXPECT_EQ(seen[0], U("に"));
  EXPECT_EQ(seen[1], seen[0]);
  EXPECT_EQ(seen[2], seen[0]);

  // No break after the last line: the line still counts.
  std::string text = TuikaFile({"一"}) + codepage::Utf8ToSjis("いち");
  LoadTuikaMondaiFromBytes(catalogue, text);
  ASSERT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.TuikaMondaiList[0], U("いち"));
}

TEST_F(TuikaMondaiTest, JunkBytesAreTextNotACrash) {
  // A lead byte right before the line break must not swallow the break; the torn character
  // is not a question.
  std::string text = TuikaFile({}) + "\x82\r\n" + codepage::Utf8ToSjis("よみ") + "\r\n" +
                     codepage::Utf8ToSjis("次\r\nつぎ\r\n");
  const TuikaLoadResult torn = LoadTuikaMondaiFromBytes(catalogue, text);
  ASSERT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.TuikaMondaiList[0], U("つぎ"));
  ASSERT_EQ(torn.LeftOut.size(), 1u);
  EXPECT_EQ(torn.LeftOut[0].Line, 15);
  EXPECT_EQ(torn.LeftOut[0].Why, TTuikaLeftOut::Unreadable);

  std::mt19937 generator(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 50; ++round) {
    std::string junk = TuikaFile({});
    for (int i = 0; i < 2000; ++i) junk.push_back(static_cast<char>(byte(generator)));
    TCatalogue fresh;
    BuildMondaiTable(fresh);
    LoadTuikaMondaiFromBytes(fresh, junk);
    const auto count = static_cast<size_t>(fresh.TuikaCount);
    EXPECT_EQ(fresh.SpeechList.size(), 171 + count);
    for (const auto& reading : fresh.TuikaMondaiList) {
      EXPECT_LE(reading.size(), 39u);
      EXPECT_TRUE(IsTypableReading(reading));
    }
    for (const auto& seikai : fresh.TuikaSeikaiList) EXPECT_EQ(seikai.find(u'\uFFFD'), seikai.npos);
  }
}

TEST_F(TuikaMondaiTest, ByteOrderMarksSelectUnicode) {
  // UTF-8 with a byte-order mark, as many editors save it.
  std::string utf8 = "\xEF\xBB\xBF";
  for (int i = 0; i < 14; ++i) utf8 += "header\n";
  utf8 += "猿も木から落ちる\nさるもきからおちる\n";
  LoadTuikaMondaiFromBytes(catalogue, utf8);
  ASSERT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.TuikaSeikaiList[0], U("猿も木から落ちる"));

  // UTF-16, little and big endian.
  for (bool bigEndian : {false, true}) {
    std::u16string text;
    for (int i = 0; i < 14; ++i) text += u"header\r\n";
    text += U("一\r\nいち\r\n");
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
      const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
      bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    TCatalogue fresh;
    BuildMondaiTable(fresh);
    LoadTuikaMondaiFromBytes(fresh, bytes);
    ASSERT_EQ(fresh.TuikaCount, 1) << bigEndian;
    EXPECT_EQ(fresh.TuikaMondaiList[0], U("いち")) << bigEndian;
  }
}

// A file without a byte-order mark is UTF-8 when it is valid UTF-8 with non-ASCII text (what
// every Linux editor saves); otherwise it stays Shift-JIS, as Windows editors save it.
TEST_F(TuikaMondaiTest, UnmarkedUtf8IsReadAsUtf8AndShiftJisStaysShiftJis) {
  std::string japaneseHeader, asciiHeader;
  for (int i = 1; i <= 14; ++i) {
    japaneseHeader += "説明の行 " + std::to_string(i) + "\n";
    asciiHeader += "header " + std::to_string(i) + "\n";
  }
  const struct {
    const char* Name;
    std::string Bytes;
    const char* Seikai;
    const char* Mondai;
  } cases[] = {
      {"UTF-8", japaneseHeader + "猿も木から落ちる\nさるもきからおちる\n", "猿も木から落ちる",
       "さるもきからおちる"},
      {"UTF-8 past an ASCII header", asciiHeader + "Grüße\nぐりゅーせ\n", "Grüße", "ぐりゅーせ"},
      {"Shift-JIS", TuikaFile({"猿も木から落ちる", "さるもきからおちる"}), "猿も木から落ちる",
       "さるもきからおちる"},
      // A torn sequence leaves its line unreadable: never a garbled question.
      {"broken UTF-8", japaneseHeader + "猿\xE3\x82\nさる\n", nullptr, "さる"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TCatalogue fresh;
    BuildMondaiTable(fresh);
    LoadTuikaMondaiFromBytes(fresh, c.Bytes);
    if (c.Seikai == nullptr) {
      EXPECT_TRUE(fresh.TuikaCount == 0 || fresh.TuikaMondaiList[0] != U(c.Mondai));
      continue;
    }
    ASSERT_EQ(fresh.TuikaCount, 1);
    EXPECT_EQ(fresh.TuikaSeikaiList[0], U(c.Seikai));
    EXPECT_EQ(fresh.TuikaMondaiList[0], U(c.Mondai));
  }
}

// A UTF-8 file with one line of stray bytes stays UTF-8: that line alone is left out and
// listed, and nothing turns into Shift-JIS mojibake.
TEST_F(TuikaMondaiTest, OneBadLineInUtf8LeavesTheRestUtf8) {
  std::string text;
  for (int i = 1; i <= 14; ++i) text += "説明の行 " + std::to_string(i) + "\n";
  text +=
      "猫に小判\nねこにこばん\n壊\x82れ\nこわれ\n猿も木から落ちる\nさるもきからおちる\n"
      "意味：木\x82\n\n";  // line 21: a meaning with a stray byte
  const TuikaLoadResult result = LoadTuikaMondaiFromBytes(catalogue, text);
  ASSERT_EQ(catalogue.TuikaCount, 2);
  EXPECT_EQ(catalogue.Seikai(171), U("猫に小判"));
  EXPECT_EQ(catalogue.Seikai(172), U("猿も木から落ちる"));
  EXPECT_EQ(catalogue.Reading(172), U("さるもきからおちる"));
  EXPECT_EQ(catalogue.Imi(172), u"");
  ASSERT_EQ(result.LeftOut.size(), 2u);
  EXPECT_EQ(result.LeftOut[0].Line, 17);
  EXPECT_EQ(result.LeftOut[0].Why, TTuikaLeftOut::Unreadable);
  EXPECT_EQ(result.LeftOut[1].Line, 21);
  EXPECT_EQ(result.LeftOut[1].Why, TTuikaLeftOut::Unreadable);
  EXPECT_NE(TuikaLeftOutMessage(result.LeftOut).find("17行目"), std::string::npos);

  // A Shift-JIS file with one stray byte stays Shift-JIS the same way.
  const std::string sjis = TuikaFile({"猫に小判", "ねこにこばん"}) + "\x82\xFF\n" +
                           codepage::Utf8ToSjis("こわれ\n一\nいち\n");
  TCatalogue fresh;
  BuildMondaiTable(fresh);
  const TuikaLoadResult sjisResult = LoadTuikaMondaiFromBytes(fresh, sjis);
  ASSERT_EQ(fresh.TuikaCount, 2);
  EXPECT_EQ(fresh.Seikai(172), U("一"));
  ASSERT_EQ(sjisResult.LeftOut.size(), 1u);
  EXPECT_EQ(sjisResult.LeftOut[0].Why, TTuikaLeftOut::Unreadable);
}

// A reading holds only what the answer field makes in the hiragana mode.
TEST_F(TuikaMondaiTest, AReadingHoldsOnlyWhatTheAnswerFieldTypes) {
  const struct {
    std::u16string Reading;
    bool Typable;
  } cases[] = {
      {u"ねこにこばん", true},
      {u"ゔぁいおりん、ぼーる。「ゎ」！？", true},
      {u"Boys,be ambitious!", true},
      {u"I'd rather not.", true},
      {u"意味：値打ちの分からない者", false},
      {u"ねこに小判", false},
      {u"ネコ", false},
      {u"ねこ　こばん", false},
      {std::u16string(u"ね\0こ", 3), false},
      {u"ね\uFFFDこ", false},
      {u"ねこ dog", false},
      {u"Café", false},
      {u"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsTypableReading(c.Reading), c.Typable) << codepage::Utf16ToUtf8(c.Reading);
    EXPECT_EQ(IsAcceptableTuikaPair(u"答え", c.Reading), c.Typable);
  }
  // Every built-in proverb's reading is one the field types.
  for (std::int32_t no = 1; no <= kBuiltInMondaiCount; ++no) {
    EXPECT_TRUE(IsTypableReading(catalogue.Reading(no))) << no;
  }
  // A written form holding a NUL is not a question either.
  EXPECT_FALSE(IsAcceptableTuikaPair(std::u16string(u"猫\0", 2), u"ねこ"));
}

// A meaning line without its blank line, or a question without its reading, leaves that line
// out and every pair after it as it was.
TEST_F(TuikaMondaiTest, AMissingLineNeverShiftsThePairsAfterIt) {
  const TuikaLoadResult result = LoadTuikaMondaiFromBytes(
      catalogue, TuikaFile({"猫に小判", "ねこにこばん",
                            "意味：値打ちの分からない者に宝。",  // line 17: no blank line below
                            "一", "いち",
                            "答えだけ",                      // line 20: its reading is missing
                            "二", "に", "三", "漢字の読み",  // line 23: a reading with kanji
                            "四", "よん"}));
  ExpectConsistent();
  ASSERT_EQ(catalogue.TuikaCount, 4);
  EXPECT_EQ(catalogue.Imi(171), U("値打ちの分からない者に宝。"));
  EXPECT_EQ(catalogue.Seikai(172), U("一"));
  EXPECT_EQ(catalogue.Reading(172), U("いち"));
  EXPECT_EQ(catalogue.Seikai(173), U("二"));
  EXPECT_EQ(catalogue.Reading(173), U("に"));
  EXPECT_EQ(catalogue.Seikai(174), U("四"));
  EXPECT_EQ(catalogue.Reading(174), U("よん"));
  ASSERT_EQ(result.LeftOut.size(), 2u);
  EXPECT_EQ(result.LeftOut[0].Line, 20);
  EXPECT_EQ(result.LeftOut[0].Why, TTuikaLeftOut::ReadingNotTypable);
  EXPECT_EQ(result.LeftOut[1].Line, 23);
  EXPECT_EQ(result.LeftOut[1].Why, TTuikaLeftOut::ReadingNotTypable);
  EXPECT_NE(TuikaLeftOutMessage(result.LeftOut).find("20行目「答えだけ」"), std::string::npos);
}

class TuikaFileTest : public TuikaMondaiTest {
 protected:
  void SetUp() override {
    TuikaMondaiTest::SetUp();
    folder = std::filesystem::temp_directory_path() /
             ("nightwisp-tuika-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::filesystem::path folder;
};

TEST_F(TuikaFileTest, MissingFileLeavesTheBuiltInCatalogue) {
  const TuikaLoadResult result = LoadTuikaMondai(catalogue, folder);
  EXPECT_FALSE(result.FileFound);
  EXPECT_TRUE(result.Error.empty());
  EXPECT_EQ(catalogue.TuikaCount, 0);
  EXPECT_EQ(catalogue.SpeechList.size(), 171u);
}

TEST_F(TuikaFileTest, ReadsTheFileBesideTheExecutable) {
  std::ofstream(folder / kTuikaFileName, std::ios::binary) << TuikaFile({"一", "いち"});
  const TuikaLoadResult result = LoadTuikaMondai(catalogue, folder);
  EXPECT_TRUE(result.FileFound);
  EXPECT_TRUE(result.Error.empty());
  ASSERT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.TuikaMondaiList[0], U("いち"));
}

TEST_F(TuikaFileTest, AFolderInPlaceOfTheFileIsReported) {
  std::filesystem::create_directory(folder / kTuikaFileName);
  const TuikaLoadResult result = LoadTuikaMondai(catalogue, folder);
  EXPECT_TRUE(result.FileFound);
  EXPECT_FALSE(result.Error.empty());
  EXPECT_EQ(catalogue.TuikaCount, 0);
}

// The player edits an own copy in the per-user folder, made once from the shipped file; from
// then on it is the file the game reads, and the shipped one is never written.
TEST_F(TuikaFileTest, ThePlayerEditsAndTheGameReadsTheOwnCopy) {
  const std::filesystem::path appDir = folder / "usr-share";
  const std::filesystem::path userDir = folder / "Documents" / "Amaneya" / "NightwispData";
  std::filesystem::create_directories(appDir);
  const std::string shipped = TuikaFile({"一", "いち"});
  std::ofstream(appDir / kTuikaFileName, std::ios::binary) << shipped;
  EXPECT_EQ(TuikaFolder(appDir, userDir), appDir);

  std::string error;
  const std::filesystem::path own = TuikaFileForEditing(appDir, userDir, error);
  EXPECT_EQ(own, userDir / kTuikaFileName);
  EXPECT_TRUE(error.empty()) << error;
  std::ifstream copied(own, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), shipped);
  EXPECT_EQ(TuikaFolder(appDir, userDir), userDir);

  // The player's edits stay: a second opening does not copy the shipped file again.
  std::ofstream(own, std::ios::binary) << TuikaFile({"二", "に"});
  EXPECT_EQ(TuikaFileForEditing(appDir, userDir, error), own);
  const TuikaLoadResult result = LoadTuikaMondai(catalogue, TuikaFolder(appDir, userDir));
  EXPECT_TRUE(result.Error.empty());
  ASSERT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.TuikaMondaiList[0], U("に"));
  std::ifstream kept(appDir / kTuikaFileName, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), shipped);
}

TEST_F(TuikaFileTest, NoShippedFileToCopyIsReportedAndLeavesNothing) {
  std::string error;
  EXPECT_TRUE(TuikaFileForEditing(folder / "app", folder / "user", error).empty());
  EXPECT_NE(error.find("追加問題.txt"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(folder / "user" / kTuikaFileName));
}

}  // namespace
