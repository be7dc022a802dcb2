// Derived Huffman codes, block coding (ZRL, EOB, negative values) and the bit sink
// (stuffing, padding, capacity).

#include <gtest/gtest.h>

#include <string>

#include "jpeg/jpeg_bit_sink.h"
#include "jpeg/jpeg_huffman.h"
#include "jpeg/jpeg_tables.h"
#include "support/hex.h"

namespace lumapress {
namespace {

using test::ToHex;

JpegHuffmanCodes Derived(int position) {
  JpegHuffmanCodes codes{};
  EXPECT_EQ(DeriveHuffmanCodes(DefaultHuffmanSpec(position), codes), 0);
  return codes;
}

std::string Code(const JpegHuffmanCodes& codes, int symbol) {
  std::string bits;
  for (int i = codes.length[symbol] - 1; i >= 0; --i) bits += ((codes.code[symbol] >> i) & 1) ? '1' : '0';
  return bits;
}

// Bits as text ("0101...") packed into bytes, padded with 1-bits, 0xFF stuffed.
std::string Packed(std::string bits) {
  while (bits.size() % 8 != 0) bits += '1';
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < bits.size(); i += 8) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(bits.substr(i, 8), nullptr, 2)));
    if (bytes.back() == 0xFF) bytes.push_back(0x00);
  }
  return ToHex(bytes);
}

struct Encoded {
  int32_t result;
  std::string hex;
  int16_t predictor;
};

Encoded EncodeOne(const std::array<int16_t, 64>& block, int16_t predictor = 0, size_t capacity = 256) {
  std::vector<uint8_t> buffer(capacity);
  JpegBitSink sink{};
  ResetBitSink(sink, buffer.data(), buffer.size());
  const JpegHuffmanCodes dc = Derived(0), ac = Derived(1);
  Encoded out{};
  out.result = EncodeBlock(sink, dc, ac, predictor, block.data());
  if (out.result == 0) out.result = WriteBytes(sink, nullptr, 0);
  out.hex = ToHex(std::vector<uint8_t>(buffer.begin(), buffer.begin() + BitSinkCount(sink)));
  out.predictor = predictor;
  return out;
}

// Coefficient `value` at zig-zag index `k` of a block.
void SetZigZag(std::array<int16_t, 64>& block, int k, int16_t value) {
  block[kJpegZigZagToNatural[k]] = value;
}

