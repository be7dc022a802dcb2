// The MCU converters: whole and edge MCUs of 3-byte RGB, and the 4-byte converter.

#include <gtest/gtest.h>

#include <array>

#include "jpeg/jpeg_color.h"
#include "jpeg/jpeg_properties.h"
#include "jpeg_test_record.h"
#include "support/jpeg_check.h"

namespace lumapress {
namespace {

using Workspace = std::array<int16_t, 6 * 64>;

// Encodes the image, which leaves the record's working state describing it, then runs the
// chosen converter on one MCU.
Workspace ConvertMcu(const std::vector<uint8_t>& pixels, int width, int height, int channels,
                     int mcuX, int mcuY) {
  test::SwfStyleRecord setup(pixels, width, height, channels, 75, JpegWorstCaseSize(width, height));
  EXPECT_EQ(EncodeImage(setup.record, kJpegModeBuffer), 0);
  Workspace workspace{};
  const JpegWorkingState& state = setup.record.workingState;
  state.ops.convertMcu(state, mcuX, mcuY, workspace.data());
  return workspace;
}

// Sample (x, y) of the MCU's Y plane, from the four Y blocks.
int16_t LumaAt(const Workspace& w, int x, int y) {
  return w[((y / 8) * 2 + x / 8) * 64 + (y % 8) * 8 + x % 8];
}
int16_t CbAt(const Workspace& w, int x, int y) { return w[4 * 64 + y * 8 + x]; }
int16_t CrAt(const Workspace& w, int x, int y) { return w[5 * 64 + y * 8 + x]; }

TEST(JpegColorTest, FixedPointFormulasOnHandCheckedPixels) {
  struct Case {
    int r, g, b;
    int y, cb, cr;
  };
  const Case cases[] = {
      {255, 255, 255, 127, 0, 0},      // (65280 - 32640) >> 8 = 127
      {0, 0, 0, -128, 0, 0},           // -32640 >> 8 rounds down to -128
      {128, 128, 128, 0, 0, 0},
      {255, 0, 0, -51, -43, 128},      // Y: -13005 >> 8 = -50.8 rounds down; Cr: 32768 >> 8
      {0, 0, 255, -99, 128, -21},      // Y: -25245 >> 8; Cb: 32768 >> 8; Cr: -5227 >> 8
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LumaOf(c.r, c.g, c.b), c.y) << c.r << " " << c.g << " " << c.b;
    EXPECT_EQ(BlueChromaOf(c.r, c.g, c.b), c.cb) << c.r << " " << c.g << " " << c.b;
    EXPECT_EQ(RedChromaOf(c.r, c.g, c.b), c.cr) << c.r << " " << c.g << " " << c.b;
  }
}

TEST(JpegColorTest, WholeMcuConvertsPixelsAndSumsOfFour) {
  const auto pixels = test::MakeNoise(16 * 16 * 3, 11);
  const Workspace w = ConvertMcu(pixels, 16, 16, 3, 0, 0);
  const auto at = [&](int x, int y, int c) { return int32_t{pixels[(y * 16 + x) * 3 + c]}; };
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) ASSERT_EQ(LumaAt(w, x, y), LumaOf(at(x, y, 0), at(x, y, 1), at(x, y, 2)));
  }
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      int32_t s[3] = {};
      for (int c = 0; c < 3; ++c) s[c] = at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) + at(2 * x, 2 * y + 1, c) + at(2 * x + 1, 2 * y + 1, c);
      ASSERT_EQ(CbAt(w, x, y), (128 * s[2] - 43 * s[0] - 85 * s[1] + 512) >> 10);
      ASSERT_EQ(CrAt(w, x, y), (128 * s[0] - 107 * s[1] - 21 * s[2] + 512) >> 10);
    }
  }
}

