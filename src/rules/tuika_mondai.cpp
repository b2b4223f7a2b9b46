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

// The file's lines as wide strings; bytes the encoding cannot read become U+FFFD. A file
// without a byte-order mark is UTF-8 when more of its lines holding non-ASCII bytes read as
// UTF-8 than do not: Shift-JIS kana and kanji practically never read as UTF-8, so one bad line
// in a UTF-8 file (a paste, a stray byte) leaves the file UTF-8 and only that line unreadable.
// Shift-JIS lines are split before decoding, so that a stray lead byte at the end of a line can
// never swallow the line break that follows it.
std::vector<std::u16string> DecodeLines(std::string_view bytes) {
  std::vector<std::u16string> lines;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    for (auto line : SplitLines(bytes.substr(3))) lines.push_back(codepage::Utf8ToUtf16(line));
    return lines;
  }
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    const std::u16string text = Utf16FromBytes(bytes.substr(2), bytes[0] == '\xFE');
    for (auto line : SplitLines(std::u16string_view(text))) lines.emplace_back(line);
    return lines;
  }
  const std::vector<std::string_view> raw = SplitLines(bytes);
  std::size_t utf8 = 0;
  std::size_t other = 0;
  for (auto line : raw) {
    std::u16string text = codepage::Utf8ToUtf16(line);
    if (text.find(u'\uFFFD') != text.npos) {
      ++other;
    } else if (std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x80; })) {
      ++utf8;
    }
    lines.push_back(std::move(text));
  }
  if (utf8 > other) return lines;
  lines.clear();
  for (auto line : raw) lines.push_back(codepage::SjisToUtf16(line));
  return lines;
}

bool IsImiLine(std::u16string_view line) {
  return line.starts_with(kTuikaImiMark) || line.starts_with(u"意味:");
}

}  // namespace

TuikaLoadResult LoadTuikaMondaiFromBytes(TCatalogue& catalogue, std::string_view bytes,
                                         const TTuikaScreenCheck& fits) {
  TuikaLoadResult result;
  result.FileFound = true;
  std::vector<std::u16string> lines = DecodeLines(bytes);
  result.LineCount = static_cast<std::int32_t>(lines.size());

  // Count first: a file without a single usable pair changes nothing.
  std::vector<std::size_t> accepted;
  std::vector<std::u16string> meanings;  // of each accepted question
  bool afterAccepted = false;            // the lines at i come right after an accepted question
  const auto lineNumber = [](std::size_t i) { return static_cast<std::int32_t>(i) + 1; };
  // The meaning on line i, for the question right above it; one the file's encoding could not
  // read is listed instead.
  const auto takeMeaning = [&](std::size_t i, std::u16string imi) {
    if (imi.find(u'\uFFFD') != imi.npos) {
      result.LeftOut.push_back({lineNumber(i), lines[i], TTuikaLeftOut::Unreadable});
    } else if (afterAccepted && !imi.empty()) {
      meanings.back() = std::move(imi);
    }
  };
  for (std::size_t i = kTuikaHeaderLines; i + 1 < lines.size();) {
    const std::u16string& first = lines[i];
    const std::u16string& second = lines[i + 1];
    ++result.PairCount;
    std::u16string imi = TuikaImiOfPair(first, second);
    if (!imi.empty() || (IsBlankTuikaLine(first) && IsBlankTuikaLine(second))) {
      // A meaning, or spacing: neither is a question left out.
      takeMeaning(i, std::move(imi));
      afterAccepted = false;
      i += 2;
      continue;
    }
    std::optional<TTuikaLeftOut> why = TuikaPairProblem(first, second);
    if (!why && fits) why = fits(first, second);
    if (!why) {
      accepted.push_back(i);
      meanings.emplace_back();
      afterAccepted = true;
      i += 2;
      continue;
    }
    // The second line cannot be a reading but the third can: the second starts the next pair,
    // and the first stands alone.
    const bool standsAlone = why == TTuikaLeftOut::ReadingNotTypable && i + 2 < lines.size() &&
                             IsTypableReading(WithoutSpeechMarks(lines[i + 2]));
    if (standsAlone && IsImiLine(first)) {
      takeMeaning(i, TuikaImiOfPair(first, u""));
    } else {
      result.LeftOut.push_back({lineNumber(i), first, *why});
    }
    afterAccepted = false;
    i += standsAlone ? 1 : 2;
  }
  result.Accepted = static_cast<std::int32_t>(accepted.size());

  if (!accepted.empty()) {
    catalogue.TuikaCount = result.Accepted;
    catalogue.TuikaSeikaiList.assign(accepted.size(), std::u16string());
    catalogue.TuikaMondaiList.assign(accepted.size(), std::u16string());
    catalogue.TuikaImiList = std::move(meanings);
    catalogue.TuikaShutsudai.assign(accepted.size(), 0);
    catalogue.SpeechList.resize(kBuiltInMondaiCount + 1 + accepted.size());
    for (std::size_t k = 0; k < accepted.size(); ++k) {
      std::u16string& seikai = lines[accepted[k]];
      std::u16string& reading = lines[accepted[k] + 1];
      // The reading is spoken with the marks it carries (one heiban phrase without any), and
      // typed without them.
      catalogue.TuikaMondaiList[k] = WithoutSpeechMarks(reading);
      catalogue.SpeechList[kBuiltInMondaiCount + 1 + k] = std::move(reading);
      catalogue.TuikaSeikaiList[k] = std::move(seikai);
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
      case TTuikaLeftOut::Unreadable:
        text += ": ファイルの文字コードで読めない文字があります。";
        break;
      case TTuikaLeftOut::ReadingNotTypable:
        text += ": 次の行が、ひらがなで打てる読みではありません。";
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