TEST(JpegHuffmanTest, DerivedCodesMatchAnnexK) {
  const JpegHuffmanCodes dcLuma = Derived(0), acLuma = Derived(1), dcChroma = Derived(2), acChroma = Derived(3);
  const struct {
    const char* what;
    const JpegHuffmanCodes& codes;
    int symbol;
    std::string bits;
  } cases[] = {
      {"DC luminance 0", dcLuma, 0, "00"},
      {"DC luminance 1", dcLuma, 1, "010"},
      {"DC luminance 6", dcLuma, 6, "1110"},
      {"DC luminance 11", dcLuma, 11, "111111110"},
      {"DC chrominance 0", dcChroma, 0, "00"},
      {"DC chrominance 11", dcChroma, 11, "11111111110"},
      {"AC luminance EOB", acLuma, 0x00, "1010"},
      {"AC luminance 0/1", acLuma, 0x01, "00"},
      {"AC luminance 0/3", acLuma, 0x03, "100"},
      {"AC luminance 1/1", acLuma, 0x11, "1100"},
      {"AC luminance ZRL", acLuma, 0xF0, "11111111001"},
      {"AC luminance F/A", acLuma, 0xFA, "1111111111111110"},
      {"AC chrominance EOB", acChroma, 0x00, "00"},
      {"AC chrominance ZRL", acChroma, 0xF0, "1111111010"},
      {"symbol not in the table", acLuma, 0x0B, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Code(c.codes, c.symbol), c.bits) << c.what;
}

TEST(JpegHuffmanTest, TablesWithTooManyCodesAreRefused) {
  static const uint8_t counts[16] = {0, 0, 0, 0, 0, 0, 0, 0, 255, 4, 0, 0, 0, 0, 0, 0};
  static const uint8_t values[300] = {};
  const JpegHuffmanSpec table{1, 0, std::span<const uint8_t, 16>(counts), values};
  JpegHuffmanCodes codes{};
  EXPECT_EQ(DeriveHuffmanCodes(table, codes), kJpegBadHuffmanTable);
}

TEST(JpegHuffmanTest, BlocksAreCodedAsRunSizeSymbols) {
  const JpegHuffmanCodes ac = Derived(1);
  struct Case {
    const char* what;
    std::array<int16_t, 64> block;
    int16_t predictor;
    std::string bits;
  };
  std::array<int16_t, 64> zero{}, minusOne{}, last{}, run16{}, run15{}, negative{}, full{}, stuffed{};
  minusOne[0] = -1;
  SetZigZag(last, 63, 1);
  SetZigZag(run16, 17, 1);
  SetZigZag(run15, 16, -3);
  SetZigZag(negative, 1, -1);
  for (int k = 0; k < 64; ++k) full[k] = 1;
  stuffed[0] = 1023;
  const Case cases[] = {
      {"empty block: DC category 0, EOB", zero, 0, "00" "1010"},
      {"DC -1 writes the bit of -2", minusOne, 0, "010" "0" "1010"},
      {"DC difference against the predictor", zero, 5, "100" "010" "1010"},
      {"index 63 non-zero: three ZRL, no EOB", last, 0,
       "00" + Code(ac, 0xF0) + Code(ac, 0xF0) + Code(ac, 0xF0) + Code(ac, 0xE1) + "1"},
      {"16 zeros: one ZRL", run16, 0, "00" + Code(ac, 0xF0) + Code(ac, 0x01) + "1" + "1010"},
      {"15 zeros: no ZRL", run15, 0, "00" + Code(ac, 0xF2) + "00" + "1010"},
      {"AC -1 writes the bit of -2", negative, 0, "00" "00" "0" "1010"},
      {"DC 1023 ends in 0xFF, stuffed", stuffed, 0, "11111110" "1111111111" "1010"},
  };
  for (const Case& c : cases) {
    const Encoded e = EncodeOne(c.block, c.predictor);
    EXPECT_EQ(e.result, 0) << c.what;
    EXPECT_EQ(e.hex, Packed(c.bits)) << c.what;
    EXPECT_EQ(e.predictor, c.block[0]) << c.what;
  }
  EXPECT_EQ(EncodeOne(stuffed).hex, "FE FF 00 EB");
  EXPECT_EQ(EncodeOne(zero).hex, "2B");  // 001010 + fill 11
  // A block of ones: 63 times 0/1 with bit 1, no EOB.
  std::string bits = "010" "1";
  for (int k = 1; k < 64; ++k) bits += "00" "1";
  EXPECT_EQ(EncodeOne(full).hex, Packed(bits));
}

TEST(JpegHuffmanTest, SymbolsWithoutCodesAreDataErrors) {
  std::array<int16_t, 64> block{};
  SetZigZag(block, 1, 2047);  // size 11: not in the AC table
  EXPECT_EQ(EncodeOne(block).result, kJpegDataError);
}

TEST(JpegBitSinkTest, CapacityRules) {
  std::vector<uint8_t> one(1);
  JpegBitSink sink{};
  ResetBitSink(sink, one.data(), one.size());
  EXPECT_EQ(PutBits(sink, 0xABCD, 16), 0);
  EXPECT_EQ(WriteBytes(sink, nullptr, 0), kJpegBufferTooSmall);
  EXPECT_EQ(one[0], 0xAB);
  EXPECT_EQ(BitSinkCount(sink), 1u);

  // 0xFF as the last byte leaves no room for its stuffing byte.
  ResetBitSink(sink, one.data(), one.size());
  PutBits(sink, 0xFF, 8);
  EXPECT_EQ(WriteBytes(sink, nullptr, 0), kJpegBufferTooSmall);

  // Marker bytes must end before the last byte; the final ones may fill it.
  std::vector<uint8_t> four(4);
  const uint8_t marker[4] = {0xFF, 0xD9, 0xFF, 0xD9};
  ResetBitSink(sink, four.data(), four.size());
  EXPECT_EQ(WriteBytes(sink, marker, 4), kJpegBufferTooSmall);
  EXPECT_EQ(WriteBytes(sink, marker, 3), 0);
  EXPECT_EQ(WriteFinalBytes(sink, marker, 1), 0);
  EXPECT_EQ(WriteFinalBytes(sink, marker, 1), kJpegBufferTooSmall);

  // Pending bits are padded with 1-bits before marker bytes.
  ResetBitSink(sink, four.data(), four.size());
  PutBits(sink, 0b101, 3);
  EXPECT_EQ(WriteFinalBytes(sink, marker, 2), 0);
  EXPECT_EQ(ToHex(std::vector<uint8_t>(four.begin(), four.begin() + 3)), "BF FF D9");
}

TEST(JpegBitSinkTest, LongRunsOfBitsAreStuffedWherever0xFFLands) {
  std::vector<uint8_t> buffer(64);
  JpegBitSink sink{};
  ResetBitSink(sink, buffer.data(), buffer.size());
  for (int i = 0; i < 10; ++i) ASSERT_EQ(PutBits(sink, 0xFFFFF, 20), 0);  // 200 one-bits
  ASSERT_EQ(WriteBytes(sink, nullptr, 0), 0);
  std::string expected;
  for (int i = 0; i < 25; ++i) expected += i ? " FF 00" : "FF 00";
  EXPECT_EQ(ToHex(std::vector<uint8_t>(buffer.begin(), buffer.begin() + BitSinkCount(sink))), expected);
}

}  // namespace
}  // namespace lumapress
