// The additional-questions reader on arbitrary bytes: it must never crash, and whatever it
// reads must keep the catalogue's invariants. An input whose first byte is odd is raw bytes; an
// even one builds a file from the rest: after the header, each byte picks a line (questions,
// readings, meaning lines with or without their blank line, English, bytes no encoding reads)
// and the line's encoding (UTF-8 or Shift-JIS), so files that mix both are read often.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage/codepage.h"
#include "rules/catalogue.h"

namespace {

constexpr const char* kLines[] = {
    "猫に小判",
    "ねこにこばん",
    "意味：値打ちの分からない者に宝。",
    "意味:半角",
    "",
    " ",
    "　",
    "さるもきからおちる、「ー」！？",
    "The die is cast.",
    "漢字の読み",
    "ネコ",
    "\xE3\x82",  // a torn UTF-8 character
    "\x82",      // a lone Shift-JIS lead byte
    "\xFF\xFE",
    "ね\tこ",
    "𠮟られて育つ",
};
constexpr std::size_t kLineCount = std::size(kLines);

// Each line in UTF-8 and in Shift-JIS, converted once: converting costs more than reading.
struct TEncodedLines {
  TEncodedLines() {
    for (std::size_t i = 0; i < kLineCount; ++i) {
      Utf8[i] = kLines[i];
      Sjis[i] = codepage::Utf8ToSjis(kLines[i]);
    }
  }
  std::string Utf8[kLineCount];
  std::string Sjis[kLineCount];
};

// At most this many lines after the header: Shift-JIS is decoded a character at a time, and
// a few dozen lines already mix every kind of line and both encodings.
constexpr std::size_t kMostBuiltLines = 32;

std::string BuiltFile(const std::uint8_t* data, std::size_t size) {
  static const TEncodedLines encoded;
  size = std::min(size, kMostBuiltLines);
  std::string text;
  for (int i = 0; i < kTuikaHeaderLines; ++i) text += "header\n";
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t line = data[i] % kLineCount;
    const bool sjis = (data[i] / kLineCount) % 2 == 1;
    text += sjis ? encoded.Sjis[line] : encoded.Utf8[line];
    text += (data[i] & 0x80) ? "\r\n" : "\n";
  }
  return text;
}

bool Readable(std::u16string_view text) { return text.find(u'\uFFFD') == text.npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One catalogue for the whole run, taken back to its built-in proverbs before each input:
  // copying the 680 texts of a fresh one would cost more than reading the input.
  static TCatalogue* const shared = [] {
    auto* catalogue = new TCatalogue;
    BuildMondaiTable(*catalogue);
    return catalogue;
  }();
  TCatalogue& catalogue = *shared;
  ClearTuikaMondai(catalogue);
  std::string built;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (size > 0 && data[0] % 2 == 0) {
    built = BuiltFile(data + 1, size - 1);
    bytes = built;
  }
  const TuikaLoadResult result = LoadTuikaMondaiFromBytes(catalogue, bytes);

  const auto count = static_cast<std::size_t>(catalogue.TuikaCount);
  const bool consistent =
      result.Accepted == catalogue.TuikaCount && catalogue.SpeechList.size() == 171 + count &&
      catalogue.TuikaMondaiList.size() == count && catalogue.TuikaSeikaiList.size() == count &&
      catalogue.TuikaImiList.size() == count && catalogue.TuikaShutsudai.size() == count &&
      result.Accepted <= result.PairCount;
  if (!consistent) std::abort();
  for (std::size_t k = 0; k < count; ++k) {
    const std::u16string& seikai = catalogue.TuikaSeikaiList[k];
    const std::u16string& reading = catalogue.TuikaMondaiList[k];
    // Every question is one the player can read and type; no meaning is garbled.
    if (!IsAcceptableTuikaPair(seikai, reading) || !IsTypableReading(reading) ||
        !Readable(seikai) || !Readable(catalogue.TuikaImiList[k])) {
      std::abort();
    }
    if (catalogue.Speech(static_cast<std::int32_t>(171 + k)) != reading) std::abort();
  }
  // Each line left out is named by a line of the file, in order.
  std::int32_t previous = kTuikaHeaderLines;
  for (const TTuikaLeftOutPair& pair : result.LeftOut) {
    if (pair.Line <= previous || pair.Line > result.LineCount) std::abort();
    previous = pair.Line;
  }
  if (!result.LeftOut.empty() && TuikaLeftOutMessage(result.LeftOut).empty()) std::abort();
  return 0;
}
