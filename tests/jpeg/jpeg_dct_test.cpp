// Both forward DCTs against a double-precision DCT, and on blocks checked by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "jpeg/jpeg_dct.h"

namespace lumapress {
namespace {

using Block = std::array<int16_t, 64>;

// T.81 A.3.3: F(u, v) = 1/4 C(u) C(v) sum f(x, y) cos((2x+1)u pi/16) cos((2y+1)v pi/16),
// stored with v (vertical frequency) as the row.
std::array<double, 64> ExactDct(const Block& samples) {
  std::array<double, 64> out{};
  const auto c = [](int k) { return k == 0 ? 1.0 / std::numbers::sqrt2 : 1.0; };
  double basis[8][8];  // basis[k][x] = cos((2x+1) k pi/16)
  for (int k = 0; k < 8; ++k) {
    for (int x = 0; x < 8; ++x) basis[k][x] = std::cos((2 * x + 1) * k * std::numbers::pi / 16);
  }
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) {
      double sum = 0;
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          sum += samples[y * 8 + x] * basis[u][x] * basis[v][y];
        }
      }
      out[v * 8 + u] = 0.25 * c(u) * c(v) * sum;
    }
  }
  return out;
}

Block RandomBlock(std::mt19937& random, int low, int high) {
  std::uniform_int_distribution<int> sample(low, high);
  Block block{};
  for (int16_t& s : block) s = static_cast<int16_t>(sample(random));
  return block;
}

// Largest distance of any coefficient from the exact DCT over many blocks: smooth ones,
// full-range noise and extremes.
double WorstError(void (*dct)(int16_t*)) {
  std::mt19937 random(7);
  double worst = 0;
  for (int i = 0; i < 3000; ++i) {
    Block block = i % 3 == 0 ? RandomBlock(random, -128, 127) : RandomBlock(random, -20, 20);
    if (i % 3 == 2) {  // smooth ramp plus offset
      const int offset = std::uniform_int_distribution<int>(-100, 100)(random);
      for (int k = 0; k < 64; ++k) block[k] = static_cast<int16_t>(offset + (k % 8) * 3 - (k / 8) * 2);
    }
    const auto exact = ExactDct(block);
    dct(block.data());
    for (int k = 0; k < 64; ++k) worst = std::max(worst, std::abs(block[k] - exact[k]));
  }
  return worst;
}

TEST(JpegDctTest, PlainTransformRoundsTheExactDct) {
  // Rounding (0.5) plus the small fixed-point error of the 12-bit constants.
  EXPECT_LT(WorstError(ForwardDctPlain), 0.6);
}

TEST(JpegDctTest, VectorTransformStaysWithinItsSixteenBitRounding) {
  // The 16-bit passes truncate (mulhi) and set low bits (OR 1): the last bit may be off.
  EXPECT_LT(WorstError(ForwardDctVector), 1.0);
}

TEST(JpegDctTest, ExtremeBlocksKeepFullRange) {
  for (auto dct : {ForwardDctPlain, ForwardDctVector}) {
    Block high{}, low{};
    high.fill(127);
    low.fill(-128);
    dct(high.data());
    dct(low.data());
    EXPECT_EQ(high[0], 1016);
    EXPECT_EQ(low[0], -1024);
    for (int k = 1; k < 64; ++k) {
      EXPECT_EQ(high[k], 0) << k;
      EXPECT_EQ(low[k], 0) << k;
    }
    // A checkerboard of +-127 puts all energy into F(7, 7).
    Block board{};
    for (int k = 0; k < 64; ++k) board[k] = ((k / 8 + k % 8) % 2) ? -127 : 127;
    const auto exact = ExactDct(board);
    dct(board.data());
    EXPECT_NEAR(board[63], exact[63], 2.0);
  }
}

TEST(JpegDctTest, HandCheckedBlocks) {
  struct Case {
    const char* what;
    Block input;
    int index;
    int plain;
    int vector;
  };
  Block step{}, column{}, impulse{};
  for (int k = 0; k < 64; ++k) step[k] = (k % 8) < 4 ? 100 : -100;  // left half bright
  for (int k = 0; k < 64; ++k) column[k] = (k / 8) < 4 ? 50 : -50;  // top half bright
  impulse[0] = 64;
  const Case cases[] = {
      // F(1,0) = 1/4 * 1/sqrt2 * 8 * 100 * 2 * (cos(pi/16) + cos(3pi/16) + cos(5pi/16) + cos(7pi/16))
      //        = 724.9.
      {"horizontal step F(1,0)", step, 1, 725, 725},
      {"horizontal step F(0,0)", step, 0, 0, 0},
      // Half the amplitude, vertical: 362.5 less a little; the 16-bit transform lands above.
      {"vertical step F(0,1)", column, 8, 362, 363},
      // One sample of 64: F(0,0) = 1/8 * 64 = 8; F(1,1) = 1/4 * 64 * cos(pi/16)^2 = 15.39.
      {"impulse F(0,0)", impulse, 0, 8, 8},
      {"impulse F(1,1)", impulse, 9, 15, 15},
  };
  for (const Case& c : cases) {
    Block plain = c.input, vector = c.input;
    ForwardDctPlain(plain.data());
    ForwardDctVector(vector.data());
    EXPECT_EQ(plain[c.index], c.plain) << c.what;
    EXPECT_EQ(vector[c.index], c.vector) << c.what;
  }
}

TEST(JpegDctTest, RowWeightsAreScaledCosineProducts) {
  const int factor[8] = {4, 1, 2, 3, 4, 3, 2, 1};
  for (int n = 0; n < 8; ++n) {
    for (int m = 1; m <= 7; ++m) {
      const double w = 32768 * std::cos(factor[n] * std::numbers::pi / 16) * std::cos(m * std::numbers::pi / 16);
      EXPECT_EQ(kDctRowWeights[n][m - 1], std::lround(w)) << n << " " << m;
    }
  }
  EXPECT_EQ(kDctRowWeights[0][0], 22725);
  EXPECT_EQ(kDctRowWeights[0][6], 4520);
}

}  // namespace
}  // namespace lumapress
