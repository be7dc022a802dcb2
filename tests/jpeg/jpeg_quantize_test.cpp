// Reciprocal tables and both quantisers.

#include <gtest/gtest.h>

#include "jpeg/jpeg_quantize.h"
#include "jpeg/jpeg_tables.h"

namespace lumapress {
namespace {

JpegReciprocalTable UniformTable(uint8_t q) {
  std::array<uint8_t, 64> table{};
  table.fill(q);
  return BuildReciprocalTable(table);
}

TEST(JpegQuantizeTest, ReciprocalsTruncateAndLandInNaturalOrder) {
  std::array<uint8_t, 64> zigzag{};
  for (int k = 0; k < 64; ++k) zigzag[k] = static_cast<uint8_t>(k + 1);
  const JpegReciprocalTable table = BuildReciprocalTable(zigzag);
  EXPECT_EQ(table.value[0], 32768);       // zig-zag 0: Q 1
  EXPECT_EQ(table.value[1], 16384);       // zig-zag 1 is natural 1: Q 2
  EXPECT_EQ(table.value[8], 32768 / 3);   // zig-zag 2 is natural 8: Q 3 -> 10922
  EXPECT_EQ(table.value[63], 32768 / 64);
  EXPECT_EQ(UniformTable(255).value[5], 128);
  EXPECT_EQ(UniformTable(7).value[5], 4681);
}

TEST(JpegQuantizeTest, HandCheckedValues) {
  struct Case {
    const char* what;
    int16_t coefficient;
    uint8_t q;
    int16_t plain;
    int16_t vector;
  };
  const Case cases[] = {
      {"100 / 16 = 6.25", 100, 16, 6, 6},
      {"-8 / 16 = -0.5 rounds up", -8, 16, 0, 0},
      {"-9 / 16", -9, 16, -1, -1},
      {"8 / 16 = 0.5 rounds up", 8, 16, 1, 1},
      {"Q 1 keeps the value", -1024, 1, -1024, -1024},
      {"Q 1, largest DC", 1016, 1, 1016, 1016},
      // Q 3: reciprocal 10922 is even; Q 7: 4681 is odd and the two may part.
      {"300 / 3", 300, 3, 100, 100},
      {"-301 / 3", -301, 3, -100, -100},
      {"945 / 7 with an odd reciprocal", 945, 7, 135, 135},
      // Q 5: the odd reciprocal 6553 loses its low bit in the 16-bit form.
      {"-4093 / 5 with an odd reciprocal", -4093, 5, -819, -818},
  };
  for (const Case& c : cases) {
    int16_t plain[64] = {c.coefficient};
    int16_t vector[64] = {c.coefficient};
    const JpegReciprocalTable table = UniformTable(c.q);
    QuantizePlain(plain, table);
    QuantizeVector(vector, table);
    EXPECT_EQ(plain[0], c.plain) << c.what;
    EXPECT_EQ(vector[0], c.vector) << c.what;
  }
}

TEST(JpegQuantizeTest, VectorEqualsPlainForEvenReciprocals) {
  for (int q = 1; q <= 255; ++q) {
    const JpegReciprocalTable table = UniformTable(static_cast<uint8_t>(q));
    const bool even = table.value[0] % 2 == 0;
    int mismatches = 0;
    for (int c = -2048; c < 2048; c += 64) {
      int16_t plain[64], vector[64];
      for (int i = 0; i < 64; ++i) plain[i] = vector[i] = static_cast<int16_t>(c + i);
      QuantizePlain(plain, table);
      QuantizeVector(vector, table);
      for (int i = 0; i < 64; ++i) {
        if (even) {
          ASSERT_EQ(plain[i], vector[i]) << "Q " << q << " c " << c + i;
        } else {
          ASSERT_LE(std::abs(plain[i] - vector[i]), 1) << "Q " << q << " c " << c + i;
          mismatches += plain[i] != vector[i];
        }
      }
    }
    (void)mismatches;
  }
}

TEST(JpegQuantizeTest, QualityScalingClampsEntries) {
  const auto q100 = ScaleQuantTable(kJpegLuminanceQuant, 100);
  const auto q1 = ScaleQuantTable(kJpegLuminanceQuant, 1);
  const auto q75 = ScaleQuantTable(kJpegLuminanceQuant, 75);
  const auto q99 = ScaleQuantTable(kJpegLuminanceQuant, 99);
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(q100[k], 1);
    EXPECT_EQ(q1[k], 255);
  }
  EXPECT_EQ(q75[0], 8);
  EXPECT_EQ(q99[0], 1);
  EXPECT_EQ(ClampJpegQuality(-5), 1);
  EXPECT_EQ(ClampJpegQuality(101), 100);
}

}  // namespace
}  // namespace lumapress
