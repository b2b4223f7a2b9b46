#include "archive/bpe_expand.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "archive/qda_error.h"
#include "archive/qda_format.h"

namespace {

[[noreturn]] void RaiseCutOffTable() { throw EQDAError("圧縮データのペア表が途中で切れています"); }

[[noreturn]] void RaiseTooLong(std::size_t expandedSize) {
  throw EQDAError("圧縮データを展開すると " + std::to_string(expandedSize) +
                  " バイトを超えます (データが壊れています)");
}

[[noreturn]] void RaiseTooShort(std::uint64_t expanded, std::size_t expandedSize) {
  throw EQDAError("圧縮データを展開すると " + std::to_string(expanded) + " バイトで、" +
                  std::to_string(expandedSize) + " バイトに足りません (データが壊れています)");
}

constexpr std::size_t kShortExpansion = 32;

// The decoding state, one block at a time.
class BlockExpander {
 public:
  BlockExpander(std::span<const std::uint8_t> input, std::uint8_t* output, std::size_t outputSize)
      : input_(input), output_(output), outputSize_(outputSize) {}

  bool AtEnd() const { return inputPos_ >= input_.size(); }
  std::size_t OutputPos() const { return outputPos_; }

  void DecodeBlock() {
    ReadPairTable();
    ExpandData(ReadBlockLength());
  }

  // What the next block expands to, without writing it: each code's length is its halves'
  // sum, a pair that leads back to itself counts as endless (it overflows the stack when
  // expanded), and the sum stops at `limit`.
  std::uint64_t MeasureBlock(std::uint64_t limit) {
    ReadPairTable();
    const std::uint32_t length = ReadBlockLength();
    std::array<std::uint64_t, 256> lengths{};  // 0: not measured yet
    std::array<bool, 256> open{};
    const auto measure = [&](auto& self, std::uint8_t code) -> std::uint64_t {
      if (left_[code] == code) return 1;
      if (lengths[code] != 0) return lengths[code];
      if (open[code]) return limit;
      open[code] = true;
      const std::uint64_t sum = self(self, left_[code]) + self(self, right_[code]);
      open[code] = false;
      lengths[code] = std::min(sum, limit);
      return lengths[code];
    };
    std::uint64_t total = 0;
    for (std::uint32_t k = 0; k < length && total < limit; ++k) {
      total += measure(measure, input_[inputPos_ + k]);
    }
    inputPos_ += length;
    return std::min(total, limit);
  }

 private:
  std::uint8_t NextTableByte() {
    if (inputPos_ >= input_.size()) RaiseCutOffTable();
    return input_[inputPos_++];
  }

  void ReadPairTable() {
    left_ = kBPELiteralCodes;
    pairCount_ = 0;
    std::size_t code = 0;
    for (;;) {
      std::size_t count = NextTableByte();
      if (count > 127) {
        code += count - 127;
        count = 0;
      }
      if (code == 256) break;
      if (code + count + 1 > 256) {
        throw EQDAError("圧縮データのペア表がコード 255 を越えています (データが壊れています)");
      }
      for (std::size_t k = 0; k <= count; ++k, ++code) {
        left_[code] = NextTableByte();
        if (left_[code] != code) {
          right_[code] = NextTableByte();
          pairCodes_[pairCount_++] = static_cast<std::uint8_t>(code);
        }
      }
      if (code == 256) break;
    }
  }

  std::uint32_t ReadBlockLength() {
    if (input_.size() - inputPos_ < 4) {
      throw EQDAError("圧縮データのブロック長が途中で切れています");
    }
    const std::uint32_t length = LoadLE32(input_.data() + inputPos_);
    inputPos_ += 4;
    if (length > input_.size() - inputPos_) {
      throw EQDAError("圧縮データのブロックが途中で切れています (" + std::to_string(length) +
                      " バイトのはずが残り " + std::to_string(input_.size() - inputPos_) +
                      " バイト)");
    }
    return length;
  }

