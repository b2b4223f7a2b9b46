#include "archive/bpe_pack.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "archive/bpe_expand.h"
#include "archive/qda_format.h"

namespace {

constexpr std::size_t PairIndex(std::uint8_t left, std::uint8_t right) {
  return (std::size_t{left} << 8) | right;
}

// The pair counts of every pair value, one table per thread that outlives a call: the counts
// are all zero again after each block (ClearCounts), so a new call need not clear 256 KB. A
// block that was left midway (an exception) marks the table for clearing.
struct TPairCounts {
  std::vector<std::uint32_t> Counts = std::vector<std::uint32_t>(65536, 0);
  bool Clean = true;
};

// Packs one block at a time. The pair counts are kept exact while pairs are replaced, so
// the next most frequent pair is found among a short list of candidates instead of a scan
// of all 65536 pairs.
class BlockPacker {
 public:
  BlockPacker(const BPEPackOptions& options, TPairCounts& table)
      : options_(options), table_(table), counts_(table.Counts.data()) {}

  // Takes the next block out of data (from offset) and appends it packed to out; returns
  // how many input bytes it took.
  std::size_t PackNextBlock(std::span<const std::uint8_t> data, std::size_t offset,
                            std::vector<std::uint8_t>& out) {
    table_.Clean = false;
    const std::size_t taken = TakeBlock(data, offset);
    CountPairs();
    while (ReplaceBestPair()) {
    }
    WriteBlock(out);
    ClearCounts();
    table_.Clean = true;
    return taken;
  }

 private:
  std::size_t TakeBlock(std::span<const std::uint8_t> data, std::size_t offset) {
    taken_ = {};
    std::size_t distinct = 0;
    std::size_t end = offset;
    const std::size_t limit = std::min(data.size(), offset + options_.MaxBlockSize);
    while (end < limit) {
      const std::uint8_t byte = data[end];
      if (!taken_[byte]) {
        if (distinct >= options_.MaxUsedCodes && end - offset >= options_.MinBlockSize) break;
        taken_[byte] = 1;
        ++distinct;
      }
      ++end;
    }
    block_.assign(data.begin() + static_cast<std::ptrdiff_t>(offset),
                  data.begin() + static_cast<std::ptrdiff_t>(end));
    left_ = kBPELiteralCodes;
    right_ = {};
    depth_ = {};
    isPair_ = {};
    nextFree_ = 0;
    return end - offset;
  }

  void Increment(std::size_t pair) {
    if (++counts_[pair] == options_.MinPairCount) candidates_.push_back(pair);
  }

  void CountPairs() {
    candidates_.clear();
    for (std::size_t i = 0; i + 1 < block_.size(); ++i)
      Increment(PairIndex(block_[i], block_[i + 1]));
  }

  // Every pair left in the block is the only thing with a non-zero count (the counts are
  // exact), so clearing those makes the table all zero again for the next block.
  void ClearCounts() {
    for (std::size_t i = 0; i + 1 < block_.size(); ++i)
      counts_[PairIndex(block_[i], block_[i + 1])] = 0;
  }

  // Codes are only ever taken within a block, so the search goes on from the last one found.
  int LowestFreeCode() {
    nextFree_ = FindCode(taken_, nextFree_, 256, 0);
    return nextFree_ < 256 ? static_cast<int>(nextFree_) : -1;
  }

  // The first code in [from, to) whose flag in flags is `flag`; `to` when there is none.
  static std::size_t FindCode(const std::array<std::uint8_t, 256>& flags, std::size_t from,
                              std::size_t to, std::uint8_t flag) {
    if (from >= to) return to;
    const void* hit = std::memchr(flags.data() + from, flag, to - from);
    return hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - flags.data())
               : to;
  }

  // Stack entries the expansion of a pair (left, right) needs: both halves are pushed, the
  // left one expands over the waiting right one, then the right one expands alone.
  std::size_t DepthOf(std::uint8_t left, std::uint8_t right) const {
    return std::max({std::size_t{2}, 1 + depth_[left], depth_[right]});
  }

  bool ReplaceBestPair() {
    const int code = LowestFreeCode();
    if (code < 0) return false;
    std::size_t best = 0;
    std::uint32_t bestCount = 0;
    bool found = false;
    std::size_t kept = 0;
    for (const std::size_t pair : candidates_) {
      const std::uint32_t count = counts_[pair];
      if (count < options_.MinPairCount) continue;  // fell below since it was listed
      if (DepthOf(static_cast<std::uint8_t>(pair >> 8), static_cast<std::uint8_t>(pair)) >
          kBPEStackSize) {
        continue;  // its count can only fall from here on: drop it for good
      }
      candidates_[kept++] = pair;
      if (count > bestCount || (count == bestCount && pair < best)) {
        best = pair;
        bestCount = count;
        found = true;
      }
    }
    candidates_.resize(kept);
    if (!found) return false;

    const auto left = static_cast<std::uint8_t>(best >> 8);
    const auto right = static_cast<std::uint8_t>(best);
    const auto newCode = static_cast<std::uint8_t>(code);
    left_[newCode] = left;
    right_[newCode] = right;
    depth_[newCode] = DepthOf(left, right);
    taken_[newCode] = 1;
    isPair_[newCode] = 1;
    Substitute(left, right, newCode);
    return true;
  }

