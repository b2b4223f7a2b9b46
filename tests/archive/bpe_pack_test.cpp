#include "archive/bpe_pack.h"

#include <gtest/gtest.h>

#include <vector>

#include "archive/bpe_expand.h"
#include "support/archive_test_util.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RoundTrip(const Bytes& data, const BPEPackOptions& options = {}) {
  const Bytes packed = PackBPE(data, options);
  auto out = ExpandBPE(packed, data.size());
  return Bytes(out->Bytes().begin(), out->Bytes().end());
}

TEST(PackBPE, RoundTripsEveryKindOfData) {
  const Bytes samples[] = {
      {},
      {0x42},
      archive_test::RandomBytes(100000, 1),
      archive_test::SampleText(100000, 2),
      archive_test::SamplePicture(200, 150),
      Bytes(70000, 0x00),  // one value: pairs nest as deep as the stack allows
      Bytes(70000, 0xFF),
  };
  for (const Bytes& data : samples) {
    EXPECT_EQ(RoundTrip(data), data) << "size " << data.size();
  }
}

TEST(PackBPE, RoundTripsWithUnusualBlockSettings) {
  const Bytes text = archive_test::SampleText(20000, 3);
  const Bytes noise = archive_test::RandomBytes(5000, 4);
  BPEPackOptions tiny;
  tiny.MaxBlockSize = 7;
  tiny.MinBlockSize = 1;
  tiny.MaxUsedCodes = 3;
  tiny.MinPairCount = 2;
  EXPECT_EQ(RoundTrip(text, tiny), text);
  BPEPackOptions huge;
  huge.MaxBlockSize = 1 << 20;
  huge.MaxUsedCodes = 256;
  EXPECT_EQ(RoundTrip(text, huge), text);
  EXPECT_EQ(RoundTrip(noise, huge), noise);
  // Every code in use: nothing is free for pairs, the block is stored as it is.
  Bytes allValues;
  for (int round = 0; round < 20; ++round) {
    for (int value = 0; value < 256; ++value) allValues.push_back(static_cast<std::uint8_t>(value));
  }
  EXPECT_EQ(RoundTrip(allValues, huge), allValues);
}

TEST(PackBPE, RoundTripsTextAfterEveryPrefixLength) {
  // Block boundaries and pair replacement at the very ends of a block.
  const Bytes text = archive_test::SampleText(600, 5);
  BPEPackOptions small;
  small.MaxBlockSize = 97;
  small.MinBlockSize = 10;
  for (std::size_t size = 0; size <= text.size(); size += 13) {
    const Bytes prefix(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
    ASSERT_EQ(RoundTrip(prefix, small), prefix) << "size " << size;
  }
}

TEST(PackBPE, CompressesRepetitiveDataAndBarelyGrowsNoise) {
  const Bytes text = archive_test::SampleText(200000, 6);
  const Bytes picture = archive_test::SamplePicture(320, 240);
  const Bytes noise = archive_test::RandomBytes(200000, 7);
  EXPECT_LT(PackBPE(text).size(), text.size() / 2);
  EXPECT_LT(PackBPE(picture).size(), picture.size() * 3 / 4);
  EXPECT_LT(PackBPE(noise).size(), noise.size() + noise.size() / 50);
  // Zero bytes: every block collapses to a short nest of pairs.
  EXPECT_LT(PackBPE(Bytes(1 << 20, 0)).size(), std::size_t{1 << 20} / 100);
}

TEST(PackBPE, IsDeterministic) {
  const Bytes text = archive_test::SampleText(50000, 8);
  EXPECT_EQ(PackBPE(text), PackBPE(text));
}

}  // namespace
