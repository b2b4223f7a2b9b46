#include "archive/file_stream.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <string>

namespace {

std::string Reason(int error) { return std::strerror(error); }

}  // namespace

TFileStream::TFileStream(const std::filesystem::path& fileName, TFileMode mode)
    : fileName_(fileName) {
  file_ = std::fopen(fileName.c_str(), mode == TFileMode::fmOpenRead ? "rb" : "wb");
  if (file_ == nullptr) {
    throw EFOpenError("ファイル \"" + fileName.string() + "\" を開けません: " + Reason(errno));
  }
  // The C library opens a directory for reading without complaint; it is no file, though.
  struct stat info {};
  if (fstat(fileno(file_), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file_);
    file_ = nullptr;
    throw EFOpenError("ファイル \"" + fileName.string() + "\" を開けません: " + Reason(EISDIR));
  }
}

TFileStream::~TFileStream() {
  if (file_ != nullptr) std::fclose(file_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  if (file_ == nullptr || count == 0) return 0;
  return std::fread(buffer, 1, count, file_);
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  if (file_ == nullptr || count == 0) return 0;
  return std::fwrite(buffer, 1, count, file_);
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (file_ == nullptr) throw EStreamError("閉じたファイルは位置を変えられません");
  const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                     : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                        : SEEK_END;
  if (offset != 0 || origin != TSeekOrigin::soCurrent) {
    if (offset < std::numeric_limits<off_t>::min() || offset > std::numeric_limits<off_t>::max() ||
        fseeko(file_, static_cast<off_t>(offset), whence) != 0) {
      throw EStreamError("ファイル \"" + fileName_.string() +
                         "\" の位置を変えられません: " + Reason(errno));
    }
  }
  const off_t position = ftello(file_);
  if (position < 0) {
    throw EStreamError("ファイル \"" + fileName_.string() +
                       "\" の位置がわかりません: " + Reason(errno));
  }
  return position;
}

std::int64_t TFileStream::Size() {
  const std::int64_t position = Position();
  const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
  SetPosition(position);
  return size;
}

void TFileStream::Flush() {
  if (file_ != nullptr && std::fflush(file_) != 0) {
    throw EStreamError("ファイル \"" + fileName_.string() +
                       "\" に書き込めません: " + Reason(errno));
  }
}

void TFileStream::Close() {
  if (file_ == nullptr) return;
  const bool failedBefore = std::ferror(file_) != 0;
  std::FILE* file = file_;
  file_ = nullptr;
  const bool closeFailed = std::fclose(file) != 0;
  if (closeFailed || failedBefore) {
    throw EStreamError("ファイル \"" + fileName_.string() + "\" に書き込めません" +
                       (closeFailed ? ": " + Reason(errno) : std::string()));
  }
}
