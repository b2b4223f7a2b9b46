// The packer's output for arbitrary bytes must expand back to them, with small blocks and
// tables so that every branch of the packer is reached. Input: 2 bytes of packing options,
// then the plain data (up to two blocks of it).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "archive/bpe_expand.h"
#include "archive/bpe_pack.h"

// Each block costs the packer a pass over its 256 codes, whatever the block's size: small
// blocks reach every branch, and two a block boundary; more would only repeat them.
constexpr std::size_t kMostBlocks = 2;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  BPEPackOptions options;
  options.MaxBlockSize = 1 + data[0] % 64;
  const std::span<const std::uint8_t> plain(
      data + 2, std::min<std::size_t>(size - 2, kMostBlocks * options.MaxBlockSize));
  options.MinBlockSize = 1;
  options.MaxUsedCodes = 1 + data[1];
  options.MinPairCount = 2 + data[1] % 3;
  const std::vector<std::uint8_t> packed = PackBPE(plain, options);
  auto back = ExpandBPE(packed, plain.size());
  if (!std::equal(plain.begin(), plain.end(), back->Memory())) std::abort();
  return 0;
}