TEST(JpegColorTest, EdgeMcusRepeatTheLastColumnAndRow) {
  // 17 x 17: four MCUs, three of them partial.
  const auto pixels = test::MakeNoise(17 * 17 * 3, 12);
  const auto at = [&](int x, int y, int c) { return int32_t{pixels[(y * 17 + x) * 3 + c]}; };
  const auto luma = [&](int x, int y) { return LumaOf(at(x, y, 0), at(x, y, 1), at(x, y, 2)); };
  const auto cb = [&](int x, int y) { return BlueChromaOf(at(x, y, 0), at(x, y, 1), at(x, y, 2)); };

  // Right edge: only column 16 is valid; it fills the MCU's 16 columns.
  const Workspace right = ConvertMcu(pixels, 17, 17, 3, 1, 0);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) ASSERT_EQ(LumaAt(right, x, y), luma(16, y)) << x << " " << y;
  }
  // Chroma is the rounded mean of converted chroma: (a + b + c + d + 2) >> 2.
  for (int y = 0; y < 8; ++y) {
    const int32_t expected = (2 * cb(16, 2 * y) + 2 * cb(16, 2 * y + 1) + 2) >> 2;
    for (int x = 0; x < 8; ++x) ASSERT_EQ(CbAt(right, x, y), expected);
  }
  // Bottom edge: row 16 fills the MCU's rows.
  const Workspace bottom = ConvertMcu(pixels, 17, 17, 3, 0, 1);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) ASSERT_EQ(LumaAt(bottom, x, y), luma(x, 16));
  }
  // Corner: one pixel.
  const Workspace corner = ConvertMcu(pixels, 17, 17, 3, 1, 1);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) ASSERT_EQ(LumaAt(corner, x, y), luma(16, 16));
  }
  for (int i = 0; i < 64; ++i) ASSERT_EQ(corner[4 * 64 + i], cb(16, 16));
}

TEST(JpegColorTest, OnePixelImageFillsTheWholeMcu) {
  const std::vector<uint8_t> pixel = {200, 30, 90};
  const Workspace w = ConvertMcu(pixel, 1, 1, 3, 0, 0);
  for (int i = 0; i < 4 * 64; ++i) ASSERT_EQ(w[i], LumaOf(200, 30, 90));
  for (int i = 0; i < 64; ++i) {
    ASSERT_EQ(w[4 * 64 + i], BlueChromaOf(200, 30, 90));
    ASSERT_EQ(w[5 * 64 + i], RedChromaOf(200, 30, 90));
  }
}

TEST(JpegColorTest, UniformGreyGivesLevelShiftedLumaAndNoChroma) {
  for (int v : {0, 37, 128, 255}) {
    const std::vector<uint8_t> pixels(16 * 16 * 3, static_cast<uint8_t>(v));
    const Workspace w = ConvertMcu(pixels, 16, 16, 3, 0, 0);
    for (int i = 0; i < 4 * 64; ++i) ASSERT_EQ(w[i], v - 128) << v;
    for (int i = 4 * 64; i < 6 * 64; ++i) ASSERT_EQ(w[i], 0) << v;
  }
}

TEST(JpegColorTest, FourByteConverterAveragesRgbBeforeConverting) {
  const auto pixels = test::MakeNoise(16 * 16 * 4, 13);
  const Workspace w = ConvertMcu(pixels, 16, 16, 4, 0, 0);
  const auto at = [&](int x, int y, int c) { return int32_t{pixels[(y * 16 + x) * 4 + c]}; };
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) ASSERT_EQ(LumaAt(w, x, y), LumaOf(at(x, y, 0), at(x, y, 1), at(x, y, 2)));
  }
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      int32_t mean[3];
      for (int c = 0; c < 3; ++c) {
        mean[c] = (at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) + at(2 * x, 2 * y + 1, c) + at(2 * x + 1, 2 * y + 1, c) + 2) / 4;
      }
      ASSERT_EQ(CbAt(w, x, y), BlueChromaOf(mean[0], mean[1], mean[2]));
      ASSERT_EQ(CrAt(w, x, y), RedChromaOf(mean[0], mean[1], mean[2]));
    }
  }
}

TEST(JpegColorTest, FourthByteNeverEntersTheStream) {
  auto pixels = test::MakeNoise(40 * 30 * 4, 14);
  const auto first = test::EncodeWithLumapress(pixels, 40, 30, 4, 80);
  for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = static_cast<uint8_t>(~pixels[i]);
  const auto second = test::EncodeWithLumapress(pixels, 40, 30, 4, 80);
  ASSERT_EQ(first.result, 0);
  EXPECT_EQ(first.bytes, second.bytes);
}

}  // namespace
}  // namespace lumapress
