// ExpandBPE over arbitrary packed bytes, checked against a plain one-code-at-a-time
// expansion written here from the block format: both must agree on success or failure and,
// on success, on every byte. Input: 2 bytes of expected size (little-endian), the rest is the
// packed data. (The packer's round trip has its own, slower target.)
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "archive/bpe_expand.h"
#include "archive/qda_error.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::optional<std::vector<std::uint8_t>> PlainExpand(std::span<const std::uint8_t> in,
                                                     std::size_t expected) {
  std::vector<std::uint8_t> out;
  std::size_t pos = 0;
  std::array<std::uint8_t, 256> left{}, right{}, stack{};
  while (pos < in.size()) {
    for (int i = 0; i < 256; ++i) left[i] = static_cast<std::uint8_t>(i);
    int c = 0;
    for (;;) {
      if (pos >= in.size()) return std::nullopt;
      int count = in[pos++];
      if (count > 127) {
        c += count - 127;
        count = 0;
      }
      if (c == 256) break;
      if (c + count + 1 > 256) return std::nullopt;
      for (int k = 0; k <= count; ++k, ++c) {
        if (pos >= in.size()) return std::nullopt;
        left[c] = in[pos++];
        if (left[c] != c) {
          if (pos >= in.size()) return std::nullopt;
          right[c] = in[pos++];
        }
      }
      if (c == 256) break;
    }
    if (in.size() - pos < 4) return std::nullopt;
    std::size_t length = in[pos] | (in[pos + 1] << 8) | (in[pos + 2] << 16) |
                         (static_cast<std::size_t>(in[pos + 3]) << 24);
    pos += 4;
    if (length > in.size() - pos) return std::nullopt;
    std::size_t i = 0;
    for (;;) {
      int code;
      if (i > 0) {
        code = stack[--i];
      } else {
        if (length == 0) break;
        --length;
        code = in[pos++];
      }
      if (left[code] == code) {
        if (out.size() >= expected) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(code));
      } else {
        if (i + 2 > 256) return std::nullopt;
        stack[i++] = right[code];
        stack[i++] = left[code];
      }
    }
  }
  if (out.size() != expected) return std::nullopt;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t expected = data[0] | (data[1] << 8);
  const std::span<const std::uint8_t> packed(data + 2, size - 2);

  const auto plain = PlainExpand(packed, expected);
  try {
    auto out = ExpandBPE(packed, expected);
    Check(plain.has_value());
    Check(out->Position() == 0);
    Check(out->ByteSize() == plain->size());
    Check(std::equal(plain->begin(), plain->end(), out->Memory()));
  } catch (const EQDAError&) {
    Check(!plain.has_value());
  }

  return 0;
}