  // Replaces every (left, right), left to right, by code and keeps the counts exact: the
  // adjacencies touching a replaced pair go, the ones touching the new code come.
  void Substitute(std::uint8_t left, std::uint8_t right, std::uint8_t code) {
    std::uint8_t* buf = block_.data();
    const std::size_t n = block_.size();
    std::size_t r = 0;
    std::size_t w = 0;
    std::uint8_t prevOld = 0;  // the input byte before r
    bool prevOldReplaced = false;
    std::uint8_t prevNew = 0;  // the last byte written
    bool havePrevNew = false;
    while (r < n) {
      const void* hit = std::memchr(buf + r, left, n - r);
      const std::size_t next =
          hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - buf) : n;
      if (next > r) {
        if (havePrevNew && prevNew == code) Increment(PairIndex(code, buf[r]));
        const std::uint8_t last = buf[next - 1];
        if (w != r) std::memmove(buf + w, buf + r, next - r);
        w += next - r;
        prevNew = prevOld = last;
        havePrevNew = true;
        prevOldReplaced = false;
        r = next;
        if (r >= n) break;
      }
      // buf[r] == left
      if (r + 1 < n && buf[r + 1] == right) {
        --counts_[PairIndex(left, right)];
        if (r > 0 && !prevOldReplaced) --counts_[PairIndex(prevOld, left)];
        if (r + 2 < n) --counts_[PairIndex(right, buf[r + 2])];
        if (havePrevNew) Increment(PairIndex(prevNew, code));
        buf[w++] = code;
        prevNew = code;
        havePrevNew = true;
        prevOld = right;
        prevOldReplaced = true;
        r += 2;
      } else {
        if (havePrevNew && prevNew == code) Increment(PairIndex(code, left));
        buf[w++] = left;
        prevNew = prevOld = left;
        havePrevNew = true;
        prevOldReplaced = false;
        r += 1;
      }
    }
    block_.resize(w);
  }

  // The pair table: runs of literal codes are skipped with one count byte above 127; pair
  // codes are listed in runs of up to 128 (a lone literal between pairs is listed rather than
  // skipped).
  void WriteTable(std::vector<std::uint8_t>& out) const {
    std::size_t code = 0;
    while (code < 256) {
      const std::size_t limit = std::min<std::size_t>(256, code + 128);
      std::size_t listed = 0;  // codes listed after the count byte, minus one
      if (!isPair_[code]) {
        const std::size_t next = FindCode(isPair_, code, limit, 1);
        out.push_back(static_cast<std::uint8_t>(next - code + 127));
        code = next;
        if (code == 256) break;
        // the skip byte lists the one code after the run
      } else {
        std::size_t end = FindCode(isPair_, code + 1, limit, 0);
        while (end + 1 < limit && isPair_[end + 1]) end = FindCode(isPair_, end + 2, limit, 0);
        listed = end - code - 1;
        out.push_back(static_cast<std::uint8_t>(listed));
      }
      for (std::size_t k = 0; k <= listed; ++k, ++code) {
        out.push_back(left_[code]);
        if (isPair_[code]) out.push_back(right_[code]);
      }
    }
  }

  void WriteBlock(std::vector<std::uint8_t>& out) const {
    WriteTable(out);
    std::uint8_t length[4];
    StoreLE32(length, static_cast<std::uint32_t>(block_.size()));
    out.insert(out.end(), length, length + 4);
    out.insert(out.end(), block_.begin(), block_.end());
  }

  BPEPackOptions options_;
  TPairCounts& table_;
  std::uint32_t* counts_;
  std::vector<std::size_t> candidates_;
  std::vector<std::uint8_t> block_;
  std::array<std::uint8_t, 256> left_{};
  std::array<std::uint8_t, 256> right_{};
  std::array<std::size_t, 256> depth_{};
  std::array<std::uint8_t, 256> taken_{};   // 1: a byte of the block or a pair code
  std::array<std::uint8_t, 256> isPair_{};  // 1: a pair code
  std::size_t nextFree_ = 0;
};

}  // namespace

std::vector<std::uint8_t> PackBPE(std::span<const std::uint8_t> data,
                                  const BPEPackOptions& options) {
  BPEPackOptions checked = options;
  checked.MaxBlockSize = std::clamp<std::size_t>(checked.MaxBlockSize, 1, 0xFFFFFFFFu);
  checked.MinPairCount = std::max<std::size_t>(checked.MinPairCount, 2);
  std::vector<std::uint8_t> out;
  out.reserve(data.size() / 2 + 64);
  thread_local TPairCounts table;
  if (!table.Clean) {
    std::fill(table.Counts.begin(), table.Counts.end(), 0);
    table.Clean = true;
  }
  BlockPacker packer(checked, table);
  std::size_t offset = 0;
  while (offset < data.size()) offset += packer.PackNextBlock(data, offset, out);
  return out;
}