  // Every code's expansion is walked once per block; after that it is copied: codes of up to
  // 32 bytes from a small table with one fixed-size copy (while 32 bytes of room remain),
  // longer ones from where their first expansion went in the output.
  void ExpandData(std::uint32_t length) {
    const std::uint8_t* in = input_.data() + inputPos_;
    inputPos_ += length;
    if (pairCount_ == 0) {  // nothing but literals: the block is the output
      if (length > outputSize_ - outputPos_) RaiseTooLong(outputSize_);
      if (length > 0) std::memcpy(output_ + outputPos_, in, length);
      outputPos_ += length;
      return;
    }
    ForgetExpansions();
    // Locals, not members, in the loop: writes through the byte pointer could alias them.
    std::uint8_t* const out = output_;
    const std::size_t outSize = outputSize_;
    std::size_t pos = outputPos_;
    for (std::uint32_t k = 0; k < length; ++k) {
      const std::uint8_t code = in[k];
      const std::size_t n = expansionLength_[code];
      if (n - 1 < kShortExpansion / 2 && outSize - pos >= kShortExpansion / 2) {
        std::memcpy(out + pos, shortExpansion_[code].data(), kShortExpansion / 2);
        pos += n;
      } else if (n - 1 < kShortExpansion && outSize - pos >= kShortExpansion) {
        std::memcpy(out + pos, shortExpansion_[code].data(), kShortExpansion);
        pos += n;
      } else if (n == 0) {
        outputPos_ = pos;
        ExpandCode(code);
        const std::size_t expanded = outputPos_ - pos;
        expansionLength_[code] = expanded;
        expansionStart_[code] = pos;
        if (expanded <= kShortExpansion) {
          std::memcpy(shortExpansion_[code].data(), out + pos, expanded);
        }
        pos = outputPos_;
      } else {
        if (n > outSize - pos) RaiseTooLong(outSize);
        const std::uint8_t* from =
            n <= kShortExpansion ? shortExpansion_[code].data() : out + expansionStart_[code];
        std::memcpy(out + pos, from, n);
        pos += n;
      }
    }
    outputPos_ = pos;
  }

  // Every literal expands to itself, and none of this block's pair codes is expanded yet.
  // Only the codes that were pairs in the last expanded block changed since then.
  void ForgetExpansions() {
    if (!literalsReady_) {
      for (std::size_t code = 0; code < 256; ++code) MakeLiteral(static_cast<std::uint8_t>(code));
      literalsReady_ = true;
    }
    for (std::size_t k = 0; k < lastPairCount_; ++k) MakeLiteral(lastPairCodes_[k]);
    for (std::size_t k = 0; k < pairCount_; ++k) expansionLength_[pairCodes_[k]] = 0;
    lastPairCodes_ = pairCodes_;
    lastPairCount_ = pairCount_;
  }

  void MakeLiteral(std::uint8_t code) {
    expansionLength_[code] = 1;
    shortExpansion_[code][0] = code;
  }

  // The stack walk: the right half waits on the stack while the left half is expanded.
  void ExpandCode(std::uint8_t code) {
    std::array<std::uint8_t, kBPEStackSize> stack;
    std::size_t depth = 0;
    for (;;) {
      if (left_[code] == code) {
        if (outputPos_ >= outputSize_) RaiseTooLong(outputSize_);
        output_[outputPos_++] = code;
        if (depth == 0) return;
        code = stack[--depth];
      } else {
        // Both halves go on the stack before the left one comes off again.
        if (depth + 2 > kBPEStackSize) {
          throw EQDAError("圧縮データのペアの入れ子が深すぎます (データが壊れています)");
        }
        stack[depth++] = right_[code];
        code = left_[code];
      }
    }
  }

  std::span<const std::uint8_t> input_;
  std::size_t inputPos_ = 0;
  std::uint8_t* output_;
  std::size_t outputSize_;
  std::size_t outputPos_ = 0;
  std::array<std::uint8_t, 256> left_{};
  std::array<std::uint8_t, 256> right_{};
  std::array<std::uint8_t, 256> pairCodes_{};  // this block's pair codes, pairCount_ of them
  std::size_t pairCount_ = 0;
  std::array<std::uint8_t, 256> lastPairCodes_{};  // the last expanded block's
  std::size_t lastPairCount_ = 0;
  bool literalsReady_ = false;
  std::array<std::size_t, 256> expansionLength_{};
  std::array<std::size_t, 256> expansionStart_{};
  std::array<std::array<std::uint8_t, kShortExpansion>, 256> shortExpansion_{};
};

}  // namespace

std::unique_ptr<TMemoryStream> ExpandBPE(std::span<const std::uint8_t> packed,
                                         std::size_t expandedSize) {
  // A damaged size can claim far more than the data holds: the buffer is sized by what the
  // blocks really expand to, measured first, so the claim is never allocated on its own.
  BlockExpander measurer(packed, nullptr, 0);
  std::uint64_t measured = 0;
  while (!measurer.AtEnd() && measured <= expandedSize) {
    measured += measurer.MeasureBlock(std::uint64_t{expandedSize} + 1);
  }
  if (measured < expandedSize) RaiseTooShort(measured, expandedSize);
  auto result = std::make_unique<TMemoryStream>();
  result->SetSize(expandedSize);
  BlockExpander expander(packed, result->Memory(), expandedSize);
  while (!expander.AtEnd()) expander.DecodeBlock();
  if (expander.OutputPos() != expandedSize) RaiseTooShort(expander.OutputPos(), expandedSize);
  return result;
}
