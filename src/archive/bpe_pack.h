// Byte-pair packing into the block format ExpandBPE reads (see bpe_expand.h).
//
// Each block takes the bytes that follow, up to MaxBlockSize and, once MinBlockSize bytes are
// in, stopping before the block would hold more than MaxUsedCodes distinct byte values (so
// codes stay free for pairs). Then, as long as a free code remains, the most frequent
// adjacent pair (ties: the lowest pair value) that occurs at least MinPairCount times is
// replaced by the lowest free code. A pair is never made deeper than the expansion stack
// allows. The result is deterministic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct BPEPackOptions {
  std::size_t MaxBlockSize = 65536;
  std::size_t MinBlockSize = 1024;
  std::size_t MaxUsedCodes = 200;
  std::size_t MinPairCount = 4;  // a pair costs 2-3 table bytes: fewer uses would not pay
};

// Packs data into zero or more blocks; ExpandBPE(result, data.size()) gives data back.
std::vector<std::uint8_t> PackBPE(std::span<const std::uint8_t> data,
                                  const BPEPackOptions& options = {});
