#include "archive/memory_stream.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "archive/file_stream.h"

namespace {

TEST(TMemoryStream, ReadsWritesAndSeeksLikeAFile) {
  TMemoryStream stream;
  EXPECT_EQ(stream.Write("hello", 5), 5u);
  EXPECT_EQ(stream.Position(), 5);
  stream.SetPosition(1);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 4u);  // short at the end
  EXPECT_EQ(std::string(buffer), "ello");
  EXPECT_EQ(stream.Read(buffer, 8), 0u);
  EXPECT_EQ(stream.Seek(-2, TSeekOrigin::soEnd), 3);
  EXPECT_EQ(stream.Seek(1, TSeekOrigin::soCurrent), 4);
  stream.Write("P", 1);  // overwrite inside
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 5), "hellP");
  EXPECT_THROW(stream.Seek(-6, TSeekOrigin::soEnd), EStreamError);
  EXPECT_EQ(stream.Position(), 5);  // a failed seek leaves the position alone
}

TEST(TMemoryStream, GrowsOnWriteAndFillsGapsWithZero) {
  TMemoryStream stream;
  stream.Seek(3, TSeekOrigin::soBeginning);
  stream.Write("x", 1);
  ASSERT_EQ(stream.Size(), 4);
  EXPECT_EQ(stream.Memory()[0], 0);
  EXPECT_EQ(stream.Memory()[2], 0);
  EXPECT_EQ(stream.Memory()[3], 'x');
  stream.SetSize(2);
  EXPECT_EQ(stream.Size(), 2);
  EXPECT_EQ(stream.Position(), 4);  // beyond the end now: reads give nothing
  char c;
  EXPECT_EQ(stream.Read(&c, 1), 0u);
  EXPECT_THROW(stream.ReadBuffer(&c, 1), EStreamError);
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);
}

TEST(TFileStream, WritesReadsAndReportsOpenFailures) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("nightwisp-filestream-" + std::to_string(::getpid()));
  {
    TFileStream out(path, TFileStream::TFileMode::fmCreate);
    out.WriteBuffer("abcdef", 6);
    out.Close();
  }
  {
    TFileStream in(path, TFileStream::TFileMode::fmOpenRead);
    EXPECT_EQ(in.Size(), 6);
    in.SetPosition(2);
    char buffer[4];
    in.ReadBuffer(buffer, 4);
    EXPECT_EQ(std::string(buffer, 4), "cdef");
    EXPECT_THROW(in.ReadBuffer(buffer, 1), EStreamError);
  }
  std::filesystem::remove(path);
  EXPECT_THROW(TFileStream(path, TFileStream::TFileMode::fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream(path.parent_path(), TFileStream::TFileMode::fmOpenRead), EFOpenError);
}

}  // namespace
