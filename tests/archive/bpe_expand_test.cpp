#include "archive/bpe_expand.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "archive/qda_error.h"
#include "support/archive_test_util.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A block: the pair table bytes, the 4-byte little-endian length, the packed bytes.
Bytes Block(const Bytes& table, const Bytes& data) {
  Bytes block = table;
  block.resize(block.size() + 4);
  archive_test::PutLE32(block, table.size(), static_cast<std::uint32_t>(data.size()));
  block.insert(block.end(), data.begin(), data.end());
  return block;
}

Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes joined = a;
  joined.insert(joined.end(), b.begin(), b.end());
  return joined;
}

Bytes Contents(TMemoryStream& stream) {
  return Bytes(stream.Bytes().begin(), stream.Bytes().end());
}

Bytes Ascii(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string ErrorOf(const Bytes& packed, std::size_t expandedSize) {
  try {
    ExpandBPE(packed, expandedSize);
  } catch (const EQDAError& error) {
    return error.what();
  }
  return "(no error)";
}

// A pair table that lists all 256 codes in two runs of 128 (literals listed inside the runs).
Bytes ListEveryCode(const std::array<std::uint8_t, 256>& left,
                    const std::array<std::uint8_t, 256>& right) {
  Bytes table;
  for (int run = 0; run < 2; ++run) {
    table.push_back(127);
    for (int code = run * 128; code < run * 128 + 128; ++code) {
      table.push_back(left[code]);
      if (left[code] != code) table.push_back(right[code]);
    }
  }
  return table;
}

bool RunsUnderAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

const Bytes kExampleBlock = {0xFF, 0x61, 0x62, 0xFE, 0x02, 0x00, 0x00, 0x00, 0x80, 0x80};

// In a child process: the example block said to expand to 256 MB, with address space for the
// program and 64 MB more.
bool ClaimRefusedInLittleAddressSpace() {
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlim_t room = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + (64 << 20);
  const rlimit limit{room, room};
  ::setrlimit(RLIMIT_AS, &limit);
  return ErrorOf(kExampleBlock, std::size_t{256} << 20).find("足りません") != std::string::npos;
}

TEST(ExpandBPE, TenByteExampleExpandsToAbab) {
  auto out = ExpandBPE(kExampleBlock, 4);
  EXPECT_EQ(Contents(*out), Ascii("abab"));
  EXPECT_EQ(out->Position(), 0);
  EXPECT_EQ(out->Size(), 4);
}

TEST(ExpandBPE, LiteralListedInsideARunReadsNoRightByte) {
  // count 2: code 0 = "AB", code 1 listed as itself (a literal), code 2 = "CD"; then skip
  // 128 codes, list code 131 as a literal, skip the last 124.
  const Bytes table = {0x02, 0x41, 0x42, 0x01, 0x43, 0x44, 0xFF, 0x83, 0xFB};
  auto out = ExpandBPE(Block(table, {0x00, 0x01, 0x02, 0x83}), 6);
  EXPECT_EQ(Contents(*out), (Bytes{0x41, 0x42, 0x01, 0x43, 0x44, 0x83}));
}

TEST(ExpandBPE, NestedPairsExpandLeftHalfFirst) {
  // 0x80 = (0x81, 0x82), 0x81 = "ab", 0x82 = ('c', 0x83), 0x83 = "de".
  const Bytes table = {0xFF, 0x81, 0x82, 0x02, 0x61, 0x62, 0x63, 0x83, 0x64, 0x65, 0xFB};
  auto out = ExpandBPE(Block(table, {0x80, 0x83, 0x80, 0x7A}), 13);
  EXPECT_EQ(Contents(*out), Ascii("abcdedeabcdez"));
}

TEST(ExpandBPE, BlocksDecodeInOrderEachFromAnAllLiteralTable) {
  // The second block lists 0x80 as a literal: it must not keep the first block's pair.
  const Bytes literalTable = {0xFF, 0x80, 0xFE};
  const Bytes packed = Concat(kExampleBlock, Block(literalTable, {0x80, 0x61, 0x80}));
  auto out = ExpandBPE(packed, 7);
  EXPECT_EQ(Contents(*out), (Bytes{'a', 'b', 'a', 'b', 0x80, 'a', 0x80}));

  // The same code redefined by the next block expands to its new pair (the per-block
  // memory of expanded codes must not leak across blocks).
  const Bytes redefined = Block({0xFF, 0x63, 0x64, 0xFE}, {0x80, 0x80});
  auto twice = ExpandBPE(Concat(kExampleBlock, redefined), 8);
  EXPECT_EQ(Contents(*twice), Ascii("ababcdcd"));

  // A block of literals only in between: a later block with another pair (0x81 = "cd") still
  // reads the first block's pair code as a literal.
  const Bytes otherPair = Block({0xFF, 0x80, 0x00, 0x63, 0x64, 0xFD}, {0x81, 0x80});
  auto third = ExpandBPE(Concat(packed, otherPair), 10);
  EXPECT_EQ(Contents(*third), (Bytes{'a', 'b', 'a', 'b', 0x80, 'a', 0x80, 'c', 'd', 0x80}));
}

TEST(ExpandBPE, EmptyInputAndEmptyBlocks) {
  EXPECT_EQ(ExpandBPE({}, 0)->Size(), 0);
  const Bytes emptyBlock = Block({0xFF, 0x80, 0xFE}, {});
  auto out = ExpandBPE(Concat(emptyBlock, kExampleBlock), 4);
  EXPECT_EQ(Contents(*out), Ascii("abab"));
}

TEST(ExpandBPE, NestingThatFillsTheStackExactlyIsAccepted) {
  // Code k = (k-1, 0) for every k from 1 to 255: code 255 needs all 256 stack entries.
  std::array<std::uint8_t, 256> left{}, right{};
  for (int code = 0; code < 256; ++code)
    left[code] = static_cast<std::uint8_t>(code == 0 ? 0 : code - 1);
  auto out = ExpandBPE(Block(ListEveryCode(left, right), {0xFF, 0x01}), 258);
  EXPECT_EQ(Contents(*out), Bytes(258, 0x00));
}

TEST(ExpandBPE, MatchesAPlainRecursiveExpansionOnRandomTables) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    // Codes below 100 are literals; every other code is a pair of lower codes.
    std::array<std::uint8_t, 256> left{}, right{};
    for (int code = 0; code < 256; ++code) {
      left[code] = static_cast<std::uint8_t>(code);
      if (code >= 100) {
        left[code] = static_cast<std::uint8_t>(rng() % code);
        right[code] = static_cast<std::uint8_t>(rng() % code);
      }
    }
    std::function<void(std::uint8_t, Bytes&)> expand = [&](std::uint8_t code, Bytes& out) {
      if (left[code] == code) {
        out.push_back(code);
      } else {
        expand(left[code], out);
        expand(right[code], out);
      }
    };
    // Shallow codes only, so that no expansion runs too deep or too long for the test.
    Bytes data, expected;
    for (int i = 0; i < 300; ++i) {
      const auto code = static_cast<std::uint8_t>(rng() % 130);
      data.push_back(code);
      expand(code, expected);
    }
    auto out = ExpandBPE(Block(ListEveryCode(left, right), data), expected.size());
    ASSERT_EQ(Contents(*out), expected) << "round " << round;
  }
}

