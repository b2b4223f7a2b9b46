// Reading the additional questions of "追加問題.txt".
#include <algorithm>
#include <exception>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/codepage/codepage.h"
#include "rules/catalogue.h"

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

// The file's lines as wide strings. Shift-JIS lines are split before decoding, so that a stray
// lead byte at the end of a line can never swallow the line break that follows it.
std::vector<std::u16string> DecodeLines(std::string_view bytes) {
  std::vector<std::u16string> lines;
  if (StartsWith(bytes, "\xEF\xBB\xBF") || codepage::IsUnmarkedUtf8(bytes)) {
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

TuikaLoadResult LoadTuikaMondaiFromBytes(TCatalogue& catalogue, std::string_view bytes,
                                         const TTuikaScreenCheck& fits) {
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
      const std::u16string& seikai = lines[first];
      const std::u16string& reading = lines[first + 1];
      std::optional<TTuikaLeftOut> why = TuikaPairProblem(seikai, reading);
      if (!why && fits) why = fits(seikai, reading);
      if (!why) {
        accepted.push_back(first);
      } else if (!(IsBlankTuikaLine(seikai) && IsBlankTuikaLine(reading)) &&
                 TuikaImiOfPair(seikai, reading).empty()) {
        // Spacing and the meaning lines of the question above are not questions left out.
        result.LeftOut.push_back({static_cast<std::int32_t>(first) + 1, seikai, *why});
      }
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

std::string TuikaLeftOutMessage(const std::vector<TTuikaLeftOutPair>& leftOut) {
  if (leftOut.empty()) return {};
  // Enough to find each one in the file; a long list ends with how many more there are.
  constexpr std::size_t kListed = 10;
  constexpr std::size_t kShownCharacters = 16;
  std::string text = "「追加問題.txt」の次の問題は出題しません。";
  for (std::size_t i = 0; i < leftOut.size() && i < kListed; ++i) {
    const TTuikaLeftOutPair& pair = leftOut[i];
    const std::vector<std::u16string> characters = MojiOf(pair.Seikai);
    std::u16string shown;
    for (std::size_t c = 0; c < characters.size() && c < kShownCharacters; ++c) {
      shown += characters[c];
    }
    if (characters.size() > kShownCharacters) shown += u"…";
    text += "\n・" + std::to_string(pair.Line) + "行目";
    if (!IsBlankTuikaLine(pair.Seikai)) text += "「" + codepage::Utf16ToUtf8(shown) + "」";
    switch (pair.Why) {
      case TTuikaLeftOut::Blank:
        text += ": 答えか読みの行が空です。";
        break;
      case TTuikaLeftOut::ReadingTooLong:
        text += ": 読みが39文字を超えています。";
        break;
      case TTuikaLeftOut::SeikaiTooWide:
        text += ": 答えが長すぎて画面に収まりません。";
        break;
      case TTuikaLeftOut::ReadingTooWide:
        text += ": 読みが長すぎて画面に収まりません。";
        break;
    }
  }
  if (leftOut.size() > kListed) {
    text += "\n(ほかに" + std::to_string(leftOut.size() - kListed) + "問)";
  }
  return text;
}

TuikaLoadResult LoadTuikaMondai(TCatalogue& catalogue, const std::filesystem::path& appDir,
                                const TTuikaScreenCheck& fits) {
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
  return LoadTuikaMondaiFromBytes(catalogue, bytes, fits);
}

std::filesystem::path TuikaFolder(const std::filesystem::path& appDir,
                                  const std::filesystem::path& userDir) {
  std::error_code error;
  return std::filesystem::exists(userDir / kTuikaFileName, error) ? userDir : appDir;
}

std::filesystem::path TuikaFileForEditing(const std::filesystem::path& appDir,
                                          const std::filesystem::path& userDir,
                                          std::string& error) {
  const std::filesystem::path own = userDir / kTuikaFileName;
  std::error_code failure;
  if (std::filesystem::exists(own, failure)) return own;
  const std::filesystem::path shipped = appDir / kTuikaFileName;
  std::filesystem::create_directories(userDir, failure);
  // copy_options::none never replaces a file, should one appear in the meantime.
  if (!failure) std::filesystem::copy_file(shipped, own, failure);
  if (failure) {
    error = "cannot copy " + shipped.string() + " to " + own.string() + ": " + failure.message();
    return {};
  }
  // The copy is the player's to edit, whatever the shipped file's mode.
  std::filesystem::permissions(
      own, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
      std::filesystem::perm_options::add, failure);
  return own;
}
