#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "swf_test_files.h"

namespace lumapress::test {
namespace {

TEST(SwfBitStream, WritesFieldsMostSignificantBitFirstAndIntegersLittleEndian) {
  const ByteCase<SwfBitStream> cases[] = {
      {"5 in 3 bits, 1 in 1 bit, align",
       [](SwfBitStream& s) { s.WriteBits(5, 3); s.WriteBits(1, 1); s.AlignToByte(); }, "B0"},
      {"1 bit then a byte crossing the boundary, align",
       [](SwfBitStream& s) { s.WriteBits(1, 1); s.WriteByte(0xAB); s.AlignToByte(); }, "D5 80"},
      {"WriteU16(0x1234)", [](SwfBitStream& s) { s.WriteU16(0x1234); }, "34 12"},
      {"WriteU32(21)", [](SwfBitStream& s) { s.WriteU32(21); }, "15 00 00 00"},
      {"WriteBits(-1, 5): five 1-bits",
       [](SwfBitStream& s) { s.WriteBits(-1, 5); s.AlignToByte(); }, "F8"},
      {"WriteBits(-3, 4): 1101", [](SwfBitStream& s) { s.WriteBits(-3, 4); s.AlignToByte(); },
       "D0"},
      {"WriteBits(x, 0) writes nothing", [](SwfBitStream& s) { s.WriteBits(0x7F, 0); }, ""},
      {"align on an aligned stream writes nothing", [](SwfBitStream& s) { s.AlignToByte(); }, ""},
      {"WriteByte keeps only the low 8 bits", [](SwfBitStream& s) { s.WriteByte(0x1FF); }, "FF"},
      {"26-bit field after 3 pending bits",
       [](SwfBitStream& s) { s.WriteBits(5, 3); s.WriteBits(0x2ABCDEF, 26); s.AlignToByte(); },
       "B5 5E 6F 78"},
      {"31-bit signed field",
       [](SwfBitStream& s) { s.WriteBits(-2, 31); s.AlignToByte(); }, "FF FF FF FC"},
      {"31-bit field then a bit",
       [](SwfBitStream& s) { s.WriteBits(-1000000000, 31); s.WriteBits(1, 1); }, "88 CA 6C 01"},
      {"32-bit field", [](SwfBitStream& s) { s.WriteBits(static_cast<int32_t>(0x89ABCDEF), 32); },
       "89 AB CD EF"},
      {"32-bit field after 7 pending bits",
       [](SwfBitStream& s) { s.WriteBits(1, 7); s.WriteBits(-1, 32); s.AlignToByte(); },
       "03 FF FF FF FE"},
      {"WriteBytes when unaligned goes through the bit path",
       [](SwfBitStream& s) {
         const uint8_t data[] = {0xAB, 0xCD};
         s.WriteBits(1, 1);
         s.WriteBytes(data);
         s.AlignToByte();
       },
       "D5 E6 80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ToHex(StreamBytes(c.write)), Hex(c.expectedHex));
  }
}

TEST(SwfBitStream, CountsOnlyCompletedBytes) {
  ScratchDir dir;
  SwfBitStream stream;
  ASSERT_TRUE(stream.Open(dir.Path("s.bin")));
  stream.WriteU16(7);
  EXPECT_EQ(stream.BytesWritten(), 2);
  stream.AlignToByte();
  EXPECT_EQ(stream.BytesWritten(), 2);
  stream.WriteBits(3, 3);
  EXPECT_EQ(stream.BytesWritten(), 2);
  stream.WriteBits(0, 5);
  EXPECT_EQ(stream.BytesWritten(), 3);
  EXPECT_EQ(stream.Close(), 0);
}

TEST(SwfBitStream, WriteBytesMatchesWriteBytePerByte) {
  std::vector<uint8_t> data(100000);
  uint32_t state = 12345;
  for (auto& byte : data) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  for (int lead : {0, 3}) {
    SCOPED_TRACE(lead);
    const auto bulk = StreamBytes([&](SwfBitStream& s) {
      s.WriteBits(5, lead);
      s.WriteBytes(data);
      s.AlignToByte();
    });
    const auto single = StreamBytes([&](SwfBitStream& s) {
      s.WriteBits(5, lead);
      for (uint8_t byte : data) s.WriteByte(byte);
      s.AlignToByte();
    });
    EXPECT_EQ(bulk.size(), data.size() + (lead ? 1 : 0));
    EXPECT_TRUE(bulk == single);
  }
}

TEST(SwfBitStream, OpenTruncatesAnExistingFile) {
  ScratchDir dir;
  { std::ofstream(dir.Path("s.bin")) << "previous contents"; }
  SwfBitStream stream;
  ASSERT_TRUE(stream.Open(dir.Path("s.bin")));
  stream.WriteByte(0x42);
  EXPECT_EQ(stream.Close(), 0);
  EXPECT_EQ(ToHex(ReadFileBytes(dir.Path("s.bin"))), "42");
}

TEST(SwfBitStream, OpenInAMissingFolderFailsAndLaterWritesAreHarmless) {
  ScratchDir dir;
  SwfBitStream stream;
  EXPECT_FALSE(stream.Open(dir.Path("missing/s.bin")));
  EXPECT_TRUE(stream.Failed());
  stream.WriteU32(1);
  const uint8_t data[] = {1, 2, 3};
  stream.WriteBytes(data);
  EXPECT_EQ(stream.Close(), EOF);
  EXPECT_TRUE(stream.Failed());
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(SwfBitStream, WritingWithoutOpeningFailsWithoutCrashing) {
  SwfBitStream stream;
  EXPECT_FALSE(stream.Failed());
  stream.WriteBits(1, 1);
  stream.AlignToByte();
  EXPECT_TRUE(stream.Failed());
  EXPECT_EQ(stream.Close(), EOF);
}

TEST(SwfBitStream, WriteErrorsOnAFullDeviceStick) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  SwfBitStream stream;
  ASSERT_TRUE(stream.Open("/dev/full"));
  std::vector<uint8_t> data(1 << 20, 0x55);
  stream.WriteBytes(data);
  EXPECT_TRUE(stream.Failed());
  stream.WriteByte(1);
  EXPECT_NE(stream.Close(), 0);
  EXPECT_TRUE(stream.Failed());
}

TEST(SwfBitStream, ReopeningStartsAFreshStream) {
  ScratchDir dir;
  SwfBitStream stream;
  EXPECT_FALSE(stream.Open(dir.Path("missing/s.bin")));
  ASSERT_TRUE(stream.Open(dir.Path("s.bin")));
  EXPECT_FALSE(stream.Failed());
  EXPECT_EQ(stream.BytesWritten(), 0);
  stream.WriteByte(7);
  EXPECT_EQ(stream.Close(), 0);
  EXPECT_EQ(ToHex(ReadFileBytes(dir.Path("s.bin"))), "07");
}

}  // namespace
}  // namespace lumapress::test
