// A library's numbered debug log ("DGCarad_DebugLog.txt", "DDSD_DebugLog.txt"): one file in a
// folder, beside the executable unless a folder is set, its lines numbered from 1. The first
// line of a run (since start-up or since the folder was set) starts the file afresh. Whether a
// library writes its log at all is its own flag; what it does when the file cannot be written is
// its own choice too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

class TDebugLog {
 public:
  // Each line is numberPrefix, the line's number in five digits, separator, then the bytes
  // ("debug#00001 ... text", "#00001 | text").
  TDebugLog(std::string fileName, std::string numberPrefix, std::string separator);

  // An empty folder means the executable's. The numbering restarts.
  void SetFolder(const std::filesystem::path& folder);
  std::filesystem::path FilePath() const;

  // Appends the next numbered line, the bytes as they are, then CR LF. False when the file
  // could not be opened or written; the number is then not used up.
  bool Append(std::string_view bytes);
  std::int32_t LineCount() const { return lines_; }

 private:
  std::string fileName_, numberPrefix_, separator_;
  std::filesystem::path folder_;
  std::int32_t lines_ = 0;
};
