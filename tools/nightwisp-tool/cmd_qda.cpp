// nightwisp-tool qda: list, extract and pack QDA archives.
//   qda list ARCHIVE                 the pack method, then ID, DataOffset, PackedSize and
//                                    OriginalSize of every directory entry (tab-separated)
//   qda extract ARCHIVE ID [-o OUT]  the entry's bytes, read as the game reads them
//   qda pack [--stored] OUT FILE...  one entry per FILE, its ID the file's name
// IDs are UTF-8 on the command line and Shift-JIS inside the archive.
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "archive/ansi_lower.h"
#include "archive/file_stream.h"
#include "archive/qda_directory.h"
#include "archive/qda_writer.h"
#include "archive/qdarc.h"
#include "commands.h"
#include "platform/codepage/codepage.h"

namespace tool {
namespace {

constexpr int kUsageError = 2;

int Usage(const char* message) {
  std::fprintf(stderr,
               "qda: %s\nusage: nightwisp-tool qda list ARCHIVE\n"
               "       nightwisp-tool qda extract ARCHIVE ID [-o OUT]\n"
               "       nightwisp-tool qda pack [--stored] OUT FILE...\n",
               message);
  return kUsageError;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return 1;
}

// A command-line (UTF-8) name as a Shift-JIS ID; raises when a character has no Shift-JIS
// form, because the stand-in '?' would give a different ID.
std::string ToSjisId(const std::string& utf8) {
  std::string sjis = codepage::Utf8ToSjis(utf8);
  if (codepage::SjisToUtf8(sjis) != utf8) {
    throw EQDAError("ID '" + utf8 + "' はShift-JISで表せない文字を含んでいます");
  }
  return sjis;
}

int List(const std::vector<std::string>& args) {
  if (args.size() != 2) return Usage("list takes one ARCHIVE");
  TFileStream archive(args[1], TFileStream::TFileMode::fmOpenRead);
  const QDADirectory directory = ReadQDADirectory(archive);
  const std::uint32_t method = directory.Header.PackMethod;
  std::printf("PackMethod\t%u\t%s\n", method, method == kQDAPacked ? "packed" : "stored");
  std::printf("ID\tDataOffset\tPackedSize\tOriginalSize\n");
  for (const QDAEntry& entry : directory.Entries) {
    std::printf("%s\t%d\t%d\t%d\n", codepage::SjisToUtf8(entry.IdString()).c_str(),
                entry.DataOffset, entry.PackedSize, entry.OriginalSize);
  }
  return std::fflush(stdout) == 0 ? 0 : Fail("qda list: 標準出力に書き込めません");
}

int Extract(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  std::string out;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-o") {
      if (i + 1 >= args.size()) return Usage("-o needs a file name");
      out = args[++i];
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) return Usage("extract takes ARCHIVE and ID");
  try {
    const auto stream = ReadQDAEntry(positional[0], ToSjisId(positional[1]));
    const auto bytes = stream->Bytes();
    if (out.empty()) {
      if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
          std::fflush(stdout) != 0) {
        return Fail("qda extract: 標準出力に書き込めません");
      }
    } else {
      TFileStream file(out, TFileStream::TFileMode::fmCreate);
      file.WriteBuffer(bytes.data(), bytes.size());
      file.Close();
    }
  } catch (const Exception& error) {
    return Fail(error.what());
  }
  return 0;
}

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
  TFileStream file(path, TFileStream::TFileMode::fmOpenRead);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
  file.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

int Pack(const std::vector<std::string>& args) {
  bool packed = true;
  std::vector<std::string> positional;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--stored") {
      packed = false;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() < 2) return Usage("pack takes OUT and at least one FILE");
  std::vector<QDASourceEntry> entries;
  std::set<std::string> seen;  // lower-cased: a second entry of the same ID could never be read
  for (std::size_t i = 1; i < positional.size(); ++i) {
    const std::filesystem::path path = positional[i];
    QDASourceEntry entry;
    entry.Id = ToSjisId(path.filename().string());
    if (!seen.insert(AnsiLowerCase(entry.Id)).second) {
      return Fail("qda pack: ID '" + path.filename().string() +
                  "' が重複しています (大文字と小文字は区別されません)");
    }
    entry.Data = ReadWholeFile(path);
    entries.push_back(std::move(entry));
  }
  WriteQDAArchive(positional[0], entries, packed);
  return 0;
}

}  // namespace

int RunQda(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("missing subcommand");
  try {
    if (args[0] == "list") return List(args);
    if (args[0] == "extract") return Extract(args);
    if (args[0] == "pack") return Pack(args);
  } catch (const Exception& error) {
    return Fail("qda " + args[0] + ": " + error.what());
  }
  return Usage(("unknown subcommand '" + args[0] + "'").c_str());
}

}  // namespace tool
