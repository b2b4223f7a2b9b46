// A growable byte buffer with a size and a position: what the archive reader hands back and
// what the texture loader decodes pictures from. Writing past the end grows the stream (the
// gap, if the position was beyond the end, is filled with zero bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "archive/stream.h"

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  // A stream holding a copy of bytes, positioned at 0.
  explicit TMemoryStream(std::span<const std::uint8_t> bytes);

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }

  // New bytes are zero; the position is kept (it may end up beyond the end).
  void SetSize(std::size_t size);
  void Clear();

  std::uint8_t* Memory() { return data_.data(); }
  const std::uint8_t* Memory() const { return data_.data(); }
  std::span<const std::uint8_t> Bytes() const { return data_; }
  std::size_t ByteSize() const { return data_.size(); }

 private:
  std::vector<std::uint8_t> data_;
  std::size_t position_ = 0;
};
