// A stream over a file on disk, closed when the object goes away (on every path).
#pragma once

#include <cstdio>
#include <filesystem>

#include "archive/stream.h"

class TFileStream : public TStream {
 public:
  enum class TFileMode {
    fmOpenRead,  // an existing file, read only
    fmCreate,    // a new or emptied file, write only
  };

  // Raises EFOpenError (file name and the system's reason) when the file cannot be opened.
  TFileStream(const std::filesystem::path& fileName, TFileMode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override;

  // Writes buffered data out; raises EStreamError when the system reports a failure (a full
  // disk shows up here or at the final close, not at Write).
  void Flush();
  // Flushes and closes now, raising EStreamError on failure; the destructor closes silently.
  void Close();

 private:
  std::FILE* file_ = nullptr;
  std::filesystem::path fileName_;
};
