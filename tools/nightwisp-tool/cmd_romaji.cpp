// nightwisp-tool romaji TEXT...: for each TEXT, one line with the answer field's text after
// TEXT is typed into it key by key, romaji becoming kana as in the game, and Enter is pressed.
#include <cstdio>
#include <string>

#include "commands.h"
#include "platform/codepage/codepage.h"
#include "rules/romaji.h"

namespace tool {

int RunRomaji(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "usage: nightwisp-tool romaji TEXT...\n");
    return 2;
  }
  for (const std::string& text : args) {
    const std::string line =
        codepage::Utf16ToUtf8(game::RomajiTyped(codepage::Utf8ToUtf16(text))) + '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "romaji: cannot write the result\n");
    return 1;
  }
  return 0;
}

}  // namespace tool
