#include "archive/stream.h"

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (Read(buffer, count) != count) {
    throw EStreamError("ストリームの読み込みに失敗しました (データが足りません)");
  }
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (Write(buffer, count) != count) {
    throw EStreamError("ストリームの書き込みに失敗しました");
  }
}
