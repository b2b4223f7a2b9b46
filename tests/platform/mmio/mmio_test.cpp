#include "platform/mmio/mmio.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/codepage/codepage.h"
#include "support/wave_builder.h"

using namespace mmio;
using testwave::Bytes;

namespace {

// Opens a memory block that the test keeps alive.
HMMIO OpenMemory(Bytes& bytes) {
  MMIOINFO info{};
  info.fccIOProc = FOURCC_MEM;
  info.pchBuffer = reinterpret_cast<char*>(bytes.data());
  info.cchBuffer = static_cast<LONG>(bytes.size());
  return mmioOpenA(nullptr, &info, MMIO_READ);
}

MMCKINFO Find(FOURCC id) {
  MMCKINFO chunk{};
  chunk.ckid = id;
  return chunk;
}

MMCKINFO FindForm(FOURCC type) {
  MMCKINFO chunk{};
  chunk.fccType = type;
  return chunk;
}

}  // namespace

TEST(Mmio, FourccPacksCharactersLowByteFirst) {
  EXPECT_EQ(mmioFOURCC('R', 'I', 'F', 'F'), 0x46464952u);
  EXPECT_EQ(mmioFOURCC('f', 'm', 't', ' '), 0x20746D66u);
}

TEST(Mmio, OpeningReportsWhy) {
  testwave::TempDir dir;
  MMIOINFO info{};
  EXPECT_EQ(mmioOpenA((dir / "missing.wav").c_str(), &info, MMIO_READ | MMIO_ALLOCBUF), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
  EXPECT_EQ(mmioOpenA((dir / "no" / "x.wav").c_str(), &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
  EXPECT_EQ(mmioOpenA(dir.Path().c_str(), &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, MMIOERR_CANNOTOPEN);
  testwave::WriteFile(dir / "a.wav", Bytes{1, 2, 3});
  EXPECT_EQ(mmioOpenA((dir / "a.wav").c_str(), &info, MMIO_READWRITE), nullptr);
  EXPECT_EQ(info.wErrorRet, MMSYSERR_INVALFLAG);
  EXPECT_EQ(mmioClose(nullptr, 0), MMSYSERR_INVALHANDLE);
}

TEST(Mmio, ShiftJisNamesReachTheFileSystem) {
  testwave::TempDir dir;
  const std::string utf8Name = "効果音.wav";
  testwave::WriteFile(dir / utf8Name, Bytes{7, 8, 9, 10});
  const std::string sjisPath = codepage::Utf8ToSjis((dir / utf8Name).string());
  HMMIO file = mmioOpenA(sjisPath.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  ASSERT_NE(file, nullptr);
  char buffer[8] = {};
  EXPECT_EQ(mmioRead(file, buffer, 8), 4);  // fewer bytes at the end, never more
  EXPECT_EQ(buffer[3], 10);
  EXPECT_EQ(mmioRead(file, buffer, 8), 0);
  EXPECT_EQ(mmioRead(file, buffer, -1), -1);
  EXPECT_EQ(mmioSeek(file, 1, SEEK_SET), 1);
  EXPECT_EQ(mmioSeek(file, 0, SEEK_END), 4);
  EXPECT_EQ(mmioSeek(file, -5, SEEK_CUR), -1);
  EXPECT_EQ(mmioClose(file, 0), MMSYSERR_NOERROR);
}

TEST(Mmio, DescendsIntoWaveChunksAndSkipsPadding) {
  // An odd-sized "junk" chunk with its pad byte sits between "fmt " and "data".
  Bytes samples = {1, 2, 3, 4, 5, 6};
  Bytes bytes = testwave::Riff(
      "WAVE", testwave::Concat({testwave::Chunk("fmt ", testwave::PcmFormat(1, 8000, 16)),
                                testwave::Chunk("junk", Bytes{9, 9, 9}),
                                testwave::Chunk("data", samples)}));
  HMMIO file = OpenMemory(bytes);
  ASSERT_NE(file, nullptr);
  MMCKINFO riff = FindForm(mmioFOURCC('W', 'A', 'V', 'E'));
  ASSERT_EQ(mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.ckid, FOURCC_RIFF);
  EXPECT_EQ(riff.dwDataOffset, 8u);
  EXPECT_EQ(riff.cksize, bytes.size() - 8);
  EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), 12);  // after the form type

  MMCKINFO fmt = Find(mmioFOURCC('f', 'm', 't', ' '));
  ASSERT_EQ(mmioDescend(file, &fmt, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(fmt.cksize, 16u);
  EXPECT_EQ(fmt.dwDataOffset, 20u);
  ASSERT_EQ(mmioAscend(file, &fmt, 0), MMSYSERR_NOERROR);

  MMCKINFO data = Find(mmioFOURCC('d', 'a', 't', 'a'));
  ASSERT_EQ(mmioDescend(file, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(data.cksize, samples.size());
  char read[6] = {};
  EXPECT_EQ(mmioRead(file, read, 6), 6);
  EXPECT_EQ(read[5], 6);

  // Nothing else inside the form: the search fails at the parent's end.
  MMCKINFO other = Find(mmioFOURCC('c', 'u', 'e', ' '));
  mmioSeek(file, 12, SEEK_SET);
  EXPECT_EQ(mmioDescend(file, &other, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), 12);  // a failed search leaves the position alone
  mmioClose(file, 0);
}

TEST(Mmio, FormSearchChecksTheFormType) {
  Bytes bytes = testwave::Concat({testwave::Riff("AVI ", Bytes{1, 2}),
                                  testwave::Riff("WAVE", testwave::Chunk("data", Bytes{5, 5}))});
  HMMIO file = OpenMemory(bytes);
  MMCKINFO riff = FindForm(mmioFOURCC('W', 'A', 'V', 'E'));
  ASSERT_EQ(mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.dwDataOffset, 22u);  // the second form: 8 + 6 bytes in, then its header
  mmioSeek(file, 0, SEEK_SET);
  MMCKINFO list = FindForm(mmioFOURCC('W', 'A', 'V', 'E'));
  EXPECT_EQ(mmioDescend(file, &list, nullptr, MMIO_FINDLIST), MMIOERR_CHUNKNOTFOUND);
  mmioSeek(file, 0, SEEK_SET);
  MMCKINFO any{};
  ASSERT_EQ(mmioDescend(file, &any, nullptr, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(any.fccType, mmioFOURCC('A', 'V', 'I', ' '));
  mmioClose(file, 0);
}

TEST(Mmio, BrokenHeadersAreNotFoundAndSizesAreClampedToTheParent) {
  // Only part of a chunk header after the form type.
  Bytes cut = testwave::Riff("WAVE", Bytes{'f', 'm', 't', ' ', 16, 0});
  HMMIO file = OpenMemory(cut);
  MMCKINFO riff = FindForm(mmioFOURCC('W', 'A', 'V', 'E'));
  ASSERT_EQ(mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  MMCKINFO fmt = Find(mmioFOURCC('f', 'm', 't', ' '));
  EXPECT_EQ(mmioDescend(file, &fmt, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  mmioClose(file, 0);

  // A file that ends inside the form type.
  Bytes stub = {'R', 'I', 'F', 'F', 100, 0, 0, 0, 'W', 'A'};
  file = OpenMemory(stub);
  riff = FindForm(mmioFOURCC('W', 'A', 'V', 'E'));
  EXPECT_EQ(mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
  mmioClose(file, 0);

  // A child claiming 1000 bytes inside a form of 24 is cut at the form's end; a search for a
  // later chunk then stops at the form's end instead of running through the file.
  Bytes bytes =
      testwave::Concat({testwave::Riff("WAVE", testwave::Chunk("data", Bytes(12, 1), 1000)),
                        testwave::Chunk("fmt ", Bytes(16, 0))});
  file = OpenMemory(bytes);
  riff = FindForm(mmioFOURCC('W', 'A', 'V', 'E'));
  ASSERT_EQ(mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  MMCKINFO data = Find(mmioFOURCC('d', 'a', 't', 'a'));
  ASSERT_EQ(mmioDescend(file, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(data.cksize, 12u);
  mmioSeek(file, 12, SEEK_SET);
  fmt = Find(mmioFOURCC('f', 'm', 't', ' '));
  EXPECT_EQ(mmioDescend(file, &fmt, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  mmioClose(file, 0);
}

TEST(Mmio, HugeSizesNeitherLoopNorOverflow) {
  Bytes bytes =
      testwave::Riff("WAVE", testwave::Chunk("junk", Bytes(4, 0), 0xFFFFFFFF), 0xFFFFFFFF);
  HMMIO file = OpenMemory(bytes);
  MMCKINFO riff = FindForm(mmioFOURCC('W', 'A', 'V', 'E'));
  ASSERT_EQ(mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.cksize, 0xFFFFFFFFu);  // the outermost chunk has no parent to clamp it
  MMCKINFO data = Find(mmioFOURCC('d', 'a', 't', 'a'));
  EXPECT_EQ(mmioDescend(file, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  EXPECT_EQ(mmioAscend(file, &riff, 0), MMIOERR_CANNOTSEEK);
  mmioClose(file, 0);
}
