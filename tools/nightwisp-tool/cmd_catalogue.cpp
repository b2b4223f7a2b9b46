// nightwisp-tool catalogue [--extra FILE]: the proverb catalogue as the game builds it, one
// question per line, tab-separated: number, reading, first written form, second written form
// (empty if none), speech string, meaning (one Japanese sentence; empty for an additional
// question whose file gives none), English gloss (built-in questions only). Questions 1..170 are
// built in; the additional questions follow from the shipped "追加問題.txt" (beside the
// executable in a build tree, in the data folder when installed), or from FILE.
//
// With --ruby: number, a tab and the first written form with each kanji run followed by its
// reading in braces (95\t糠{ぬか}に釘{くぎ}), for every question whose furigana are known.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#include "commands.h"
#include "platform/base/files.h"
#include "platform/codepage/codepage.h"
#include "platform/shell/shell.h"
#include "rules/catalogue.h"
#include "rules/furigana.h"

namespace tool {
namespace {

// One field as UTF-8. A tab or a line break inside a text would split the columns, so control
// characters are written as escapes (\t, \xNN), and a backslash as \\ to keep them apart.
std::string Field(const std::u16string& text) {
  std::string out;
  for (char c : codepage::Utf16ToUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      out += escape;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

int Usage() {
  std::fprintf(stderr, "usage: nightwisp-tool catalogue [--ruby] [--extra FILE]\n");
  return 2;
}

}  // namespace

int RunCatalogue(const std::vector<std::string>& args) {
  std::optional<std::string> extra;
  bool ruby = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--extra" && i + 1 < args.size() && !extra) {
      extra = args[++i];
    } else if (args[i] == "--ruby" && !ruby) {
      ruby = true;
    } else {
      return Usage();
    }
  }

  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  TuikaLoadResult loaded;
  std::string source;
  if (extra) {
    source = *extra;
    std::error_code error;
    if (std::filesystem::is_directory(*extra, error)) {
      std::fprintf(stderr, "catalogue: %s is a folder, not a text file\n", extra->c_str());
      return 1;
    }
    std::ifstream stream(*extra, std::ios::binary);
    if (!stream) {
      std::fprintf(stderr, "catalogue: cannot open %s\n", extra->c_str());
      return 1;
    }
    const std::string bytes{std::istreambuf_iterator<char>(stream),
                            std::istreambuf_iterator<char>()};
    if (stream.bad()) {
      std::fprintf(stderr, "catalogue: cannot read %s\n", extra->c_str());
      return 1;
    }
    loaded = LoadTuikaMondaiFromBytes(catalogue, bytes);
  } else {
    const std::filesystem::path folder = files::GameDataFolder();
    source = (folder / kTuikaFileName).string();
    loaded = LoadTuikaMondai(catalogue, folder);
    if (!loaded.Error.empty()) {
      std::fprintf(stderr, "catalogue: %s\n", loaded.Error.c_str());
      return 1;
    }
  }

  for (std::int32_t n = 1; n <= catalogue.MondaiCount(); ++n) {
    if (ruby) {
      const game::TRubyText furigana = game::Furigana(catalogue, n);
      if (furigana.empty()) continue;
      const std::string line =
          std::to_string(n) + '\t' + Field(game::RubyNotation(furigana)) + '\n';
      std::fwrite(line.data(), 1, line.size(), stdout);
      continue;
    }
    const std::string line = std::to_string(n) + '\t' + Field(catalogue.Reading(n)) + '\t' +
                             Field(catalogue.Seikai(n)) + '\t' + Field(catalogue.Seikai2(n)) +
                             '\t' + Field(catalogue.Speech(n)) + '\t' + Field(catalogue.Imi(n)) +
                             '\t' + Field(catalogue.Gloss(n)) + '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "catalogue: cannot write the listing\n");
    return 1;
  }

  if (!loaded.FileFound) {
    std::fprintf(stderr, "catalogue: no %s; 170 built-in questions\n", source.c_str());
  } else {
    std::fprintf(stderr, "catalogue: %s: %d lines, %d pairs, %d additional questions taken\n",
                 source.c_str(), loaded.LineCount, loaded.PairCount, loaded.Accepted);
  }
  return 0;
}

}  // namespace tool
