// text-to-sjis IN OUT: turns one of the shipped text files (kept as UTF-8 in data/) into the
// form the game and the player's editor read: Shift-JIS with CR LF line ends. Built and run by
// data/CMakeLists.txt. A character that Shift-JIS cannot hold stops the build with its line
// number instead of turning silently into '?'.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/codepage/codepage.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "text-to-sjis: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: text-to-sjis IN OUT");
  const std::filesystem::path inPath = argv[1];
  const std::filesystem::path outPath = argv[2];

  std::ifstream in(inPath, std::ios::binary);
  if (!in) return Fail("cannot open " + inPath.string());
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  if (codepage::Utf16ToUtf8(codepage::Utf8ToUtf16(text)) != text) {
    return Fail(inPath.string() + " is not valid UTF-8");
  }

  std::string out;
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    const bool hasBreak = end != std::string::npos;
    if (!hasBreak) end = text.size();
    ++lineNumber;
    const std::u16string line =
        codepage::Utf8ToUtf16(std::string_view(text).substr(start, end - start));
    const std::string sjis = codepage::Utf16ToSjis(line);
    if (codepage::SjisToUtf16(sjis) != line) {
      return Fail(inPath.string() + ":" + std::to_string(lineNumber) +
                  ": a character has no Shift-JIS form");
    }
    out += sjis;
    if (hasBreak) {
      out += "\r\n";
      end += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    }
    start = end;
  }

  // Written beside the target and renamed over it, so a failed build never leaves half a file.
  const std::filesystem::path temporary = outPath.string() + ".tmp";
  std::error_code error;
  if (outPath.has_parent_path()) std::filesystem::create_directories(outPath.parent_path(), error);
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << out;
    file.close();
    if (!file) return Fail("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, outPath, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return Fail("cannot write " + outPath.string());
  }
  return 0;
}
