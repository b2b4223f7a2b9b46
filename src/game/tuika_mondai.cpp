// Reading the additional questions of "追加問題.txt".
#include <algorithm>
#include <exception>
#include <fstream>
#include <iterator>
#include <system_error>

#include "game/catalogue.h"
#include "platform/codepage/codepage.h"

namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

// Splits text at CR LF, LF or a lone CR, as a string list loads a text file: a break at the
// very end does not start another (empty) line.
template <typename Char>
std::vector<std::basic_string_view<Char>> SplitLines(std::basic_string_view<Char> text) {
  std::vector<std::basic_string_view<Char>> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const Char c = text[i];
    if (c != Char('\r') && c != Char('\n')) {
      ++i;
      continue;
    }
    lines.push_back(text.substr(start, i - start));
    i += (c == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n')) ? 2 : 1;
    start = i;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian) {
  std::u16string text;
  text.reserve(bytes.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    text.push_back(
        static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  if (bytes.size() % 2 != 0) text.push_back(u'\uFFFD');  // a torn last character
  return text;
}

// Whether the bytes are well-formed UTF-8 holding at least one non-ASCII character (decoding
// and encoding again gives them back unchanged). Shift-JIS text with kana or kanji practically
// never passes, so such a file is what a Linux editor saved.
bool IsUnmarkedUtf8(std::string_view bytes) {
  const bool nonAscii = std::any_of(bytes.begin(), bytes.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return nonAscii && codepage::Utf16ToUtf8(codepage::Utf8ToUtf16(bytes)) == bytes;
}

// The file's lines as wide strings. Shift-JIS lines are split before decoding, so that a stray
// lead byte at the end of a line can never swallow the line break that follows it.
std::vector<std::u16string> DecodeLines(std::string_view bytes) {
  std::vector<std::u16string> lines;
  if (StartsWith(bytes, "\xEF\xBB\xBF") || IsUnmarkedUtf8(bytes)) {
    const std::string_view text = StartsWith(bytes, "\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    for (auto line : SplitLines(text)) lines.push_back(codepage::Utf8ToUtf16(line));
  } else if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    const std::u16string text = Utf16FromBytes(bytes.substr(2), bytes[0] == '\xFE');
    for (auto line : SplitLines(std::u16string_view(text))) lines.emplace_back(line);
  } else {
    for (auto line : SplitLines(bytes)) lines.push_back(codepage::SjisToUtf16(line));
  }
  return lines;
}

}  // namespace

TuikaLoadResult LoadTuikaMondaiFromBytes(TCatalogue& catalogue, std::string_view bytes) {
  TuikaLoadResult result;
  result.FileFound = true;
  std::vector<std::u16string> lines = DecodeLines(bytes);
  result.LineCount = static_cast<std::int32_t>(lines.size());

  // Fewer than 16 lines holds no complete pair after the header.
  if (lines.size() >= static_cast<std::size_t>(kTuikaHeaderLines) + 2) {
    // An odd line at the end has no partner.
    if ((lines.size() - kTuikaHeaderLines) % 2 != 0) lines.pop_back();
    result.PairCount = static_cast<std::int32_t>((lines.size() - kTuikaHeaderLines) / 2);

    // Count first: a file without a single usable pair changes nothing.
    std::vector<std::size_t> accepted;
    for (std::size_t k = 0; k < static_cast<std::size_t>(result.PairCount); ++k) {
      const std::size_t first = kTuikaHeaderLines + 2 * k;
      if (IsAcceptableTuikaPair(lines[first], lines[first + 1])) accepted.push_back(first);
    }
    result.Accepted = static_cast<std::int32_t>(accepted.size());

    if (!accepted.empty()) {
      catalogue.TuikaCount = result.Accepted;
      catalogue.TuikaSeikaiList.assign(accepted.size(), std::u16string());
      catalogue.TuikaMondaiList.assign(accepted.size(), std::u16string());
      catalogue.TuikaImiList.assign(accepted.size(), std::u16string());
      catalogue.TuikaShutsudai.assign(accepted.size(), 0);
      catalogue.SpeechList.resize(kBuiltInMondaiCount + 1 + accepted.size());
      for (std::size_t k = 0; k < accepted.size(); ++k) {
        std::u16string& seikai = lines[accepted[k]];
        std::u16string& reading = lines[accepted[k] + 1];
        // The reading is spoken as it stands, without prosody marks.
        catalogue.SpeechList[kBuiltInMondaiCount + 1 + k] = reading;
        catalogue.TuikaMondaiList[k] = std::move(reading);
        catalogue.TuikaSeikaiList[k] = std::move(seikai);
        // The pair after an accepted question may give its meaning.
        const std::size_t next = accepted[k] + 2;
        if (next + 1 < lines.size()) {
          catalogue.TuikaImiList[k] = TuikaImiOfPair(lines[next], lines[next + 1]);
        }
      }
    }
  }
  catalogue.TuikaShutsudaiCount = 0;
  return result;
}

TuikaLoadResult LoadTuikaMondai(TCatalogue& catalogue, const std::filesystem::path& appDir) {
  const std::filesystem::path file = appDir / kTuikaFileName;
  TuikaLoadResult result;
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return result;
  result.FileFound = true;
  if (std::filesystem::is_directory(file, error)) {
    result.Error = file.string() + " is a folder, not a text file";
    return result;
  }
  std::string bytes;
  try {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
      result.Error = "cannot open " + file.string();
      return result;
    }
    bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    if (stream.bad()) {
      result.Error = "cannot read " + file.string();
      return result;
    }
  } catch (const std::exception& e) {  // the stream library reports some read errors this way
    result.Error = "cannot read " + file.string() + ": " + e.what();
    return result;
  }
  return LoadTuikaMondaiFromBytes(catalogue, bytes);
}
