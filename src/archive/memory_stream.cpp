#include "archive/memory_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

TMemoryStream::TMemoryStream(std::span<const std::uint8_t> bytes)
    : data_(bytes.begin(), bytes.end()) {}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= data_.size()) return 0;
  const std::size_t n = std::min(count, data_.size() - position_);
  if (n > 0) std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  if (count > std::numeric_limits<std::size_t>::max() - position_) {
    throw EStreamError("メモリストリームが大きくなりすぎます");
  }
  const std::size_t end = position_ + count;
  if (end > data_.size()) data_.resize(end);
  std::memcpy(data_.data() + position_, buffer, count);
  position_ = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  switch (origin) {
    case TSeekOrigin::soBeginning:
      base = 0;
      break;
    case TSeekOrigin::soCurrent:
      base = static_cast<std::int64_t>(position_);
      break;
    case TSeekOrigin::soEnd:
      base = static_cast<std::int64_t>(data_.size());
      break;
  }
  if ((offset < 0 && base + offset < 0) ||
      (offset > 0 && offset > std::numeric_limits<std::int64_t>::max() - base)) {
    throw EStreamError("メモリストリームの位置が範囲外です");
  }
  position_ = static_cast<std::size_t>(base + offset);
  return base + offset;
}

void TMemoryStream::SetSize(std::size_t size) { data_.resize(size); }

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
}