TEST(ExpandBPE, RepeatedCodesOfEveryLengthAroundTheCopySizes) {
  // Code 100+j expands to the j+2 bytes 0, 1, ..., j+1. Each is used
  // several times (copied after its first walk), and the output ends with only a few bytes
  // of room, where copies must be exact.
  std::array<std::uint8_t, 256> left{}, right{};
  for (int code = 0; code < 256; ++code) left[code] = static_cast<std::uint8_t>(code);
  left[100] = 0;
  right[100] = 1;
  for (int j = 1; j <= 48; ++j) {
    left[100 + j] = static_cast<std::uint8_t>(100 + j - 1);
    right[100 + j] = static_cast<std::uint8_t>(j + 1);
  }
  Bytes data, expected;
  for (int round = 0; round < 3; ++round) {
    for (int code = 148; code >= 100; code -= 1 + round) {
      data.push_back(static_cast<std::uint8_t>(code));
      for (int i = 0; i <= code - 100 + 1; ++i) expected.push_back(static_cast<std::uint8_t>(i));
    }
  }
  for (int tail = 0; tail < 40; ++tail) {
    Bytes tailData = data, tailExpected = expected;
    tailData.push_back(static_cast<std::uint8_t>(100 + tail % 49));
    for (int i = 0; i <= tail % 49 + 1; ++i) tailExpected.push_back(static_cast<std::uint8_t>(i));
    auto out = ExpandBPE(Block(ListEveryCode(left, right), tailData), tailExpected.size());
    ASSERT_EQ(Contents(*out), tailExpected) << "tail " << tail;
  }
}

