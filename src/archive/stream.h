// Byte streams in the run-time library's shape: a position, a size, Read/Write/Seek.
// TMemoryStream (memory_stream.h) and TFileStream (file_stream.h) are the two kinds the
// archive code and the texture loader use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/base/exception.h"

// Raised for a stream used wrongly (a seek before the start, a short ReadBuffer).
class EStreamError : public Exception {
 public:
  explicit EStreamError(const std::string& message) : Exception(message) {}
};

// Raised when a file stream cannot open its file; the message names the file and the reason.
class EFOpenError : public EStreamError {
 public:
  explicit EFOpenError(const std::string& message) : EStreamError(message) {}
};

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to count bytes at the position and advances it; returns how many were read
  // (fewer at the end of the stream, 0 past it).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes count bytes at the position and advances it; returns how many were written.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Moves the position; returns the new position. A position before 0 raises EStreamError.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t Size() = 0;

  std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

  // Read/Write that raise EStreamError unless all count bytes were transferred.
  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);

 protected:
  TStream() = default;
  TStream(const TStream&) = default;
  TStream& operator=(const TStream&) = default;
  TStream(TStream&&) = default;
  TStream& operator=(TStream&&) = default;
};
