#include "platform/base/debug_log.h"

#include <cstdio>
#include <fstream>
#include <utility>

#include "platform/base/files.h"

TDebugLog::TDebugLog(std::string fileName, std::string numberPrefix, std::string separator)
    : fileName_(std::move(fileName)),
      numberPrefix_(std::move(numberPrefix)),
      separator_(std::move(separator)) {}

void TDebugLog::SetFolder(const std::filesystem::path& folder) {
  folder_ = folder;
  lines_ = 0;
}

std::filesystem::path TDebugLog::FilePath() const {
  return (folder_.empty() ? files::ExecutableFolder() : folder_) / fileName_;
}

bool TDebugLog::Append(std::string_view bytes) {
  char number[16];
  std::snprintf(number, sizeof number, "%.5d", static_cast<int>(lines_ + 1));
  std::ofstream file(FilePath(),
                     std::ios::binary | (lines_ == 0 ? std::ios::trunc : std::ios::app));
  if (!file) return false;
  file << numberPrefix_ << number << separator_;
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.write("\r\n", 2);
  file.close();
  if (!file) return false;
  ++lines_;
  return true;
}