TEST(ExpandBPE, CutOffInputIsRejected) {
  EXPECT_NE(ErrorOf({0xFF, 0x61}, 4).find("ペア表が途中で切れています"), std::string::npos);
  EXPECT_NE(ErrorOf({0x02, 0x41}, 4).find("ペア表が途中で切れています"), std::string::npos);
  EXPECT_NE(ErrorOf({0xFF, 0x61, 0x62, 0xFE, 0x02, 0x00}, 4).find("ブロック長が途中で切れて"),
            std::string::npos);
  const Bytes shortData(kExampleBlock.begin(), kExampleBlock.end() - 1);
  EXPECT_NE(ErrorOf(shortData, 4).find("ブロックが途中で切れています"), std::string::npos);
  // A complete block followed by a stray byte starts a new, cut-off block.
  EXPECT_NE(ErrorOf(Concat(kExampleBlock, {0x05}), 4).find("途中で切れています"),
            std::string::npos);
}

TEST(ExpandBPE, TableRunningPastTheLastCodeIsRejected) {
  // Skip 128, list code 128, then skip 128 more: code 257.
  EXPECT_NE(ErrorOf({0xFF, 0x80, 0xFF, 0, 0, 0, 0}, 0).find("ペア表がコード 255 を越えて"),
            std::string::npos);
  // From code 129, a run of 128 listed codes would end at 257.
  Bytes table = {0xFF, 0x80, 0x7F};
  table.insert(table.end(), 128, 0x00);
  EXPECT_NE(ErrorOf(table, 0).find("ペア表がコード 255 を越えて"), std::string::npos);
}

TEST(ExpandBPE, CyclicPairsStopWithAnError) {
  // 0x80 = (0x81, 'a'), 0x81 = (0x80, 'b'): the left halves chase each other down the stack.
  const Bytes leftCycle = Block({0xFF, 0x81, 0x61, 0x00, 0x80, 0x62, 0xFD}, {0x80});
  EXPECT_NE(ErrorOf(leftCycle, 1000).find("入れ子が深すぎます"), std::string::npos);
  // 0x80 = ('a', 0x80): the right half repeats forever without deepening the stack; the
  // output bound ends it.
  const Bytes rightCycle = Block({0xFF, 0x61, 0x80, 0xFE}, {0x80});
  EXPECT_NE(ErrorOf(rightCycle, 1000).find("1000 バイトを超えます"), std::string::npos);
}

TEST(ExpandBPE, LengthDifferentFromTheExpectedSizeIsRejected) {
  EXPECT_NE(ErrorOf(kExampleBlock, 3).find("3 バイトを超えます"), std::string::npos);
  EXPECT_NE(ErrorOf(kExampleBlock, 5).find("4 バイトで、5 バイトに足りません"), std::string::npos);
  EXPECT_NE(ErrorOf({}, 1).find("足りません"), std::string::npos);
}

// A size claimed far beyond what the data expands to is refused before it is allocated: with
// address space for little more than the program, the 256 MB claim could not be reserved.
TEST(ExpandBPE, AClaimBeyondTheDataIsNeverAllocated) {
  if (RunsUnderAddressSanitizer()) GTEST_SKIP() << "the sanitizer reserves its own address space";
  EXPECT_EXIT(std::_Exit(ClaimRefusedInLittleAddressSpace() ? 0 : 1), ::testing::ExitedWithCode(0),
              "");
}

}  // namespace
